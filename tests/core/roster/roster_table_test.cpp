// SPDX-License-Identifier: MIT
#include "core/roster/method_guide.h"
#include "core/roster/roster.h"
#include "core/roster/roster_table.h"
#include "platform/data_root.h"
#include "platform/text_encoding.h"
#include "support/temporary_root.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace nirdal {
namespace {

using namespace std::string_literals;

// "Свободнович С.С." in Windows-1251, written out byte by byte.
const std::string kFreeBytes = "\xD1\xE2\xEE\xE1\xEE\xE4\xED\xEE\xE2\xE8\xF7\x20\xD1\x2E\xD1\x2E";

// The field of a record at offset: its length byte and then its characters.
std::string Field(const std::string& file, std::size_t offset)
{
    return file.substr(offset + 1, static_cast<unsigned char>(file[offset]));
}

std::size_t SlotOffset(int g, int s)
{
    return 1236 * static_cast<std::size_t>(g - 1) + 6 + 41 * static_cast<std::size_t>(s - 1);
}

TEST(RosterTable, CyrillicNamesAreWrittenByteForByte)
{
    RosterGroups groups{};
    ASSERT_FALSE(ReadRosterTable("251,Иванов И.И.\n251,Петров П.П.\n252,Сидоров С.С.\n", groups));
    const std::string file = RosterFileBytes(groups);
    ASSERT_EQ(file.size(), 7416u);

    EXPECT_EQ(file.substr(0, 6), std::string("\x03"
                                             "251\0\0",
                                             6));
    EXPECT_EQ(file.substr(SlotOffset(1, 1), 12),
              "\x0B\xC8\xE2\xE0\xED\xEE\xE2\x20\xC8\x2E\xC8\x2E");
    EXPECT_EQ(Field(file, SlotOffset(1, 2)), "\xCF\xE5\xF2\xF0\xEE\xE2\x20\xCF\x2E\xCF\x2E");
    // The bytes after a name's length are zero, up to the next slot.
    EXPECT_EQ(file.substr(SlotOffset(1, 1) + 12, 29), std::string(29, '\0'));
    for (int s = 3; s <= 30; ++s)
        EXPECT_EQ(Field(file, SlotOffset(1, s)), kFreeBytes) << s;
    EXPECT_EQ(file.substr(1236, 4), "\x03"
                                    "252");
    EXPECT_EQ(Field(file, SlotOffset(2, 1)), "\xD1\xE8\xE4\xEE\xF0\xEE\xE2\x20\xD1\x2E\xD1\x2E");
    // Groups not named: no code, every slot free.
    for (int g = 3; g <= 6; ++g) {
        EXPECT_EQ(file[1236 * static_cast<std::size_t>(g - 1)], '\0') << g;
        EXPECT_EQ(Field(file, SlotOffset(g, 1)), kFreeBytes) << g;
        EXPECT_EQ(Field(file, SlotOffset(g, 30)), kFreeBytes) << g;
    }

    // The program's own reader finds the same names where the selection screen shows them.
    test_support::TemporaryRoot root;
    std::string error;
    ASSERT_TRUE(ReplaceFile(root.Path() / "curso.ASM", file, error)) << error;
    RosterGroups roster{};
    ReadRosterFile(root.Path() / "curso.ASM", roster);
    EXPECT_EQ(RosterSurname(roster, 1, 2), "Петров П.П.");
    EXPECT_EQ(GroupCount(roster, 1), 2);
    EXPECT_EQ(GroupCount(roster, 2), 1);
    EXPECT_TRUE(GroupPresent(roster, 2));
    EXPECT_FALSE(GroupPresent(roster, 3));
}

TEST(RosterTable, QuotesBlankLinesCommentsEmptyNamesAndGaps)
{
    RosterGroups groups{};
    const char* table = "\xEF\xBB\xBF# group,surname\r\n"
                        "\r\n"
                        "  \"25,1\" , \"Ка\"\"рпов\"\r\n"
                        "25,1,\n" // three fields: refused below, not here
        ;
    const auto refusal = ReadRosterTable(table, groups);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->Line, 4);

    ASSERT_FALSE(ReadRosterTable("\"25,1\",\"Ка\"\"рпов\"\n"
                                 "\"25,1\",\n"
                                 "\"25,1\",Свободнович С.С.\n"
                                 "\"25,1\",Орлов\n",
                                 groups));
    const std::string file = RosterFileBytes(groups);
    EXPECT_EQ(Field(file, 0), "25,1");
    EXPECT_EQ(Field(file, SlotOffset(1, 1)), "\xCA\xE0\x22\xF0\xEF\xEE\xE2");
    // An empty surname stays an empty, occupied slot; the free mark leaves a gap.
    EXPECT_EQ(file[SlotOffset(1, 2)], '\0');
    EXPECT_EQ(Field(file, SlotOffset(1, 3)), kFreeBytes);
    EXPECT_EQ(Field(file, SlotOffset(1, 4)), "\xCE\xF0\xEB\xEE\xE2");
    EXPECT_EQ(GroupCount(groups, 1), 4);
    EXPECT_TRUE(IsSlotOccupied(groups, 1, 2));
    EXPECT_FALSE(IsSlotOccupied(groups, 1, 3));
}

TEST(RosterTable, SpreadsheetTableInWindows1251WithSemicolonsIsTheSameRoster)
{
    // What a spreadsheet on a Russian desktop saves: Windows-1251, fields separated by
    // semicolons. A comma is part of a name there, and a semicolon in a code is quoted.
    const std::string cp1251 = "# \xE3\xF0\xF3\xEF\xEF\xE0;\xF4\xE0\xEC\xE8\xEB\xE8\xFF\r\n"
                               "251;\xC8\xE2\xE0\xED\xEE\xE2 \xC8.\xC8.\r\n"
                               "251;\xCF\xE5\xF2\xF0\xEE\xE2, \xCF.\xCF.\r\n"
                               "\"25;2\";\xD1\xE8\xE4\xEE\xF0\xEE\xE2 \xD1.\xD1.\r\n";
    const char* utf8 = "# группа,фамилия\n"
                       "251,Иванов И.И.\n"
                       "251,\"Петров, П.П.\"\n"
                       "25;2,Сидоров С.С.\n";
    RosterGroups fromSpreadsheet{}, fromUtf8{};
    const auto refusal = ReadRosterTable(cp1251, fromSpreadsheet);
    ASSERT_FALSE(refusal) << refusal->Line << ": " << refusal->Message;
    ASSERT_FALSE(ReadRosterTable(utf8, fromUtf8));
    EXPECT_EQ(RosterFileBytes(fromSpreadsheet), RosterFileBytes(fromUtf8));

    // And what the twins hold, in the roster's own Windows-1251 bytes.
    const std::string file = RosterFileBytes(fromSpreadsheet);
    EXPECT_EQ(Field(file, 0), "251");
    EXPECT_EQ(Field(file, SlotOffset(1, 2)), "\xCF\xE5\xF2\xF0\xEE\xE2, \xCF.\xCF.");
    EXPECT_EQ(Field(file, 1236), "25;2");
    EXPECT_EQ(Field(file, SlotOffset(2, 1)), "\xD1\xE8\xE4\xEE\xF0\xEE\xE2 \xD1.\xD1.");
}

TEST(RosterTable, TableTextReadsBackIntoTheSameBytes)
{
    std::string thirty;
    for (int s = 1; s <= 30; ++s)
        thirty += "A6,Имя " + std::to_string(s) + "\n";
    for (const std::string& table :
         {std::string("251,Иванов И.И.\n251,Петров П.П.\n252,Сидоров С.С.\n"),
          std::string("1,a\n2,b\n3,c\n4,d\n5,e\n6,f\n"), thirty,
          std::string("\"#x\",\"a, b\"\n#y,\"q\"\"\"\n"),
          std::string(
              "251,\n251,Свободнович С.С.\n251,Ёлкин\n252,Свободнович С.С.\n,Без группы\n")}) {
        RosterGroups written{}, again{};
        ASSERT_FALSE(ReadRosterTable(table, written)) << table;
        const std::string text = RosterTableText(written);
        ASSERT_FALSE(ReadRosterTable(text, again)) << text;
        EXPECT_EQ(RosterFileBytes(again), RosterFileBytes(written)) << text;
    }
    RosterGroups groups{};
    ASSERT_FALSE(ReadRosterTable("251,Иванов И.И.\n252,Свободнович С.С.\n", groups));
    EXPECT_EQ(RosterTableText(groups), "# group,surname\n251,Иванов И.И.\n252,Свободнович С.С.\n");
}

TEST(RosterTable, FormulaLikeNamesAreQuotedWithAnApostropheAndReadBack)
{
    const std::string table = "# group,surname\n"
                              "251,=1+1\n"
                              "251,+cmd|x\n"
                              "251,@SUM(A1)\n"
                              "251,-5\n"
                              "-1,'=x\n";
    RosterGroups groups{}, again{};
    // Typed by hand without quotes, the names are taken as they stand.
    ASSERT_FALSE(ReadRosterTable(table, groups));
    EXPECT_EQ(Cp1251ToUtf8(groups[0].Surnames[0].Text()), "=1+1");
    EXPECT_EQ(Cp1251ToUtf8(groups[1].GroupName.Text()), "-1");
    EXPECT_EQ(Cp1251ToUtf8(groups[1].Surnames[0].Text()), "=x");
    const std::string written = RosterTableText(groups);
    EXPECT_EQ(written, "# group,surname\n"
                       "251,\"'=1+1\"\n"
                       "251,\"'+cmd|x\"\n"
                       "251,\"'@SUM(A1)\"\n"
                       "251,\"'-5\"\n"
                       "\"'-1\",\"'=x\"\n");
    ASSERT_FALSE(ReadRosterTable(written, again));
    EXPECT_EQ(RosterFileBytes(again), RosterFileBytes(groups));
}

TEST(RosterTable, RefusalsNameTheLineAndChangeNothing)
{
    std::string thirtyOne;
    for (int s = 1; s <= 31; ++s)
        thirtyOne += "251,N" + std::to_string(s) + "\n";
    const struct
    {
        std::string table;
        int line;
        std::string message;
    } cases[] = {
        {"251,A\n123456,B\n", 2, "the group code \"123456\" is longer than 5 characters"},
        {"# x\n2,Щ" + std::string(40, 'x') + "\n", 2, "is longer than 40 characters"},
        {"2,Müller\n", 1, "\"ü\" (U+00FC), which Windows-1251 cannot hold"},
        {"1,a\n2,a\n3,a\n4,a\n5,a\n6,a\n\n7,a\n", 8, "a seventh group \"7\": the roster holds six"},
        {thirtyOne, 31, "a 31st name in group \"251\": a group holds thirty"},
        {"251,\"open\n", 1, "a quote is not closed"},
        {"251\n", 1, "expected 2 fields (group, surname), found 1"},
        {"251;Иванов;И.\n", 1, "found 3; a semicolon in a name needs quotes"},
        // A carriage return kept inside the name would be lost when the table is printed.
        {"251,Ivanov\n06172,etov\r\r\n", 2, "the surname holds the control character U+000D"},
        {"251,Iva\tnov\n", 1, "the surname holds the control character U+0009"},
        {"251,Ivanov\n252,Pe\0trov\n"s, 2, "the surname holds the control character U+0000 (NUL)"},
        {"251,Ivanov\n\n2\0,Petrov\n"s, 3, "the group code holds the control character U+0000"},
        // A long field is quoted by its first 80 characters only.
        {"251," + std::string(100000, 'x') + "\n", 1,
         "the surname \"" + std::string(80, 'x') + "…\" is longer than 40 characters"},
        {"\n# only a comment\n", 1, "names no student"},
        // Two students of one name and group: both lines named.
        {"251,Иванов\n252,Иванов\n251,Петров\n251,Иванов\n", 4,
         "\"Иванов\" of group \"251\" is on lines 1 and 4"},
    };
    for (const auto& c : cases) {
        RosterGroups groups{};
        groups[0].GroupName.Assign("KEEP");
        const std::string before = RosterFileBytes(groups);
        const auto refusal = ReadRosterTable(c.table, groups);
        ASSERT_TRUE(refusal) << c.table;
        EXPECT_EQ(refusal->Line, c.line) << c.table;
        EXPECT_NE(refusal->Message.find(c.message), std::string::npos) << refusal->Message;
        EXPECT_EQ(RosterFileBytes(groups), before);
    }
    // Exactly at the limits is taken: 5 and 40 characters, € (0x88) within the code page.
    RosterGroups groups{};
    EXPECT_FALSE(ReadRosterTable("12345," + std::string(39, 'x') + "€\n", groups));
}

// A spreadsheet's header line is skipped and its number given; a first line of a group and
// a name is a student.
TEST(RosterTable, HeaderLineIsSkippedByItsColumnNames)
{
    const struct
    {
        std::string table;
        int header;
    } cases[] = {
        {"Гр;ФИО\n251;Иванов\n", 1},
        {"Группа;ФИО\n251;Иванов\n", 1},
        {"\xC3\xF0\xF3\xEF\xEF\xE0;\xD4\xC8\xCE\n251;\xC8\xE2\xE0\xED\xEE\xE2\n", 1}, // 1251
        {"# list\ngroup,name\n251,Иванов\n", 2},
        {"251,Иванов\n", 0},
        {"Гр1,Иванов\n", 0},
    };
    for (const auto& c : cases) {
        RosterGroups groups{};
        int header = -1;
        ASSERT_FALSE(ReadRosterTable(c.table, groups, &header)) << c.table;
        EXPECT_EQ(header, c.header) << c.table;
        const std::string code = c.header == 0 && c.table.starts_with("Гр1") ? "\xC3\xF0" "1" : "251";
        EXPECT_EQ(groups[0].GroupName.Text(), code) << c.table;
        EXPECT_EQ(groups[1].GroupName.Text(), "") << c.table;
    }
}

TEST(MethodGuide, ProgramThenOwnDocumentThenTheMachinesThenNothing)
{
    test_support::TemporaryRoot scratch;
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path(scratch.Path());
    const auto own = scratch.Path() / "own";
    const std::vector<std::filesystem::path> machine{scratch.Path() / "m1", scratch.Path() / "m2"};

    EXPECT_TRUE(FindMethodGuide(own, machine).empty());
    test_support::WriteFile(machine[1] / "metod" / "albom.html", "<p>guide</p>");
    EXPECT_EQ(FindMethodGuide(own, machine), machine[1] / "metod" / "albom.html");
    test_support::WriteFile(machine[0] / "metod" / "albom.pdf", "%PDF");
    EXPECT_EQ(FindMethodGuide(own, machine), machine[0] / "metod" / "albom.pdf");
    test_support::WriteFile(own / "metod" / "albom.html", "<p>mine</p>");
    EXPECT_EQ(FindMethodGuide(own, machine), own / "metod" / "albom.html");
    test_support::WriteFile(own / "metod" / "albom.pdf", "%PDF");
    EXPECT_EQ(FindMethodGuide(own, machine), own / "metod" / "albom.pdf");
    test_support::WriteFile(scratch.Path() / "metod" / "albom.exe", "");
    EXPECT_EQ(FindMethodGuide(own, machine), std::filesystem::path("metod/albom.exe"));
    std::filesystem::current_path(here);
}

TEST(ReplaceFile, FailureLeavesTheOldContent)
{
    test_support::TemporaryRoot scratch;
    const auto file = scratch.Path() / "f";
    std::string error;
    ASSERT_TRUE(ReplaceFile(file, "old", error));
    EXPECT_FALSE(ReplaceFile(scratch.Path() / "missing" / "f", "x", error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    ASSERT_TRUE(ReplaceFile(file, "new", error));
    EXPECT_EQ(test_support::ReadFile(file), "new");
    // Nothing of the temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.Path()), {}), 1);
}

} // namespace
} // namespace nirdal
