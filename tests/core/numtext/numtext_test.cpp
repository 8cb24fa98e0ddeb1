// SPDX-License-Identifier: MIT
#include "core/numtext/numtext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace nirdal {
namespace {

struct FormatCase
{
    Extended value;
    const char* text;
};

class FormatNumberTest : public testing::TestWithParam<FormatCase>
{
};

TEST_P(FormatNumberTest, ShowsThreeTruncatedDigits)
{
    EXPECT_EQ(FormatNumber(GetParam().value), GetParam().text) << static_cast<double>(GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(TinyValues, FormatNumberTest,
                         testing::Values(FormatCase{0, "00"}, FormatCase{5e-10L, "00"},
                                         FormatCase{-5e-10L, "00"}, FormatCase{1e-9L, "1.00E-9"}));

INSTANTIATE_TEST_SUITE_P(PowersOfTenKeepMantissaTen, FormatNumberTest,
                         testing::Values(FormatCase{1, "1.00"}, FormatCase{10, "10.00"},
                                         FormatCase{100, "100.0"}, FormatCase{1000, "1000"},
                                         FormatCase{100000, "100000"},
                                         FormatCase{1000000, "10.00E5"}));

INSTANTIATE_TEST_SUITE_P(
    FixedForm, FormatNumberTest,
    testing::Values(FormatCase{0.125L, "0.125"}, FormatCase{2.5L, "2.50"}, FormatCase{12.5L, "12.5"},
                    FormatCase{125, "125"}, FormatCase{3072, "3070"}, FormatCase{65536, "65500"},
                    FormatCase{-3.25L, "-3.25"}, FormatCase{-45.75L, "-45.7"},
                    FormatCase{-2048, "-2040"}, FormatCase{0.5L, "0.500"}));

INSTANTIATE_TEST_SUITE_P(ExponentForm, FormatNumberTest,
                         testing::Values(FormatCase{0.03125L, "3.12E-2"},
                                         FormatCase{123456, "1.23E5"},
                                         FormatCase{0.0006103515625L, "6.10E-4"},
                                         FormatCase{-0.0553846L, "-5.53E-2"},
                                         FormatCase{0.003077L, "3.07E-3"}));

// 18/10 in extended lies just below 1.8, so the truncated digits read 17.9.
INSTANTIATE_TEST_SUITE_P(ExtendedRounding, FormatNumberTest,
                         testing::Values(FormatCase{18, "17.9"}));

TEST(FormatNumber, NeverLongerThanElevenCharacters)
{
    for (Extended x : {std::numeric_limits<Extended>::max(), -std::numeric_limits<Extended>::max(),
                       std::numeric_limits<Extended>::denorm_min(), -1e-9L, -1e300L, 1e4000L}) {
        const std::string text = FormatNumber(x);
        EXPECT_LE(text.size(), 11u) << text;
    }
    EXPECT_EQ(FormatNumber(-std::numeric_limits<Extended>::max()), "-1.18E4932");
}

TEST(IntegerText, PlainDecimal)
{
    EXPECT_EQ(IntegerText(7), "7");
    EXPECT_EQ(IntegerText(-12), "-12");
    EXPECT_EQ(IntegerText(0), "0");
    EXPECT_EQ(IntegerText(-2147483647 - 1), "-2147483648");
}

TEST(RealText, TwentyThreeCharacterScientificField)
{
    EXPECT_EQ(RealText(100), " 1.00000000000000E+0002");
    EXPECT_EQ(RealText(-0.25L), "-2.50000000000000E-0001");
    EXPECT_EQ(RealText(300), " 3.00000000000000E+0002");
    EXPECT_EQ(RealText(1e-4000L).size(), 23u);
    EXPECT_EQ(RealText(0), " 0.00000000000000E+0000");
}

TEST(SignOf, ZeroCountsAsNegative)
{
    EXPECT_EQ(SignOf(3), 1);
    EXPECT_EQ(SignOf(-3), -1);
    EXPECT_EQ(SignOf(0), -1);
}

struct ParseCase
{
    const char* text;
    Extended value;
};

class ParseNumberTest : public testing::TestWithParam<ParseCase>
{
};

TEST_P(ParseNumberTest, ReadsTypedText)
{
    EXPECT_EQ(ParseNumber(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Ordinary, ParseNumberTest,
    testing::Values(ParseCase{"12.5", 12.5L}, ParseCase{"-3.25", -3.25L}, ParseCase{"12", 12},
                    ParseCase{"", 0}, ParseCase{".5", 0.5L}, ParseCase{"-0.5", -0.5L},
                    ParseCase{"123456789", 123456789}, ParseCase{"0.1", 0.1L}));

INSTANTIATE_TEST_SUITE_P(AnyNonDigitSeparates, ParseNumberTest,
                         testing::Values(ParseCase{"1,5", 1.5L}, ParseCase{"1.2.3", 1.23L},
                                         ParseCase{"+5", 0.5L}, ParseCase{"1e5", 1.5L},
                                         ParseCase{"abc", 0}, ParseCase{"--2", -0.2L}));

TEST(ParseNumber, FractionIsDividedByTenOncePerDigit)
{
    // 1234567 followed by "00" is 123456700, divided by 10 nine times, each rounded.
    Extended expected = 123456700;
    for (int i = 0; i < 9; ++i)
        expected = expected / 10;
    EXPECT_EQ(ParseNumber("0.1234567"), expected);
    EXPECT_EQ(ParseNumber("999999999.1234567"), 999999999 + expected);
}

TEST(ParseNumber, OverlongDigitBufferRaisesConversionError)
{
    try {
        ParseNumber("99999999999");
        FAIL() << "no error raised";
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'0099999999999' is not a valid integer value");
    }
    EXPECT_THROW(ParseNumber("2147483648"), ConversionError);
    EXPECT_EQ(ParseNumber("2147483647"), 2147483647);
    // Eight fraction digits and the "00" behind them overflow the fraction buffer.
    EXPECT_THROW(ParseNumber("0.22222222"), ConversionError);
    EXPECT_NO_THROW(ParseNumber("0.12345678")); // 1234567800 still fits
    EXPECT_THROW(ParseNumber(std::string(300, '9')), ConversionError);
    EXPECT_EQ(ParseNumber(std::string(300, 'x')), 0);
}

} // namespace
} // namespace nirdal
