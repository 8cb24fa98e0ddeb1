// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"

#include <string>

namespace nirdal {

/// value to `digits` significant digits as printf's %g writes it: "0.333333", "1e+06",
/// "inf". The one rule behind the numbers of messages, notes and reports.
std::string SignificantText(Extended value, int digits);

/// value with `decimals` fixed decimals, without a "-0.00" for a value that rounds to zero.
std::string FixedText(Extended value, int decimals);

} // namespace nirdal
