// SPDX-License-Identifier: MIT
#include "core/common/csv_line.h"

#include "platform/text_encoding.h"

#include <algorithm>

namespace nirdal {

namespace {

// A spreadsheet runs a cell that starts so as a formula ("=1+1", "+cmd|…", "@SUM(…)").
bool StartsAFormula(std::string_view text)
{
    return !text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos;
}

// Formula-like behind apostrophes too, so that a text that itself starts with "'=" keeps its
// apostrophe through CsvCell and SplitCsvLine.
bool NeedsApostrophe(std::string_view text)
{
    const std::size_t first = text.find_first_not_of('\'');
    return first != std::string_view::npos && StartsAFormula(text.substr(first));
}

} // namespace

bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const int length = byte < 0x80         ? 1
                           : (byte >> 5) == 6  ? 2
                           : (byte >> 4) == 14 ? 3
                           : (byte >> 3) == 30 ? 4
                                               : 0;
        if (length == 0 || i + static_cast<std::size_t>(length) > text.size())
            return false;
        for (int k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) >> 6) != 2)
                return false;
        }
        i += static_cast<std::size_t>(length);
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SplitCsvLine(std::string_view line, std::vector<std::string>& fields, char separator)
{
    fields.assign(1, std::string());
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"')
                fields.back() += c;
            else if (i + 1 < line.size() && line[i + 1] == '"')
                fields.back() += line[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == separator) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    for (std::string& field : fields) {
        field = std::string(TrimBlanks(field));
        if (field.starts_with('\'') && NeedsApostrophe(field))
            field.erase(0, 1);
    }
    return !quoted;
}

TableText ReadTableText(std::string_view bytes, std::size_t fields)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    TableText table;
    table.Text = IsUtf8(bytes) ? std::string(bytes) : Cp1251ToUtf8(bytes);
    ForEachTableLine(table.Text, [&](int, std::string_view line) {
        std::vector<std::string> atCommas, atSemicolons;
        SplitCsvLine(line, atCommas, ',');
        SplitCsvLine(line, atSemicolons, ';');
        if (atCommas.size() < fields && atSemicolons.size() >= fields)
            table.Separator = ';';
        return false;
    });
    return table;
}

std::string CsvCell(std::string_view field)
{
    const bool apostrophe = NeedsApostrophe(field);
    if (!apostrophe && field.find_first_of(std::string_view(",\"\n\r\0", 5)) == field.npos &&
        !field.starts_with('#'))
        return std::string(field);
    std::string quoted = apostrophe ? "\"'" : "\"";
    for (const char c : field)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

} // namespace nirdal

namespace nirdal {

bool IsHeaderLine(const std::vector<std::string>& cells)
{
    // Lower case of the Russian and Latin letters the names are written in.
    static const std::vector<std::string> kNames = {
        "группа", "гр",   "фио",      "фамилия", "студент", "ученик", "имя",
        "group",  "name", "surname",  "student"};
    for (const std::string& cell : cells) {
        std::string word(TrimBlanks(cell));
        while (!word.empty() && (word.back() == '.' || word.back() == ':'))
            word.pop_back();
        std::string lower;
        for (std::size_t i = 0; i < word.size(); ++i) {
            const auto c = static_cast<unsigned char>(word[i]);
            if (c >= 'A' && c <= 'Z') {
                lower += static_cast<char>(c + 32);
            } else if (c == 0xD0 && i + 1 < word.size()) {
                // А–П (D0 90–9F) to а–п (D0 B0–BF), Р–Я (D0 A0–AF) to р–я (D1 80–8F).
                const auto next = static_cast<unsigned char>(word[++i]);
                if (next >= 0x90 && next <= 0x9F)
                    lower += {'\xD0', static_cast<char>(next + 0x20)};
                else if (next >= 0xA0 && next <= 0xAF)
                    lower += {'\xD1', static_cast<char>(next - 0x20)};
                else
                    lower += {'\xD0', static_cast<char>(next)};
            } else {
                lower += static_cast<char>(c);
            }
        }
        if (std::find(kNames.begin(), kNames.end(), lower) != kNames.end())
            return true;
    }
    return false;
}

} // namespace nirdal
