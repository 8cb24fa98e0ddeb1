// SPDX-License-Identifier: MIT
#include "core/common/russian_text.h"

#include <algorithm>

namespace nirdal {

std::string RussianCount(long long count, std::string_view one, std::string_view few,
                         std::string_view many)
{
    const long long n = count < 0 ? -count : count;
    const long long last = n % 10, lastTwo = n % 100;
    const std::string_view noun = lastTwo >= 11 && lastTwo <= 14 ? many
                                  : last == 1                    ? one
                                  : last >= 2 && last <= 4       ? few
                                                                 : many;
    return std::to_string(count) + " " + std::string(noun);
}

std::string DecimalComma(std::string text)
{
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

} // namespace nirdal
