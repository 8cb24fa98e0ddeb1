// SPDX-License-Identifier: MIT
#include "core/tf/transfer_function.h"

#include "core/numtext/numtext.h"

#include <cmath>
#include <cstdio>

namespace nirdal {

std::string CoefficientLabel(std::uint8_t index, char letter)
{
    return (std::string(1, letter) + IntegerText(index) + "  ").substr(0, 5);
}

std::string DelaySecondsText(Extended seconds)
{
    if (!std::isfinite(seconds))
        return std::isnan(seconds) ? "Nan" : (seconds > 0 ? "Inf" : "-Inf");
    // Whole seconds and thousandths apart: a thousandfold long delay would lose its last
    // whole seconds to rounding, or overflow. Both parts are exact, and as the whole part
    // counts a multiple of 1000 thousandths, rounding the fraction to even rounds the value to
    // even. nearbyint rounds in the current mode, which the program never leaves.
    const Extended magnitude = std::fabs(seconds);
    Extended whole = std::trunc(magnitude);
    Extended thousandths = std::nearbyint((magnitude - whole) * 1000);
    if (thousandths == 1000) {
        whole += 1;
        thousandths = 0;
    }
    const bool negative = seconds < 0 && (whole != 0 || thousandths != 0);
    // Up to 4933 digits for the largest extended value.
    std::string digits(static_cast<std::size_t>(std::snprintf(nullptr, 0, "%.0Lf", whole)) + 1,
                       '\0');
    std::snprintf(digits.data(), digits.size(), "%.0Lf", whole);
    digits.pop_back();
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ",%03d", static_cast<int>(thousandths));
    return (negative ? "-" : "") + digits + fraction;
}

} // namespace nirdal
