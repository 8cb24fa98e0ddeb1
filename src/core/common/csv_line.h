// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nirdal {

/// True when text is well-formed UTF-8.
bool IsUtf8(std::string_view text);

/// text without blanks and tabs at either end.
std::string_view TrimBlanks(std::string_view text);

/// Splits one line of a table at separators outside quotes ("…", with "" for a quote), each
/// field without blanks at its ends and without the apostrophe CsvCell puts before a
/// formula-like text; false when a quote is left open.
bool SplitCsvLine(std::string_view line, std::vector<std::string>& fields, char separator = ',');

/// Calls take(number, line) for each line of text (numbered from 1, without its line break
/// or carriage return, trimmed) that is neither blank nor starts with '#'. A leading UTF-8
/// byte order mark is skipped. take returns false to stop.
template <typename Take> void ForEachTableLine(std::string_view text, Take take)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    for (int number = 1; !text.empty(); ++number) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        line = TrimBlanks(line);
        if (line.empty() || line.starts_with('#'))
            continue;
        if (!take(number, line))
            return;
    }
}

/// A table as a spreadsheet saved it: its text in UTF-8 and the character between its fields.
struct TableText
{
    std::string Text;
    char Separator = ',';
};

/// Reads the bytes of a table: UTF-8, or Windows-1251 when they are not UTF-8 (a spreadsheet's
/// CSV on a Russian desktop), without a byte order mark. Its fields are separated by ';' when
/// the first line that is neither blank nor a comment splits at semicolons into at least
/// `fields` fields and at commas into fewer, and by ',' otherwise; so a table that reads in
/// fields at commas is never taken apart at its semicolons.
TableText ReadTableText(std::string_view bytes, std::size_t fields);

/// field, a text, as a table cell that SplitCsvLine reads back and a spreadsheet shows as
/// text: quoted when it holds a comma, a quote, a line break or a NUL, or starts with '#' or
/// like a formula ('=', '+', '-', '@', a tab or a carriage return, after any apostrophes);
/// a formula-like one gets an apostrophe inside the quotes, which SplitCsvLine drops again.
/// A number written as a number goes into its cell as it is, not through here.
std::string CsvCell(std::string_view field);

/// Whether a first line of a class list is its header rather than a student: one of its
/// cells is a column's name, such as "Группа", "Гр", "ФИО", "Студент", "group" or "name"
/// (any case, a point or colon after it allowed). The roster table and the class file take
/// their header by this one rule.
bool IsHeaderLine(const std::vector<std::string>& cells);

} // namespace nirdal
