// SPDX-License-Identifier: MIT
#include "core/common/csv_line.h"
#include "core/common/safe_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nirdal {
namespace {

using namespace std::string_literals;

TEST(SafeText, ControlCharactersReachTheTerminalAsEscapes)
{
    const struct
    {
        std::string text, shown;
    } cases[] = {
        {"Иванов И.И.", "Иванов И.И."},
        // A window title set and the screen cleared, by C0 escape sequences.
        {"\x1b]0;owned\x07\x1b[2J", "\\x1b]0;owned\\x07\\x1b[2J"},
        {"a\tb\r\nc", "a\\x09b\\x0d\\x0ac"},
        {"nul\0end"s, "nul\\x00end"},
        {"del\x7f", "del\\x7f"},
        // C1 controls as UTF-8 (U+009B is CSI, U+0085 NEL); U+00A0 and Cyrillic stay.
        {"\xc2\x9b"
         "2J\xc2\x85",
         "\\u009b2J\\u0085"},
        {"\xc2\x80\xc2\x9f\xc2\xa0Ж", "\\u0080\\u009f\xc2\xa0Ж"},
        {"back\\slash", "back\\slash"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TerminalText(c.text), c.shown) << c.shown;
}

TEST(SafeText, ExcerptKeepsAtMostItsCharacters)
{
    const struct
    {
        std::string text;
        std::size_t characters;
        std::string excerpt;
    } cases[] = {
        {"abc", 3, "abc"},
        {"abcd", 3, "abc…"},
        {"ЖЖЖЖ", 2, "ЖЖ…"},
        {"", 80, ""},
        {std::string(80, 'x'), 80, std::string(80, 'x')},
        {std::string(1000000, 'x'), 80, std::string(80, 'x') + "…"},
        // Continuation bytes that no lead byte announced count one by one.
        {std::string(1000, '\xaa'), 3, "\xaa\xaa\xaa…"},
        {"Ж" + std::string(5, '\x99'), 2, "Ж\x99…"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Excerpt(c.text, c.characters), c.excerpt) << c.text.substr(0, 10);
}

TEST(SafeText, CsvCellsThatASpreadsheetWouldRunAreQuotedWithAnApostrophe)
{
    const struct
    {
        std::string field, cell;
    } cases[] = {
        {"Иванов И.И.", "Иванов И.И."},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\rin", "\"cr\rin\""},
        {"nul\0in"s, "\"nul\0in\""s},
        {"#x", "\"#x\""},
        {"=1+1", "\"'=1+1\""},
        {"+cmd|' /C calc'!A0", "\"'+cmd|' /C calc'!A0\""},
        {"-5", "\"'-5\""},
        {"@SUM(A1)", "\"'@SUM(A1)\""},
        {"\tx", "\"'\tx\""},
        {"\rx", "\"'\rx\""},
        {"=HYPERLINK(\"a\",\"b\")", "\"'=HYPERLINK(\"\"a\"\",\"\"b\"\")\""},
        // Inside a text, or behind its own apostrophe, the rule still tells them apart.
        {"a=1", "a=1"},
        {"x-5", "x-5"},
        {"'=1", "\"''=1\""},
        {"'a", "'a"},
        {"'", "'"},
    };
    std::vector<std::string> fields;
    for (const auto& c : cases) {
        EXPECT_EQ(CsvCell(c.field), c.cell) << c.field;
        // What SplitCsvLine reads back, blanks at the ends aside.
        const std::string line = CsvCell(c.field) + "," + CsvCell(c.field);
        ASSERT_TRUE(SplitCsvLine(line, fields)) << line;
        EXPECT_EQ(fields, (std::vector<std::string>{c.field, c.field})) << line;
    }
}

TEST(SafeText, ApostropheBeforeAFormulaIsDroppedOnReading)
{
    const struct
    {
        std::string line;
        std::vector<std::string> fields;
    } cases[] = {
        {"\"'=1+1\",'-5", {"=1+1", "-5"}},
        {"\"''@x\"", {"'@x"}},
        // An apostrophe before anything else is the name's own.
        {"'a,\"'b\",O'Neil", {"'a", "'b", "O'Neil"}},
        {" \"'+1\" ", {"+1"}},
    };
    std::vector<std::string> fields;
    for (const auto& c : cases) {
        ASSERT_TRUE(SplitCsvLine(c.line, fields)) << c.line;
        EXPECT_EQ(fields, c.fields) << c.line;
    }
}

} // namespace
} // namespace nirdal
