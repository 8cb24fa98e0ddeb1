// SPDX-License-Identifier: MIT
#include "core/common/russian_text.h"

#include <gtest/gtest.h>

namespace nirdal {
namespace {

TEST(RussianText, CountTakesTheFormRussianGrammarAsks)
{
    const struct
    {
        long long count;
        const char* text;
    } cases[] = {
        {0, "0 студентов"},     {1, "1 студент"},       {2, "2 студента"},
        {4, "4 студента"},      {5, "5 студентов"},     {11, "11 студентов"},
        {12, "12 студентов"},   {14, "14 студентов"},   {21, "21 студент"},
        {22, "22 студента"},    {25, "25 студентов"},   {101, "101 студент"},
        {111, "111 студентов"}, {112, "112 студентов"}, {1004, "1004 студента"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RussianCount(c.count, "студент", "студента", "студентов"), c.text);
}

TEST(RussianText, DecimalPointsBecomeCommas)
{
    EXPECT_EQ(DecimalComma("1.73205"), "1,73205");
    EXPECT_EQ(DecimalComma("-3.52 дБ при ω = 0.5"), "-3,52 дБ при ω = 0,5");
    EXPECT_EQ(DecimalComma("1e-06"), "1e-06");
}

} // namespace
} // namespace nirdal
