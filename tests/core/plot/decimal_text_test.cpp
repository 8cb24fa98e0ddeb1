// SPDX-License-Identifier: MIT
#include "core/numtext/numtext.h"
#include "core/plot/decimal_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace nirdal {
namespace {

struct Case
{
    const char* text;
    Extended value;
};

TEST(ReadDecimalNumber, ReadsWhatThePanelShowsAndWhatAStudentTypes)
{
    const Case cases[] = {
        {" 1.00000000000000E+0002", 100},
        {" 3.00000000000000E+0002", 300},
        {"250", 250},
        {"   250", 250},
        {"+250", 250},
        {"-250", -250},
        {"2.5e2", 250},
        {"2.5E-1", 0.25L},
        {".5", 0.5L},
        {"5.", 5},
        {"0", 0},
        {"1e+0", 1},
    };
    for (const Case& c : cases) {
        const auto value = ReadDecimalNumber(c.text);
        ASSERT_TRUE(value.has_value()) << c.text;
        EXPECT_EQ(*value, c.value) << c.text;
    }
}

TEST(ReadDecimalNumber, RefusesAnythingButOneWholeNumber)
{
    for (const char* text : {"", "   ", "250 ", "2,5", "25O", "e2", ".", "-", "+.", "2e", "2e+",
                             "2.5.1", "1e2.5", "--2", "0x10", "inf", "nan", "\t250", "250\n"})
        EXPECT_FALSE(ReadDecimalNumber(text).has_value()) << '"' << text << '"';
}

TEST(ReadDecimalNumber, ReadsAllDigitsAtExtendedPrecision)
{
    // The panel shows 1 / PlotScale with fifteen digits; reading it back must give the same
    // gain again, so the scale survives opening and accepting the panel unchanged.
    const double third = 1.0 / 300;
    const auto read = ReadDecimalNumber(RealText(1.0L / third));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(static_cast<double>(1.0L / *read), third);
    EXPECT_EQ(ReadDecimalNumber("0.1"), 0.1L);
}

TEST(ReadDecimalNumber, OutOfRangeGivesInfinityOrZero)
{
    const auto huge = ReadDecimalNumber("1E99999");
    ASSERT_TRUE(huge.has_value());
    EXPECT_TRUE(std::isinf(*huge) && *huge > 0);
    const auto negative = ReadDecimalNumber("-1E99999");
    ASSERT_TRUE(negative.has_value());
    EXPECT_TRUE(std::isinf(*negative) && *negative < 0);
    EXPECT_EQ(ReadDecimalNumber("1E-99999"), 0.0L);
}

} // namespace
} // namespace nirdal
