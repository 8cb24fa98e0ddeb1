// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace nirdal::cli {

/// How a command prints its results: --format text, csv or json.
enum class ReportFormat
{
    Text,
    Csv,
    Json,
};

/// Reads "text", "csv" or "json".
bool ParseReportFormat(std::string_view text, ReportFormat& format);

/// text as a JSON string in quotes, control characters, DEL and the C1 controls escaped.
std::string JsonString(std::string_view text);

/// Fifteen significant digits, for files that programs read on; "null" for inf and nan,
/// which neither csv nor json can carry as a number.
std::string FullNumber(Extended value);

/// Six significant digits, as a reader compares results on a terminal.
std::string ShortNumber(Extended value);

/// values as a JSON array of FullNumber.
std::string JsonNumbers(const std::vector<Extended>& values);

/// Writes the records of a command, one a variant, in one of the three formats: text blocks
/// parted by an empty line; csv lines under their heading; json objects in an array, one a
/// line. Csv cells reach a terminal with their control characters shown as escapes
/// (TerminalText); a file gets them as they are.
class TableWriter
{
public:
    /// Begins the output: csv's heading line (with its newline), json's "[".
    TableWriter(std::FILE* out, ReportFormat format, std::string_view csvHeading);
    /// Writes one record: a text block, csv lines each ending in a newline, or a json object.
    void Add(std::string_view record);
    /// Ends json's array.
    void Finish();

private:
    std::FILE* m_out;
    ReportFormat m_format;
    bool m_terminal;
    std::size_t m_records = 0;
};

} // namespace nirdal::cli
