// SPDX-License-Identifier: MIT
#include "core/numtext/numtext.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace nirdal {

namespace {

// trunc() of a value known to lie well inside the 32-bit range.
int TruncToInt(Extended x)
{
    return static_cast<int>(std::trunc(x));
}

// The runtime's text-to-integer conversion of a buffer that holds only digits.
std::int32_t DigitsToInteger(const std::string& digits)
{
    std::int64_t value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value > 2147483647)
            throw ConversionError(digits);
    }
    return static_cast<std::int32_t>(value);
}

} // namespace

ConversionError::ConversionError(const std::string& digitBuffer)
    : std::runtime_error("'" + digitBuffer + "' is not a valid integer value")
{
}

std::string IntegerText(std::int32_t i)
{
    return std::to_string(i);
}

std::string RealText(Extended x)
{
    if (std::isnan(x))
        return std::string(20, ' ') + "Nan";
    if (std::isinf(x))
        return std::string(19, ' ') + (x > 0 ? "+Inf" : "-Inf");

    char text[64];
    std::snprintf(text, sizeof text, "%.14LE", x); // e.g. -1.00000000000000E+02
    std::string mantissaAndSign(text, std::string_view(text).find('E'));
    const int exponent = std::atoi(std::string_view(text).substr(mantissaAndSign.size() + 1).data());
    char exponentText[16];
    std::snprintf(exponentText, sizeof exponentText, "E%c%04d", exponent < 0 ? '-' : '+',
                  std::abs(exponent));
    if (mantissaAndSign.front() != '-')
        mantissaAndSign.insert(0, " ");
    return mantissaAndSign + exponentText;
}

int SignOf(Extended x)
{
    return x > 0 ? 1 : -1;
}

std::string FormatNumber(Extended x)
{
    if (!std::isfinite(x)) // never fed by the computations; keep the text short and plain
        return std::isnan(x) ? "Nan" : (x > 0 ? "Inf" : "-Inf");

    Extended a = std::fabs(x);
    if (a < 1e-9L)
        return "00";

    std::string result = SignOf(x) == -1 ? "-" : "";

    int e = 0;
    while (a < 1) {
        a = a * 10;
        e = e - 1;
    }
    while (a > 10) {
        a = a / 10;
        e = e + 1;
    }

    if (e > 4 || e < -1) {
        const int i = TruncToInt(a);
        const int f = TruncToInt(a * 100) % 100;
        const char tens[] = {static_cast<char>('0' + f / 10), static_cast<char>('0' + f % 10), 0};
        return result + IntegerText(i) + "." + tens + "E" + IntegerText(e);
    }

    const int d0 = TruncToInt(a);
    const int d1 = TruncToInt((a - d0) * 10) % 10;
    const int d2 = TruncToInt((a - d0) * 100 - 10 * d1) % 10;
    const std::string t0 = IntegerText(d0), t1 = IntegerText(d1), t2 = IntegerText(d2);
    switch (e) {
    case -1:
        return result + "0." + t0 + t1 + t2;
    case 0:
        return result + t0 + "." + t1 + t2;
    case 1:
        return result + t0 + t1 + "." + t2;
    case 2:
        return result + t0 + t1 + t2;
    case 3:
        return result + t0 + t1 + t2 + "0";
    default:
        return result + t0 + t1 + t2 + "00";
    }
}

Extended ParseNumber(std::string_view s)
{
    const std::string withFraction = std::string(s) + ".00";
    const bool negative = !withFraction.empty() && withFraction.front() == '-';
    const std::string text = "00" + withFraction.substr(negative ? 1 : 0);

    std::string buffer;
    int digitCount = 0;
    bool separatorSeen = false;
    Extended integerPart = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            buffer += c;
            ++digitCount;
        } else if (!separatorSeen) {
            separatorSeen = true;
            integerPart = DigitsToInteger(buffer);
            buffer.clear();
            digitCount = 0;
        }
    }

    Extended fraction = DigitsToInteger(buffer);
    for (int i = 0; i < digitCount; ++i)
        fraction = fraction / 10;

    const Extended value = integerPart + fraction;
    return negative ? -value : value;
}

} // namespace nirdal
