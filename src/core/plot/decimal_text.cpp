// SPDX-License-Identifier: MIT
#include "core/plot/decimal_text.h"

#include <cerrno>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace nirdal {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Skips a run of digits; true when there was at least one.
bool SkipDigits(std::string_view text, std::size_t& at)
{
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at]))
        ++at;
    return at > start;
}

// True when the whole of text is one number as the panel accepts it.
bool IsDecimalNumber(std::string_view text)
{
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    const bool whole = SkipDigits(text, at);
    bool fraction = false;
    if (at < text.size() && text[at] == '.') {
        ++at;
        fraction = SkipDigits(text, at);
    }
    if (!whole && !fraction)
        return false;
    if (at < text.size() && (text[at] == 'E' || text[at] == 'e')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            ++at;
        if (!SkipDigits(text, at))
            return false;
    }
    return at == text.size();
}

// The program's locale may use a comma; the panel's numbers always use a point.
locale_t PointLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
    return locale;
}

} // namespace

std::optional<Extended> ReadDecimalNumber(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return std::nullopt;
    const std::string number(text.substr(first));
    if (!IsDecimalNumber(number))
        return std::nullopt;
    // Out of range, strtold gives ±HUGE_VALL (the infinity) or a value at or near zero.
    return strtold_l(number.c_str(), nullptr, PointLocale());
}

} // namespace nirdal
