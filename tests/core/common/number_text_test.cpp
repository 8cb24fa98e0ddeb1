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

// Three significant digits rounded, the decimal comma, written out from 0.01 up to 10 000 and
// as a power of ten beyond: the one way the windows and the pictures write a figure.
TEST(NumberText, FiguresAsAReaderOfRussianReadsThem)
{
    const struct
    {
        Extended value;
        const char* text;
    } cases[] = {
        {9.37e-3L, "9,37·10⁻³"},
        {4029.8L, "4030"},
        {104.6L, "105"},
        {80.46L, "80,5"},
        {8, "8,00"},
        {7.99999999997L, "8,00"},
        {0.53937L, "0,539"},
        {0.0123L, "0,0123"},
        {0.01L, "0,0100"},
        {0.00999L, "9,99·10⁻³"},
        {9999.6L, "1,00·10⁴"}, // rounds up into the next power
        {12345, "1,23·10⁴"},
        {3.84e5L, "3,84·10⁵"},
        {1e12L, "1,00·10¹²"},
        {-1.93L, "-1,93"},
        {-0.125L, "-0,125"},
        {-4.13e-2L, "-0,0413"},
        {2e-12L, "0"},
        {0, "0"},
        {std::numeric_limits<Extended>::infinity(), "∞"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FigureText(c.value), c.text) << c.text;
    EXPECT_EQ(FigureText(0.125L, 2), "0,12"); // a tie goes to the even digit
    EXPECT_EQ(FigureText(2.4e-5L, 1), "2·10⁻⁵");
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
