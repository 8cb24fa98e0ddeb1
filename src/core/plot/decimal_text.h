// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"

#include <optional>
#include <string_view>

namespace nirdal {

/// Reads the text of the printer-kind panel's edit box as a decimal number: leading blanks,
/// an optional sign, digits with an optional point and fraction, an optional exponent
/// ("E+0002"), and nothing after it. Empty when the text is no such number. A value beyond
/// the range of Extended reads as an infinity of its sign, one too small as zero.
std::optional<Extended> ReadDecimalNumber(std::string_view text);

} // namespace nirdal
