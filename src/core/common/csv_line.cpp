#include "core/common/csv_line.h"

#include "platform/text_encoding.h"

namespace nirdal {

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
    for (std::string& field : fields)
        field = std::string(TrimBlanks(field));
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
    if (field.find_first_of(",\"") == std::string_view::npos && !field.starts_with('#'))
        return std::string(field);
    std::string quoted = "\"";
    for (const char c : field)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

} // namespace nirdal
