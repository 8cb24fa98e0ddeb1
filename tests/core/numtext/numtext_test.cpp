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

// The digits come from the shortest text that reads back as the value, not from its binary
// expansion: 10 and 100000 are not held at a mantissa of 10, and a typed 2.36 is no 2.35999….
INSTANTIATE_TEST_SUITE_P(PowersOfTen, FormatNumberTest,
                         testing::Values(FormatCase{1, "1.00"}, FormatCase{10, "10.0"},
                                         FormatCase{100, "100"}, FormatCase{1000, "1000"},
                                         FormatCase{100000, "1.00E5"},
                                         FormatCase{1000000, "1.00E6"},
                                         FormatCase{0.1L, "0.100"}, FormatCase{1e-5L, "1.00E-5"},
                                         FormatCase{1e20L, "1.00E20"}));

INSTANTIATE_TEST_SUITE_P(
    FixedForm, FormatNumberTest,
    testing::Values(FormatCase{0.125L, "0.125"}, FormatCase{2.5L, "2.50"}, FormatCase{12.5L, "12.5"},
                    FormatCase{125, "125"}, FormatCase{3072, "3070"}, FormatCase{65536, "65500"},
                    FormatCase{-3.25L, "-3.25"}, FormatCase{-45.75L, "-45.7"},
                    FormatCase{-2048, "-2040"}, FormatCase{0.5L, "0.500"},
                    FormatCase{99999.9L, "99900"}));

INSTANTIATE_TEST_SUITE_P(ExponentForm, FormatNumberTest,
                         testing::Values(FormatCase{0.03125L, "3.12E-2"},
                                         FormatCase{123456, "1.23E5"},
                                         FormatCase{0.0006103515625L, "6.10E-4"},
                                         FormatCase{-0.0553846L, "-5.53E-2"},
                                         FormatCase{0.003077L, "3.07E-3"}));

// Values whose binary expansion lies just below what was typed show what was typed; a
// computed value just below a round one still shows the digits below it.
INSTANTIATE_TEST_SUITE_P(
    TypedDigits, FormatNumberTest,
    testing::Values(FormatCase{18, "18.0"}, FormatCase{17.9L, "17.9"}, FormatCase{2.36L, "2.36"},
                    FormatCase{0.802L, "0.802"}, FormatCase{0.064L, "6.40E-2"},
                    FormatCase{2.35L, "2.35"}, FormatCase{1.15L, "1.15"},
                    FormatCase{-0.15L, "-0.150"}, FormatCase{0.0000105L, "1.05E-5"},
                    FormatCase{104.99999999999L, "104"}, FormatCase{105, "105"}));

TEST(FormatNumber, ValuesNextToTheEdgesKeepTheirSide)
{
    EXPECT_EQ(FormatNumber(std::nextafter(105.0L, 0.0L)), "104");
    EXPECT_EQ(FormatNumber(std::nextafter(1e-9L, 0.0L)), "00");
    EXPECT_EQ(FormatNumber(std::nextafter(1e-9L, 1.0L)), "1.00E-9");
    EXPECT_EQ(FormatNumber(std::nextafter(0.1L, 0.0L)), "9.99E-2");
    EXPECT_EQ(FormatNumber(std::nextafter(100000.0L, 0.0L)), "99900");
}

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

TEST(ShortestText, ReadsBackExactly)
{
    EXPECT_EQ(ShortestText(1e-5L), "1e-05");
    EXPECT_EQ(ShortestText(2.36L), "2.36");
    EXPECT_EQ(ShortestText(18), "18");
    EXPECT_EQ(ShortestText(100), "100");
    EXPECT_EQ(ShortestText(-0.1L), "-0.1");
    // A third is 0xAAAAAAAAAAAAAAAB·2^-65 = 0.3333333333333333333423…, its neighbours 2^-65
    // (2.7e-20) away: twenty digits tell it from them, nineteen do not.
    EXPECT_EQ(ShortestText(1.0L / 3), "0.33333333333333333334");
}

struct ReadCase
{
    const char* text;
    Extended value;
};

TEST(ReadNumber, ReadsWhatIsTypedAsTheNearestValue)
{
    const ReadCase cases[] = {
        {"12.5", 12.5L}, {"-3.25", -3.25L}, {"12", 12}, {".5", 0.5L}, {"5.", 5},
        {"-0.5", -0.5L}, {"+5", 5}, {"1,5", 1.5L}, {"2,36", 2.36L}, {"0.1", 0.1L},
        {"1e5", 100000}, {"1e-5", 1e-5L}, {"2.5E-1", 0.25L}, {"1e+0", 1}, {" 2", 2},
        {"2 ", 2}, {"\t250", 250}, {" 2,5 ", 2.5L}, {"0012345678901", 12345678901.0L},
        // What the screens write themselves: the print panel's gain, a delay shown in the
        // exponent form, a general text.
        {" 1.00000000000000E+0002", 100}, {"5.00E-2", 0.05L}, {"5E-5", 0.00005L},
        {"1E-99999", 0}};
    for (const ReadCase& c : cases) {
        const auto value = ReadNumber(c.text);
        ASSERT_TRUE(value.has_value()) << '"' << c.text << '"';
        EXPECT_EQ(*value, c.value) << '"' << c.text << '"';
    }
}

TEST(ReadNumber, RefusesAnythingButOneNumber)
{
    for (const char* text :
         {"", "   ", "abc", "0x10", "--1", "+-1", "1.2.3", "1,2.3", "1 000", "e5", "1e", "2e+",
          ".", "-", "+.", "1e2.5", "1.5e+-2", "25O", "inf", "nan", "-INF", "250\n", "5 с",
          "1e99999", "-1E99999"})
        EXPECT_FALSE(ReadNumber(text).has_value()) << '"' << text << '"';
}

TEST(ReadNumber, ReadsAllDigitsAtExtendedPrecision)
{
    // The print panel shows 1 / PlotScale with fifteen digits; reading it back must give the
    // same gain again, so the scale survives opening and accepting the panel unchanged.
    const double third = 1.0 / 300;
    const auto read = ReadNumber(RealText(1.0L / third));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(static_cast<double>(1.0L / *read), third);
}

TEST(ParseNumber, RefusalQuotesTheTextSafelyInRussian)
{
    const auto message = [](const std::string& text) {
        try {
            ParseNumber(text);
        } catch (const ConversionError& error) {
            return std::string(error.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(message("abc"), "«abc» — не число: допустимы знак, цифры с одной точкой или "
                              "запятой и порядок, например -1,5e-3");
    EXPECT_EQ(message("1e99999"), "«1e99999» — число вне допустимых пределов");
    EXPECT_TRUE(message("1\x1b[2J").starts_with("«1\\x1b[2J» — не число")) << message("1\x1b[2J");
    EXPECT_TRUE(message(std::string(300, '7') + "x").starts_with("«" + std::string(24, '7') + "…» — "));
    EXPECT_EQ(ParseNumber("1,5"), 1.5L);
}

} // namespace
} // namespace nirdal
