// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"

#include <string>

namespace nirdal {

/// The general real text of the coefficient grids: at most 15 significant digits (rounded),
/// trailing zeros dropped, plain notation for magnitudes from 0.0001 with up to 15 digits
/// before the separator, otherwise mantissa "E" exponent (1.5E20, 1E-5). The separator is
/// the user's, given by the caller.
std::string GeneralText(Extended x, char decimalSeparator);

} // namespace nirdal
