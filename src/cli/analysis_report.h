// SPDX-License-Identifier: MIT
#pragma once

#include "cli/table_writer.h"
#include "core/analysis/stability.h"
#include "core/tf/transfer_function.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace nirdal::cli {

/// One analysed variant and where it came from.
struct ReportRow
{
    int Line = 0;        ///< line of the class file; 0 for a --tf option
    std::string Student; ///< UTF-8; empty for a --tf option
    std::string Group;   ///< UTF-8
    int Number = 0;      ///< the variant's number among the --tf options or the student's lines
    std::string Text;    ///< the variant as NUM:DEN[:DELAY]
    StabilityAnalysis Analysis;
};

/// Writes rows one at a time as WriteReport does: csv, json and the text blocks as they come;
/// the text table, whose columns fit its widest cells, holds its cells until Finish. Texts
/// are written so that they cannot escape their place: in text with control characters
/// shown as escapes (TerminalText), in csv as CsvCell quotes them, in json escaped.
class ReportWriter
{
public:
    ReportWriter(std::FILE* out, ReportFormat format, bool classColumns);
    void Add(const ReportRow& row);
    /// Writes what is held and the end of the json array.
    void Finish();

private:
    std::FILE* m_out;
    TableWriter m_writer;
    ReportFormat m_format;
    bool m_classColumns;
    std::vector<std::vector<std::string>> m_table; ///< the text table, heading first
};

/// Writes the rows: in text a block a variant, or with classColumns a table a line; csv and
/// json carry the same fields either way, with the class file's columns when classColumns.
void WriteReport(std::FILE* out, const std::vector<ReportRow>& rows, ReportFormat format,
                 bool classColumns);

/// The cells of a row of the class report, in Russian: student, group, variant, verdict
/// ("устойчива", "неустойчива", "на границе"), gain margin, phase margin, delay margin and
/// notes (the failure, when the variant was not analysed).
std::vector<std::string> ClassReportCells(const ReportRow& row);

/// The open loop's gain k = B_μ/A_ν (the lowest coefficients of N and D that are not 0: W(0)
/// of a static loop, lim s^ν·W(s) of an astatic one) times the gain margin: the k at which
/// the closed loop reaches the boundary. None without a gain margin.
std::optional<Extended> CriticalGain(const TransferFunction& variant,
                                     const StabilityAnalysis& analysis);

/// The cells of a row of the key, in Russian, one a column of the key's table: student,
/// group, variant, verdict, gain margin (with dB), critical gain, U = −1/gain margin where the
/// hodograph crosses the negative real axis, phase margin, crossover frequency ω_c, delay
/// margin, overshoot σ and settling time of the closed loop's step response (for a stable
/// verdict), and notes.
std::vector<std::string> ClassKeyCells(const ReportRow& row, const TransferFunction& variant);

/// What the analysis does and how to read its results, for --help.
extern const char* const kAnalysisHelp;

} // namespace nirdal::cli
