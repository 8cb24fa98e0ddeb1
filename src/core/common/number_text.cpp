// SPDX-License-Identifier: MIT
#include "core/common/number_text.h"

#include <cmath>
#include <cstdio>

namespace nirdal {

std::string SignificantText(Extended value, int digits)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*Lg", digits, value);
    return text;
}

std::string FixedText(Extended value, int decimals)
{
    if (std::abs(value) < 0.5L * std::pow(10.0L, -decimals))
        value = 0;
    // As long as the value needs: a long double may have thousands of digits before the point.
    std::string text(static_cast<std::size_t>(std::snprintf(nullptr, 0, "%.*Lf", decimals, value)),
                     '\0');
    std::snprintf(text.data(), text.size() + 1, "%.*Lf", decimals, value);
    return text;
}

} // namespace nirdal
