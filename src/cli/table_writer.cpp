// SPDX-License-Identifier: MIT
#include "cli/table_writer.h"

#include "core/common/number_text.h"
#include "core/common/safe_text.h"

#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace nirdal::cli {

bool ParseReportFormat(std::string_view text, ReportFormat& format)
{
    if (text == "text")
        format = ReportFormat::Text;
    else if (text == "csv")
        format = ReportFormat::Csv;
    else if (text == "json")
        format = ReportFormat::Json;
    else
        return false;
    return true;
}

// Control characters, DEL and the C1 controls (U+0080..U+009F) as \u escapes, so that a
// file shown on a terminal shows them as text.
std::string JsonString(std::string_view text)
{
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        const bool c1 = byte == 0xC2 && i + 1 < text.size() &&
                        static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte == 0x7F || c1) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x",
                          c1 ? static_cast<unsigned char>(text[++i]) : unsigned{byte});
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string FullNumber(Extended value)
{
    return std::isfinite(value) ? SignificantText(value, 15) : "null";
}

std::string ShortNumber(Extended value)
{
    return SignificantText(value, 6);
}

std::string JsonNumbers(const std::vector<Extended>& values)
{
    std::string text = "[";
    for (std::size_t i = 0; i < values.size(); ++i)
        text += (i ? "," : "") + FullNumber(values[i]);
    return text + "]";
}

TableWriter::TableWriter(std::FILE* out, ReportFormat format, std::string_view csvHeading)
    : m_out(out), m_format(format), m_terminal(::isatty(::fileno(out)) != 0)
{
    if (m_format == ReportFormat::Csv)
        std::fwrite(csvHeading.data(), 1, csvHeading.size(), m_out);
    else if (m_format == ReportFormat::Json)
        std::fputs("[", m_out);
}

void TableWriter::Add(std::string_view record)
{
    std::string text;
    switch (m_format) {
    case ReportFormat::Text:
        text = (m_records > 0 ? "\n" : "") + std::string(record);
        break;
    case ReportFormat::Csv:
        if (!m_terminal) {
            text = record;
            break;
        }
        // A file gets the cells as they are; a terminal would run their control characters.
        for (std::size_t start = 0; start < record.size();) {
            const std::size_t end = std::min(record.find('\n', start), record.size());
            text += TerminalText(record.substr(start, end - start));
            if (end < record.size())
                text += '\n';
            start = end + 1;
        }
        break;
    case ReportFormat::Json:
        text = (m_records > 0 ? ",\n" : "\n") + std::string(record);
        break;
    }
    ++m_records;
    // fwrite, not %s: the record is written whole whatever it holds.
    std::fwrite(text.data(), 1, text.size(), m_out);
}

void TableWriter::Finish()
{
    if (m_format == ReportFormat::Json)
        std::fputs("\n]\n", m_out);
}

} // namespace nirdal::cli
