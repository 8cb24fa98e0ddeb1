// SPDX-License-Identifier: MIT
#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace nirdal {
namespace {

TEST(TextEncoding, RussianTextRoundTrips)
{
    // "частота" in Windows-1251.
    const std::string cp1251 = "\xF7\xE0\xF1\xF2\xEE\xF2\xE0";
    EXPECT_EQ(Cp1251ToUtf8(cp1251), "частота");
    EXPECT_EQ(Utf8ToCp1251("частота"), cp1251);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8("Ёё №")), "Ёё №");
}

TEST(TextEncoding, AsciiPassesUnchanged)
{
    EXPECT_EQ(Cp1251ToUtf8("A3  =1.00 "), "A3  =1.00 ");
    EXPECT_EQ(Utf8ToCp1251(""), "");
}

TEST(TextEncoding, CharactersTheCodePageLacksBecomeQuestionMarks)
{
    EXPECT_EQ(Utf8ToCp1251("a€b"), "a\x88"
                                   "b"); // the euro sign exists in 1251
    EXPECT_EQ(Utf8ToCp1251("a漢b"), "a?b");
    EXPECT_EQ(Utf8ToCp1251("x\xFFy"), "x?y");    // malformed byte
    EXPECT_EQ(Utf8ToCp1251("end\xD0"), "end?"); // truncated sequence at the end
}

} // namespace
} // namespace nirdal
