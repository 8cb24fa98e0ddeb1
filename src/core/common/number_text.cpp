// SPDX-License-Identifier: MIT
#include "core/common/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace nirdal {

std::string SignificantText(Extended value, int digits)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*Lg", digits, value);
    return text;
}

std::string FigureText(Extended value, int digits)
{
    if (std::isnan(value))
        return "не число";
    if (std::isinf(value))
        return value > 0 ? "∞" : "-∞";
    if (std::fabs(value) < 1e-9L)
        return "0";
    digits = std::clamp(digits, 1, 30);
    // printf rounds once, to nearest: "-9.37e-03" gives the sign, the digits and the power.
    char rounded[64];
    std::snprintf(rounded, sizeof rounded, "%.*Le", digits - 1, value);
    const std::string text = rounded;
    const std::size_t e = text.find('e');
    const int power = std::atoi(text.c_str() + e + 1);
    const bool negative = text.front() == '-';
    std::string figures;
    for (std::size_t i = negative ? 1 : 0; i < e; ++i)
        if (text[i] != '.')
            figures += text[i];
    std::string result = negative ? "-" : "";
    if (power >= -2 && power < 4) {
        if (power < 0)
            result += "0," + std::string(static_cast<std::size_t>(-power - 1), '0') + figures;
        else if (static_cast<std::size_t>(power) + 1 >= figures.size())
            result += figures + std::string(power + 1 - figures.size(), '0');
        else
            result += figures.substr(0, power + 1) + "," + figures.substr(power + 1);
        return result;
    }
    result += figures.substr(0, 1);
    if (figures.size() > 1)
        result += "," + figures.substr(1);
    return result + "·10" + Superscript(power);
}

std::string Superscript(int n)
{
    static const char* const raised[] = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
    std::string text = n < 0 ? "⁻" : "";
    for (const char digit : std::to_string(std::abs(static_cast<long long>(n))))
        text += raised[digit - '0'];
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
