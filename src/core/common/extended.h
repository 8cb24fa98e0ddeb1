// SPDX-License-Identifier: MIT
#pragma once

#include <limits>

namespace nirdal {

/// Every real quantity of the program: the x87 80-bit extended format, rounded
/// to nearest after every operation. The displayed digits depend on it.
using Extended = long double;

static_assert(std::numeric_limits<Extended>::digits == 64,
              "Extended must be the 80-bit format with a 64-bit mantissa");
static_assert(std::numeric_limits<Extended>::round_style == std::round_to_nearest);

} // namespace nirdal
