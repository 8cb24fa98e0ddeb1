// SPDX-License-Identifier: MIT
#include "core/common/csv_line.h"

#include <gtest/gtest.h>

namespace nirdal {
namespace {

// "Иванов" in Windows-1251, as a spreadsheet on a Russian desktop saves it.
const std::string kIvanovCp1251 = "\xC8\xE2\xE0\xED\xEE\xE2";

TEST(TableText, Windows1251IsReadAsUtf8AndUtf8IsKept)
{
    EXPECT_EQ(ReadTableText(kIvanovCp1251 + ",1\n", 2).Text, "Иванов,1\n");
    EXPECT_EQ(ReadTableText("Иванов,1\n", 2).Text, "Иванов,1\n");
    // The byte order mark goes; Windows-1251 has no such mark.
    EXPECT_EQ(ReadTableText("\xEF\xBB\xBFИванов,1\n", 2).Text, "Иванов,1\n");
    // One byte that is not UTF-8 makes the whole table Windows-1251: "Ђ" is 0x80 there.
    EXPECT_EQ(ReadTableText("a,b\n\x80,c\n", 2).Text, "a,b\nЂ,c\n");
}

TEST(TableText, FirstLineThatSplitsOnlyAtSemicolonsChoosesThem)
{
    const struct
    {
        const char* bytes;
        std::size_t fields;
        char separator;
    } cases[] = {
        {"251;Иванов\n", 2, ';'},
        {"251,Иванов\n", 2, ','},
        // Comments and blank lines do not count; the first table line does.
        {"# group,surname\n\n251;Иванов\n252,Петров\n", 2, ';'},
        // Too few fields either way: commas, as before.
        {"251\n", 2, ','},
        // A semicolon inside quotes separates nothing.
        {"\"2;5\"\n", 2, ','},
        // Enough fields at commas: the semicolons are data ("1;3;3;1" coefficients).
        {"Петров,,1;2,1;4;6;4;1,0.5\n", 4, ','},
        // A class file's header from a Russian spreadsheet, and its first line without one,
        // whose decimal commas leave too few fields at commas.
        {"студент;группа;числитель;знаменатель\n", 4, ';'},
        {"Иванов;СЭУ-41;0,5 1;1 3 3 1;0,3\n", 4, ';'},
        {"Иванов;СЭУ-41;4;1 3 3 1\n", 5, ','},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadTableText(c.bytes, c.fields).Separator, c.separator) << c.bytes;
}

TEST(TableText, LinesSplitAtTheGivenSeparatorOutsideQuotes)
{
    std::vector<std::string> fields;
    ASSERT_TRUE(SplitCsvLine(" 251 ; \"Иванов; И.\" ;x,y", fields, ';'));
    EXPECT_EQ(fields, (std::vector<std::string>{"251", "Иванов; И.", "x,y"}));
    ASSERT_TRUE(SplitCsvLine("a;b,c", fields));
    EXPECT_EQ(fields, (std::vector<std::string>{"a;b", "c"}));
    EXPECT_FALSE(SplitCsvLine("a;\"b", fields, ';'));
}

} // namespace
} // namespace nirdal
