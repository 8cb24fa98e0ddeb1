// SPDX-License-Identifier: MIT
#include "cli/analysis_report.h"

#include "core/analysis/step_response.h"
#include "core/common/csv_line.h"
#include "core/common/number_text.h"
#include "core/common/russian_text.h"
#include "core/common/safe_text.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace nirdal::cli {

namespace {

Extended Decibels(Extended factor)
{
    return 20 * std::log10(factor);
}

// Five digits, and parts below 1e-5 of the modulus shown as zero: the eigenvalues of a
// multiple root scatter by about a millionth, which six digits would show as noise.
std::string PoleText(const std::complex<Extended>& pole)
{
    const Extended size = std::abs(pole);
    const Extended re = std::abs(pole.real()) < 1e-5L * size ? 0 : pole.real();
    const Extended im = std::abs(pole.imag()) < 1e-5L * size ? 0 : pole.imag();
    if (im == 0)
        return SignificantText(re, 5);
    const std::string imaginary = SignificantText(std::abs(im), 5) + "j";
    if (re == 0)
        return (im < 0 ? "-" : "") + imaginary;
    return SignificantText(re, 5) + (im < 0 ? "-" : "+") + imaginary;
}

std::string OptionalCount(const std::optional<int>& count)
{
    return count ? std::to_string(*count) : "-";
}

std::string GainMarginText(const StabilityAnalysis& analysis)
{
    if (!analysis.GainMargin)
        return "none";
    const Margin& margin = *analysis.GainMargin;
    return ShortNumber(margin.Value) + " (" + FixedText(Decibels(margin.Value), 2) +
           " dB) at ω = " + ShortNumber(margin.Frequency) + " rad/s";
}

std::string PhaseMarginText(const StabilityAnalysis& analysis)
{
    if (!analysis.PhaseMargin)
        return "none";
    return FixedText(analysis.PhaseMargin->Value, 2) +
           "° at ω = " + ShortNumber(analysis.PhaseMargin->Frequency) + " rad/s";
}

std::string DelayMarginText(const StabilityAnalysis& analysis)
{
    if (!analysis.DelayMargin)
        return "none";
    return ShortNumber(analysis.DelayMargin->Seconds) +
           " s at ω = " + ShortNumber(analysis.DelayMargin->Frequency) + " rad/s";
}

std::string VerdictText(const StabilityAnalysis& analysis)
{
    return analysis.Failure.empty() ? VerdictName(analysis.Verdict) : "not-analysed";
}

// The unit after a frequency, kept on one line: a word joiner forbids the break after "/".
constexpr const char* kRadiansPerSecond = "\u00A0рад/\u2060с";

// The margins as the class report gives them to a Russian reader, with decimal commas.
std::string RussianGainMarginText(const StabilityAnalysis& analysis)
{
    if (!analysis.GainMargin)
        return "нет";
    const Margin& margin = *analysis.GainMargin;
    return DecimalComma(ShortNumber(margin.Value) + " (" + FixedText(Decibels(margin.Value), 2) +
                        " дБ) при ω = " + ShortNumber(margin.Frequency) + kRadiansPerSecond);
}

std::string RussianPhaseMarginText(const StabilityAnalysis& analysis)
{
    if (!analysis.PhaseMargin)
        return "нет";
    return DecimalComma(FixedText(analysis.PhaseMargin->Value, 2) + "° при ω = " +
                        ShortNumber(analysis.PhaseMargin->Frequency) + kRadiansPerSecond);
}

std::string RussianDelayMarginText(const StabilityAnalysis& analysis)
{
    if (!analysis.DelayMargin)
        return "нет";
    return DecimalComma(ShortNumber(analysis.DelayMargin->Seconds) + "\u00A0с при ω = " +
                        ShortNumber(analysis.DelayMargin->Frequency) + kRadiansPerSecond);
}

// Characters, not bytes, of UTF-8 text: the width a terminal gives it.
std::size_t Width(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) >> 6) != 2;
    }));
}

std::string BlockText(const ReportRow& row)
{
    const StabilityAnalysis& a = row.Analysis;
    std::string text =
        "variant " + std::to_string(row.Number) + ": " + TerminalText(row.Text) + "\n";
    if (!a.Failure.empty())
        return text + "  not analysed: " + TerminalText(a.Failure.English) + "\n";
    std::string poles;
    for (const auto& pole : a.Poles)
        poles += (poles.empty() ? "" : ", ") + PoleText(pole);
    text += "  poles:          " + poles + "\n";
    text += "  P:              " + std::to_string(a.RightHalfPlanePoles) +
            " in the right half-plane, " + std::to_string(a.ImaginaryAxisPoles) +
            " on the imaginary axis\n";
    text += "  N:              " + OptionalCount(a.Encirclements) +
            (a.Encirclements ? " clockwise encirclements of -1"
                             : " (the hodograph passes through -1)") +
            "\n";
    text += "  Z = N + P:      " + OptionalCount(a.ClosedLoopRightPoles) + "\n";
    text += "  verdict:        " + std::string(VerdictName(a.Verdict)) + "\n";
    text += "  gain margin:    " + GainMarginText(a) + "\n";
    text += "  phase margin:   " + PhaseMarginText(a) + "\n";
    text += "  delay margin:   " + DelayMarginText(a) + "\n";
    for (const Message& note : a.Notes)
        text += "  note:           " + TerminalText(note.English) + "\n";
    return text;
}

const std::vector<std::string> kTableHeading{
    "line", "student", "group",       "var", "verdict",      "P",
    "N",    "Z",       "gain margin", "ω",   "phase margin", "ω"};

// A line of the class table, its names as a terminal may show them.
std::vector<std::string> TableCells(const ReportRow& row)
{
    const StabilityAnalysis& a = row.Analysis;
    std::vector<std::string> line{std::to_string(row.Line), TerminalText(row.Student),
                                  TerminalText(row.Group), std::to_string(row.Number),
                                  VerdictText(a)};
    if (a.Failure.empty()) {
        line.push_back(std::to_string(a.RightHalfPlanePoles));
        line.push_back(OptionalCount(a.Encirclements));
        line.push_back(OptionalCount(a.ClosedLoopRightPoles));
        line.push_back(a.GainMargin ? ShortNumber(a.GainMargin->Value) : "none");
        line.push_back(a.GainMargin ? ShortNumber(a.GainMargin->Frequency) : "");
        line.push_back(a.PhaseMargin ? FixedText(a.PhaseMargin->Value, 2) + "°" : "none");
        line.push_back(a.PhaseMargin ? ShortNumber(a.PhaseMargin->Frequency) : "");
    }
    return line;
}

void WriteTable(std::FILE* out, const std::vector<std::vector<std::string>>& cells)
{
    std::vector<std::size_t> widths(kTableHeading.size(), 0);
    for (const auto& line : cells) {
        for (std::size_t i = 0; i < line.size(); ++i)
            widths[i] = std::max(widths[i], Width(line[i]));
    }
    std::string text;
    for (const auto& line : cells) {
        text.clear();
        for (std::size_t i = 0; i < line.size(); ++i) {
            const std::string padding(widths[i] - Width(line[i]), ' ');
            // Numbers line up on the right, words on the left.
            const bool right = i == 0 || i == 3 || (i >= 5 && i <= 7);
            text += right ? padding + line[i] : line[i] + padding;
            text += "  ";
        }
        text.erase(text.find_last_not_of(' ') + 1);
        text += '\n';
        std::fwrite(text.data(), 1, text.size(), out);
    }
}

const char* CsvHeading(bool classColumns)
{
    return classColumns ? "line,student,group,variant,tf,verdict,P,axis_poles,N,Z,gain_margin,"
                          "gain_margin_db,phase_crossover,phase_margin_deg,gain_crossover,"
                          "delay_margin,delay_crossover,failure\n"
                        : "variant,tf,verdict,P,axis_poles,N,Z,gain_margin,gain_margin_db,"
                          "phase_crossover,phase_margin_deg,gain_crossover,delay_margin,"
                          "delay_crossover,failure\n";
}

// Texts go through CsvCell; the numbers stay plain, so that a spreadsheet reads them as
// numbers, a negative one included.
std::string CsvLine(const ReportRow& row, bool classColumns)
{
    const StabilityAnalysis& a = row.Analysis;
    std::string line;
    if (classColumns)
        line =
            std::to_string(row.Line) + "," + CsvCell(row.Student) + "," + CsvCell(row.Group) + ",";
    line += std::to_string(row.Number) + "," + CsvCell(row.Text) + "," + VerdictText(a);
    if (a.Failure.empty()) {
        const auto count = [](const std::optional<int>& n) {
            return n ? std::to_string(*n) : std::string();
        };
        line += "," + std::to_string(a.RightHalfPlanePoles) + "," +
                std::to_string(a.ImaginaryAxisPoles) + "," + count(a.Encirclements) + "," +
                count(a.ClosedLoopRightPoles);
        line += a.GainMargin ? "," + FullNumber(a.GainMargin->Value) + "," +
                                   FullNumber(Decibels(a.GainMargin->Value)) + "," +
                                   FullNumber(a.GainMargin->Frequency)
                             : std::string(",none,,");
        line += a.PhaseMargin ? "," + FullNumber(a.PhaseMargin->Value) + "," +
                                    FullNumber(a.PhaseMargin->Frequency)
                              : std::string(",none,");
        line += a.DelayMargin ? "," + FullNumber(a.DelayMargin->Seconds) + "," +
                                    FullNumber(a.DelayMargin->Frequency)
                              : std::string(",none,");
        line += ",";
    } else {
        line += ",,,,,,,,,,,," + CsvCell(a.Failure.English);
    }
    return line + "\n";
}

std::string JsonCrossovers(const std::vector<Crossover>& crossovers)
{
    std::string text = "[";
    for (const Crossover& c : crossovers)
        text += std::string(text.size() > 1 ? "," : "") + "{\"w\":" + FullNumber(c.Frequency) +
                ",\"u\":" + FullNumber(c.U) + ",\"v\":" + FullNumber(c.V) + "}";
    return text + "]";
}

std::string JsonObject(const ReportRow& row, bool classColumns)
{
    const StabilityAnalysis& a = row.Analysis;
    std::string text = "{";
    if (classColumns)
        text += "\"line\":" + std::to_string(row.Line) + ",\"student\":" + JsonString(row.Student) +
                ",\"group\":" + JsonString(row.Group) + ",";
    text += "\"variant\":" + std::to_string(row.Number) + ",\"tf\":" + JsonString(row.Text);
    if (!a.Failure.empty())
        return text + ",\"verdict\":null,\"failure\":" + JsonString(a.Failure.English) + "}";

    text += ",\"verdict\":" + JsonString(VerdictName(a.Verdict)) + ",\"poles\":[";
    for (std::size_t i = 0; i < a.Poles.size(); ++i)
        text += std::string(i ? "," : "") + "[" + FullNumber(a.Poles[i].real()) + "," +
                FullNumber(a.Poles[i].imag()) + "]";
    const auto count = [](const std::optional<int>& n) {
        return n ? std::to_string(*n) : std::string("null");
    };
    text += "],\"P\":" + std::to_string(a.RightHalfPlanePoles) +
            ",\"axis_poles\":" + std::to_string(a.ImaginaryAxisPoles) +
            ",\"N\":" + count(a.Encirclements) + ",\"Z\":" + count(a.ClosedLoopRightPoles);
    text += ",\"gain_margin\":" +
            (a.GainMargin ? "{\"factor\":" + FullNumber(a.GainMargin->Value) +
                                ",\"db\":" + FullNumber(Decibels(a.GainMargin->Value)) +
                                ",\"w\":" + FullNumber(a.GainMargin->Frequency) + "}"
                          : std::string("null"));
    text += ",\"phase_margin\":" + (a.PhaseMargin
                                        ? "{\"degrees\":" + FullNumber(a.PhaseMargin->Value) +
                                              ",\"w\":" + FullNumber(a.PhaseMargin->Frequency) + "}"
                                        : std::string("null"));
    text += ",\"delay_margin\":" + (a.DelayMargin
                                        ? "{\"seconds\":" + FullNumber(a.DelayMargin->Seconds) +
                                              ",\"w\":" + FullNumber(a.DelayMargin->Frequency) + "}"
                                        : std::string("null"));
    text += ",\"phase_crossovers\":" + JsonCrossovers(a.PhaseCrossovers) +
            ",\"gain_crossovers\":" + JsonCrossovers(a.GainCrossovers) + ",\"notes\":[";
    for (std::size_t i = 0; i < a.Notes.size(); ++i)
        text += std::string(i ? "," : "") + JsonString(a.Notes[i].English);
    return text + "]}";
}

} // namespace

ReportWriter::ReportWriter(std::FILE* out, ReportFormat format, bool classColumns)
    : m_out(out), m_writer(out, format, CsvHeading(classColumns)), m_format(format),
      m_classColumns(classColumns)
{
    if (m_format == ReportFormat::Text && m_classColumns)
        m_table.push_back(kTableHeading);
}

void ReportWriter::Add(const ReportRow& row)
{
    switch (m_format) {
    case ReportFormat::Text:
        if (m_classColumns)
            m_table.push_back(TableCells(row));
        else
            m_writer.Add(BlockText(row));
        return;
    case ReportFormat::Csv:
        m_writer.Add(CsvLine(row, m_classColumns));
        return;
    case ReportFormat::Json:
        m_writer.Add(JsonObject(row, m_classColumns));
        return;
    }
}

void ReportWriter::Finish()
{
    if (m_format == ReportFormat::Text && m_classColumns)
        WriteTable(m_out, m_table);
    m_writer.Finish();
    m_table.clear();
}

void WriteReport(std::FILE* out, const std::vector<ReportRow>& rows, ReportFormat format,
                 bool classColumns)
{
    ReportWriter writer(out, format, classColumns);
    for (const ReportRow& row : rows)
        writer.Add(row);
    writer.Finish();
}

std::vector<std::string> ClassReportCells(const ReportRow& row)
{
    const StabilityAnalysis& a = row.Analysis;
    std::vector<std::string> cells{row.Student, row.Group, std::to_string(row.Number)};
    if (!a.Failure.empty()) {
        cells.insert(cells.end(), {"не исследована", "", "", "", a.Failure.Russian});
        return cells;
    }
    std::string notes;
    for (const Message& note : a.Notes)
        notes += (notes.empty() ? "" : "; ") + note.Russian;
    cells.insert(cells.end(), {RussianVerdictName(a.Verdict), RussianGainMarginText(a),
                               RussianPhaseMarginText(a), RussianDelayMarginText(a), notes});
    return cells;
}

std::optional<Extended> CriticalGain(const TransferFunction& variant,
                                     const StabilityAnalysis& analysis)
{
    if (!analysis.GainMargin)
        return std::nullopt;
    const auto lowest = [](const auto& coefficients, int degree) {
        for (int i = 0; i <= degree; ++i) {
            if (coefficients[static_cast<std::size_t>(i)] != 0)
                return coefficients[static_cast<std::size_t>(i)];
        }
        return Extended{0};
    };
    const Extended b = lowest(variant.B, variant.NumeratorDegree);
    const Extended a = lowest(variant.A, variant.DenominatorDegree);
    if (a == 0)
        return std::nullopt;
    return b / a * analysis.GainMargin->Value;
}

std::vector<std::string> ClassKeyCells(const ReportRow& row, const TransferFunction& variant)
{
    const StabilityAnalysis& a = row.Analysis;
    std::vector<std::string> cells{row.Student, row.Group, std::to_string(row.Number)};
    if (!a.Failure.empty()) {
        cells.insert(cells.end(), {"не исследована", "", "", "", "", "", "", "", "", ""});
        cells.push_back(a.Failure.Russian);
        return cells;
    }
    const auto shortText = [](const std::optional<Extended>& value) {
        return value ? DecimalComma(ShortNumber(*value)) : std::string("нет");
    };
    const std::optional<Margin>& gain = a.GainMargin;
    cells.push_back(RussianVerdictName(a.Verdict));
    cells.push_back(gain ? DecimalComma(ShortNumber(gain->Value) + " (" +
                                        FixedText(Decibels(gain->Value), 2) + " дБ)")
                         : "нет");
    cells.push_back(shortText(CriticalGain(variant, a)));
    cells.push_back(shortText(gain ? std::optional<Extended>(-1 / gain->Value) : std::nullopt));
    cells.push_back(a.PhaseMargin ? DecimalComma(FixedText(a.PhaseMargin->Value, 2) + "°") : "нет");
    cells.push_back(shortText(a.PhaseMargin ? std::optional(a.PhaseMargin->Frequency)
                                            : std::nullopt));
    cells.push_back(shortText(a.DelayMargin ? std::optional(a.DelayMargin->Seconds)
                                            : std::nullopt));
    // The step response's readings of a stable loop; a reading the response's span does not
    // reach is a bound, "≥".
    std::string overshoot = "—", settling = "—";
    std::string notes;
    for (const Message& note : a.Notes)
        notes += (notes.empty() ? "" : "; ") + note.Russian;
    if (a.Verdict == StabilityVerdict::Stable) {
        const StepResponse step = ComputeStepResponse(variant, DefaultStepSpan(variant), 2);
        if (step.Indicators) {
            const StepIndicators& in = *step.Indicators;
            if (in.OvershootKnown())
                overshoot = DecimalComma(FixedText(in.OvershootPercent, 1));
            settling = (in.SettlingReached ? "" : "≥ ") + DecimalComma(ShortNumber(in.SettlingTime));
        } else {
            notes += std::string(notes.empty() ? "" : "; ") + "переходная характеристика не "
                                                              "рассчитана";
        }
    }
    cells.insert(cells.end(), {overshoot, settling, notes});
    return cells;
}

const char* const kAnalysisHelp =
    "For each variant W(s) = N(s)/D(s)·exp(-sT), under unit negative feedback:\n"
    "  poles      the roots of D (eigenvalues of its companion matrix); P counts those in\n"
    "             the right half-plane. A pole with |Re s| <= 1e-7·|s| lies on the imaginary\n"
    "             axis: the contour passes it on the right by a small semicircle (shown in a\n"
    "             note with its radius), so it is not counted in P.\n"
    "  N          clockwise encirclements of -1 by W(jw) over the whole contour, w from -inf\n"
    "             to +inf with the semicircles, delay exact: the turn of 1 + W(jw) followed in\n"
    "             steps that change ln W by at most 0.1, refined near -1.\n"
    "  Z = N + P  closed-loop poles in the right half-plane; 'stable' when Z = 0, 'unstable'\n"
    "             when Z > 0, 'boundary' when the hodograph passes through -1 (within 1e-9).\n"
    "  gain margin   -1/U at a phase crossover (V = 0, U < 0, w = 0 included); of several,\n"
    "             the smallest, read at the leftmost crossing of the negative real axis.\n"
    "             Above 1 every crossing lies between -1 and 0 and the gain may rise by\n"
    "             that factor; below 1 it must fall by it to bring every crossing right\n"
    "             of -1.\n"
    "  phase margin  the angle from -1 to W at a gain crossover (|W| = 1, w > 0), in\n"
    "             (-180, 180] degrees, positive below the axis; of several, the one\n"
    "             nearest 0. With a long delay the curve may have made whole turns before,\n"
    "             so the verdict, not the sign of this angle, tells stability.\n"
    "  delay margin  the least extra delay dT that brings W(jw)·exp(-jw·dT) through -1, of\n"
    "             all gain crossovers wc: ((arg W(jwc) + 180°) mod 360°)/wc in seconds, for\n"
    "             a stable verdict only.\n"
    "  Crossovers are found by bisection on the exact W(jw); 'none' where there is none.\n"
    "  Needs m < n after zero leading coefficients are dropped, and T >= 0.\n";

} // namespace nirdal::cli
