// SPDX-License-Identifier: MIT
#include "core/tf/general_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace nirdal {
namespace {

constexpr int kSignificantDigits = 15;

} // namespace

std::string GeneralText(Extended x, char decimalSeparator)
{
    if (std::isnan(x))
        return "NAN";
    if (std::isinf(x))
        return x > 0 ? "INF" : "-INF";
    if (x == 0)
        return "0";

    // "%.14Le" rounds to 15 significant digits once: d.dddddddddddddde±x.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*Le", kSignificantDigits - 1, std::fabs(x));
    const std::string_view text(buffer);
    const std::size_t exponentAt = text.find('e');
    std::string digits =
        std::string(text.substr(0, 1)) + std::string(text.substr(2, exponentAt - 2));
    const int exponent = std::atoi(buffer + exponentAt + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string result = x < 0 ? "-" : "";
    if (exponent >= kSignificantDigits || exponent < -4) {
        result += digits[0];
        if (digits.size() > 1)
            result += decimalSeparator + digits.substr(1);
        result += "E" + std::to_string(exponent);
    } else if (exponent < 0) {
        result += "0";
        result += decimalSeparator;
        result += std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else {
        const std::size_t wholeDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= wholeDigits) {
            result += digits + std::string(wholeDigits - digits.size(), '0');
        } else {
            result += digits.substr(0, wholeDigits);
            result += decimalSeparator;
            result += digits.substr(wholeDigits);
        }
    }
    return result;
}

} // namespace nirdal
