// SPDX-License-Identifier: MIT
#include "core/numtext/numtext.h"

#include "core/common/safe_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace nirdal {

namespace {

// 21 significant digits tell every 64-bit mantissa apart.
constexpr int kMostDigits = 21;
// The typed text quoted in a refusal: enough to recognise it, not a screenful.
constexpr std::size_t kQuotedCharacters = 24;

// The screens run in the user's locale, which may write and read a decimal comma; the
// texts here are made and read with a point, whatever the locale.
class PointLocale
{
public:
    PointLocale() : m_previous(uselocale(Locale())) {}
    ~PointLocale() { uselocale(m_previous); }
    PointLocale(const PointLocale&) = delete;
    PointLocale& operator=(const PointLocale&) = delete;

private:
    static locale_t Locale()
    {
        static const locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
        return locale;
    }
    locale_t m_previous;
};

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Skips a run of digits; true when there was at least one.
bool SkipDigits(std::string_view text, std::size_t& at)
{
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at]))
        ++at;
    return at > start;
}

// The number of a typed text without its blanks, with a point as separator; empty when the
// text is not one number.
std::optional<std::string> NumberPart(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    std::string number;
    const std::size_t start = at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    const bool whole = SkipDigits(text, at);
    bool fraction = false;
    std::size_t separator = std::string_view::npos;
    if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
        separator = at - start;
        ++at;
        fraction = SkipDigits(text, at);
    }
    if (!whole && !fraction)
        return std::nullopt;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            ++at;
        if (!SkipDigits(text, at))
            return std::nullopt;
    }
    number = text.substr(start, at - start);
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    if (at != text.size())
        return std::nullopt;
    if (separator != std::string_view::npos)
        number[separator] = '.';
    return number;
}

// Whether text reads back as exactly x.
bool ReadsBackAs(const char* text, Extended x)
{
    return std::strtold(text, nullptr) == x;
}

// The shortest scientific text of a > 0 that reads back as a: "2.36e+00", "1.8e+01".
std::string ShortestScientific(Extended a)
{
    const PointLocale point;
    char text[64];
    for (int digits = 1;; ++digits) {
        std::snprintf(text, sizeof text, "%.*Le", digits - 1, a);
        if (digits == kMostDigits || ReadsBackAs(text, a))
            return text;
    }
}

} // namespace

ConversionError::ConversionError(std::string_view typed)
    : std::runtime_error(
          "«" + TerminalText(Excerpt(typed, kQuotedCharacters)) + "» — " +
          (NumberPart(typed) ? std::string("число вне допустимых пределов")
                             : std::string("не число: допустимы знак, цифры с одной точкой или "
                                           "запятой и порядок, например -1,5e-3")))
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

    const Extended a = std::fabs(x);
    if (a < 1e-9L)
        return "00";

    // d.ddd…e±x: the first three digits, cut, and the decimal exponent.
    const std::string text = ShortestScientific(a);
    const std::size_t exponentAt = text.find('e');
    std::string digits = text.substr(0, 1) + (exponentAt > 2 ? text.substr(2, exponentAt - 2) : "");
    digits.resize(3, '0');
    const int e = std::atoi(text.c_str() + exponentAt + 1);

    const std::string sign = SignOf(x) == -1 ? "-" : "";
    if (e > 4 || e < -1)
        return sign + digits.substr(0, 1) + "." + digits.substr(1) + "E" + IntegerText(e);
    switch (e) {
    case -1:
        return sign + "0." + digits;
    case 0:
        return sign + digits.substr(0, 1) + "." + digits.substr(1);
    case 1:
        return sign + digits.substr(0, 2) + "." + digits.substr(2);
    case 2:
        return sign + digits;
    case 3:
        return sign + digits + "0";
    default:
        return sign + digits + "00";
    }
}

std::string ShortestText(Extended x)
{
    const PointLocale point;
    char text[64];
    // Six digits at least, so that 100 is written 100 and not 1e+02; "%g" drops the zeros.
    for (int digits = 6;; ++digits) {
        std::snprintf(text, sizeof text, "%.*Lg", digits, x);
        if (digits == kMostDigits || !std::isfinite(x) || ReadsBackAs(text, x))
            return text;
    }
}

std::optional<Extended> ReadNumber(std::string_view text)
{
    const std::optional<std::string> number = NumberPart(text);
    if (!number)
        return std::nullopt;
    const PointLocale point;
    const Extended value = std::strtold(number->c_str(), nullptr);
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

Extended ParseNumber(std::string_view s)
{
    if (const std::optional<Extended> value = ReadNumber(s))
        return *value;
    throw ConversionError(s);
}

} // namespace nirdal
