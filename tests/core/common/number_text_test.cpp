// SPDX-License-Identifier: MIT
#include "core/common/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace nirdal {
namespace {

TEST(NumberText, SignificantDigitsAsPrintfGWritesThem)
{
    const struct
    {
        Extended value;
        int digits;
        const char* text;
    } cases[] = {
        {1.0L / 3, 6, "0.333333"},
        {1.0L / 3, 15, "0.333333333333333"},
        {1e6L, 6, "1e+06"},
        {123456, 6, "123456"},
        {1234567, 6, "1.23457e+06"},
        {-0.000125L, 3, "-0.000125"},
        {2.5L, 1, "2"}, // a tie goes to the even digit
        {std::numeric_limits<Extended>::infinity(), 6, "inf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SignificantText(c.value, c.digits), c.text) << c.text;
}

TEST(NumberText, FixedDecimalsWithoutANegativeZero)
{
    const struct
    {
        Extended value;
        int decimals;
        const char* text;
    } cases[] = {
        {12.345L, 1, "12.3"},
        {-0.004L, 2, "0.00"},
        {-0.006L, 2, "-0.01"},
        {-1.5L, 0, "-2"}, // a tie goes to the even integer
        {0, 2, "0.00"},
        // 2^300: 91 digits, all of them, not cut at a buffer's end.
        {std::ldexp(1.0L, 300), 0,
         "2037035976334486086268445688409378161051468393665936250636140449354381299763336706183"
         "397376"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FixedText(c.value, c.decimals), c.text) << c.text;
}

} // namespace
} // namespace nirdal
