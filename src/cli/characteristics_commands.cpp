// SPDX-License-Identifier: MIT
// step and bode: the closed-loop step response and the logarithmic characteristics of
// variants, for the teacher and for scripts.
#include "cli/analysis_report.h"
#include "cli/commands.h"
#include "core/analysis/log_characteristics.h"
#include "core/analysis/step_response.h"
#include "core/common/csv_line.h"
#include "core/common/safe_text.h"
#include "core/tf/tf_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace nirdal::cli {

namespace {

// Largest number of samples or frequencies one variant may ask for.
constexpr long kMostPoints = 1'000'000;

// Fifteen significant digits for files that programs read on; never inf or nan.
std::string Full(Extended value)
{
    if (!std::isfinite(value))
        return "null";
    char text[64];
    std::snprintf(text, sizeof text, "%.15Lg", value);
    return text;
}

std::string Short(Extended value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.6Lg", value);
    return text;
}

std::string JsonArray(const std::vector<Extended>& values)
{
    std::string text = "[";
    for (std::size_t i = 0; i < values.size(); ++i)
        text += (i ? "," : "") + Full(values[i]);
    return text + "]";
}

// The options step and bode share with analyse, and their own numbers.
struct CommonOptions
{
    std::vector<std::string> Texts;
    std::vector<TransferFunction> Variants;
    ReportFormat Format = ReportFormat::Text;
    std::optional<Extended> Until, From, To;
    std::optional<long> Points;
};

bool ReadPositive(std::string_view option, std::string_view value, Extended& number,
                  std::string& error)
{
    const std::string text(value);
    char* end = nullptr;
    number = std::strtold(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(number) || !(number > 0)) {
        error = std::string(option) + " needs a number of " +
                (option == "--until" ? "seconds" : "rad/s") + " above 0, not " + QuotedArgument(text);
        return false;
    }
    return true;
}

// Reads the arguments; on bad input returns the usage error's exit status in status.
bool ParseCommon(const char* command, Arguments args, bool step, CommonOptions& o, int& status)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view option = args[i];
        const bool known = option == "--tf" || option == "--format" || option == "--points" ||
                           (step ? option == "--until" : option == "--from" || option == "--to");
        if (!known) {
            status = UsageError(command, "unknown argument " + QuotedArgument(option));
            return false;
        }
        if (i + 1 == args.size()) {
            status = UsageError(command, std::string(option) + " needs a value");
            return false;
        }
        const std::string_view value = args[++i];
        std::string error;
        if (option == "--format") {
            if (!ParseReportFormat(value, o.Format)) {
                status = UsageError(command, "--format takes text, csv or json, not " + QuotedArgument(value));
                return false;
            }
        } else if (option == "--points") {
            const std::string text(value);
            char* end = nullptr;
            const long long n = std::strtoll(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || n < 2 || n > kMostPoints) {
                status =
                    UsageError(command, "--points needs a whole number from 2 to " +
                                            std::to_string(kMostPoints) + ", not " + QuotedArgument(text));
                return false;
            }
            o.Points = static_cast<long>(n);
        } else if (option == "--tf") {
            TransferFunction variant;
            if (!ParseTransferFunctionText(value, variant, error)) {
                status = UsageError(command, "--tf " + QuotedArgument(value) + ": " + error);
                return false;
            }
            o.Texts.emplace_back(value);
            o.Variants.push_back(variant);
        } else {
            Extended number = 0;
            if (!ReadPositive(option, value, number, error)) {
                status = UsageError(command, error);
                return false;
            }
            if (option == "--until") {
                if (number > kMaxStepResponseSpan) {
                    status = UsageError(command, "--until " + QuotedArgument(value) + ": at most " +
                                                     Short(kMaxStepResponseSpan) + " seconds");
                    return false;
                }
                o.Until = number;
            } else {
                (option == "--from" ? o.From : o.To) = number;
            }
        }
    }
    if (o.Variants.empty()) {
        status = UsageError(command, "--tf NUM:DEN[:DELAY] is required");
        return false;
    }
    if (o.From && o.To && !(*o.From < *o.To)) {
        status = UsageError(command, "--from must be below --to");
        return false;
    }
    return true;
}

// Numbers of a hundred and fifty decimal places or more take the C library longer to write,
// in proportion to their exponent (ten microseconds near 1e±4931): so many fewer of them
// make the same second.
long MostPointsToWrite(Extended magnitude)
{
    constexpr Extended kPlainDigits = 150;
    const Extended digits = std::abs(std::log10(magnitude));
    return digits <= kPlainDigits ? kMostPoints
                                  : static_cast<long>(kMostPoints * kPlainDigits / digits);
}

// The indicators of a step response, each a number only where the span holds it.
enum Indicator
{
    Overshoot,
    Peak,
    Settling
};

std::string Reading(const StepIndicators& in, Indicator which)
{
    switch (which) {
    case Overshoot:
        return in.OvershootKnown() ? Full(in.OvershootPercent) : "";
    case Peak:
        return in.PeakReached ? Full(in.PeakTime) : "";
    case Settling:
        return in.SettlingReached ? Full(in.SettlingTime) : "";
    }
    return "";
}

std::string JsonReading(const std::optional<StepIndicators>& in, Indicator which)
{
    const std::string text = in ? Reading(*in, which) : "";
    return text.empty() ? "null" : text;
}

std::string Flag(bool value)
{
    return value ? "true" : "false";
}

void WriteText(std::FILE* out, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), out);
}

} // namespace

int RunStep(Arguments args)
{
    if (WantsHelp(args)) {
        std::printf(
            "usage: nirdal-cli step --tf NUM:DEN[:DELAY] [--tf ...] [--until SECONDS]\n"
            "                       [--points N] [--format text|csv|json]\n\n"
            "The step response h(t) of the closed loop W/(1 + W) with unit negative feedback,\n"
            "the delay exact: N samples (default 1001) equally spaced from 0 to --until\n"
            "inclusive, within 1e-9 of the largest |h|. By default the span shows a stable\n"
            "response settle (its last fifth inside the 5 %% band) or an unstable one grow.\n"
            "For a stable verdict: the steady value h∞ = W(0)/(1 + W(0)) (1 when D(0) = 0),\n"
            "the overshoot σ = (h_max - h∞)/h∞·100 %% and its time, and the settling time:\n"
            "the last moment |h - h∞| exceeds 5 %% of |h∞|, to 1e-9 relative.\n\n"
            "  --tf NUM:DEN[:DELAY]  one variant, as for analyse\n"
            "  --until SECONDS       the span, above 0 and at most 1e6 s and 1,000,000 steps\n"
            "                        of the integration (25,000,000/n² past the fifth degree)\n"
            "  --points N            samples, 2 to 1,000,000\n"
            "  --format F            text (default), csv or json\n\n"
            "Exit status 1 when a variant could not be computed.\n");
        return 0;
    }
    CommonOptions o;
    int status = 0;
    if (!ParseCommon("step", args, true, o, status))
        return status;
    const int points = static_cast<int>(o.Points.value_or(1001));
    if (o.Until && points > MostPointsToWrite(*o.Until))
        return UsageError("step", "--points " + std::to_string(points) + ": times as far from 1 as " +
                                      Short(*o.Until) + " s take long to write; at most " +
                                      std::to_string(MostPointsToWrite(*o.Until)) + " samples");
    if (o.Until) {
        for (std::size_t i = 0; i < o.Variants.size(); ++i) {
            const long steps = StepResponseSteps(o.Variants[i], *o.Until);
            if (steps > StepResponseStepLimit(o.Variants[i]))
                return UsageError("step", "--until " + Short(*o.Until) + ": variant " +
                                              std::to_string(i + 1) + " would take " +
                                              std::to_string(steps) +
                                              " integration steps or more; at most " +
                                              std::to_string(StepResponseStepLimit(o.Variants[i])));
        }
    }

    if (o.Format == ReportFormat::Csv)
        WriteText(stdout, "variant,tf,verdict,t,h,steady,overshoot_percent,peak_time,"
                          "settling_time,note\n");
    else if (o.Format == ReportFormat::Json)
        WriteText(stdout, "[");
    for (std::size_t i = 0; i < o.Variants.size(); ++i) {
        const Extended until = o.Until ? *o.Until : DefaultStepSpan(o.Variants[i]);
        StepResponse r = ComputeStepResponse(o.Variants[i], until, points);
        // A delay far shorter than the motion of the loop takes many steps a second: the
        // default span may end before the response settles.
        if (r.Indicators && !r.Indicators->SettlingReached)
            r.Notes.push_back(o.Until ? "the response has not settled by the span's end, " +
                                            Short(until) + " s"
                                      : "the span is cut at " + Short(until) + " s, " +
                                            std::to_string(StepResponseStepLimit(o.Variants[i])) +
                                            " steps of the integration, before the response "
                                            "settles");
        if (r.Indicators && !r.Indicators->OvershootKnown())
            r.Notes.push_back("h still rises at the span's end: its peak and overshoot lie "
                              "beyond");
        const int number = static_cast<int>(i) + 1;
        const bool failed = !r.Failure.empty();
        if (failed)
            status = 1;
        const char* verdict = failed ? "not-computed" : VerdictName(r.Verdict);
        const std::optional<StepIndicators>& in = r.Indicators;
        std::string text;
        if (o.Format == ReportFormat::Text) {
            text = (i ? "\n" : "") + std::string("variant ") + std::to_string(number) + ": " +
                   TerminalText(o.Texts[i]) + "\n";
            if (failed) {
                WriteText(stdout, text + "  not computed: " + TerminalText(r.Failure) + "\n");
                continue;
            }
            text += "  verdict:        " + std::string(verdict) + "\n";
            if (in) {
                text += "  steady value:   " + Short(in->Steady) + "\n";
                text += "  overshoot:      " +
                        (!in->OvershootKnown() ? std::string("not reached in the span")
                         : in->PeakReached
                             ? Short(in->OvershootPercent) + " % at t = " + Short(in->PeakTime) + " s"
                             : Short(in->OvershootPercent) + " % (no peak in the span)") +
                        "\n";
                text += "  settling time:  " +
                        (in->SettlingReached ? Short(in->SettlingTime) + " s"
                                             : "более " + Short(in->SettlingTime) + " с, not reached") +
                        " (5 % band)\n";
            }
            for (const std::string& note : r.Notes)
                text += "  note:           " + TerminalText(note) + "\n";
            text += "  t                 h(t)\n";
            for (std::size_t k = 0; k < r.Times.size(); ++k) {
                char line[96];
                std::snprintf(line, sizeof line, "  %-16.10Lg  %.12Lg\n", r.Times[k], r.Values[k]);
                text += line;
            }
        } else if (o.Format == ReportFormat::Csv) {
            const std::string head =
                std::to_string(number) + "," + CsvCell(o.Texts[i]) + "," + verdict + ",";
            if (failed) {
                WriteText(stdout, head + ",,,,,," + CsvCell(r.Failure) + "\n");
                continue;
            }
            const std::string tail =
                in ? "," + Full(in->Steady) + "," + Reading(*in, Overshoot) + "," +
                         Reading(*in, Peak) + "," + Reading(*in, Settling) + ","
                   : std::string(",,,,,");
            // The notes, such as an overflow, on the variant's first line.
            std::string notes;
            for (const std::string& note : r.Notes)
                notes += (notes.empty() ? "" : "; ") + note;
            for (std::size_t k = 0; k < r.Times.size(); ++k)
                text += head + Full(r.Times[k]) + "," + Full(r.Values[k]) + tail +
                        (k == 0 && !notes.empty() ? CsvCell(notes) : std::string()) + "\n";
        } else {
            text = std::string(i ? ",\n" : "\n") + "{\"variant\":" + std::to_string(number) +
                   ",\"tf\":" + JsonString(o.Texts[i]);
            if (failed) {
                WriteText(stdout,
                          text + ",\"verdict\":null,\"failure\":" + JsonString(r.Failure) + "}");
                continue;
            }
            text += ",\"verdict\":" + JsonString(verdict) + ",\"t\":" + JsonArray(r.Times) +
                    ",\"h\":" + JsonArray(r.Values);
            text += ",\"steady\":" + (in ? Full(in->Steady) : "null") +
                    ",\"overshoot_percent\":" + JsonReading(in, Overshoot) +
                    ",\"peak_time\":" + JsonReading(in, Peak) +
                    ",\"peak_reached\":" + (in ? Flag(in->PeakReached) : "null") +
                    ",\"settling_time\":" + JsonReading(in, Settling) +
                    ",\"settling_reached\":" + (in ? Flag(in->SettlingReached) : "null") +
                    ",\"notes\":[";
            for (std::size_t k = 0; k < r.Notes.size(); ++k)
                text += (k ? "," : "") + JsonString(r.Notes[k]);
            text += "]}";
        }
        WriteText(stdout, text);
    }
    if (o.Format == ReportFormat::Json)
        WriteText(stdout, "\n]\n");
    return status;
}

int RunBode(Arguments args)
{
    if (WantsHelp(args)) {
        std::printf(
            "usage: nirdal-cli bode --tf NUM:DEN[:DELAY] [--tf ...] [--from W] [--to W]\n"
            "                       [--points N] [--format text|csv|json]\n\n"
            "The logarithmic characteristics of W(jw): L = 20 lg |W| in dB, the phase in\n"
            "degrees, continuous (a delay makes it fall without bound), and the asymptote\n"
            "L_a = 20 lg|b_m/a_n| + sum over zeros of 20 lg max(|z|, w) - sum over poles of\n"
            "20 lg max(|p|, w), with its corner frequencies |r| (a multiple root's corner\n"
            "followed by its multiplicity, (x15)) and its crossover (L_a = 0).\n\n"
            "  --tf NUM:DEN[:DELAY]  one variant, as for analyse\n"
            "  --from W, --to W      the range in rad/s, above 0; by default a decade below\n"
            "                        the lowest and above the highest corner (0.01 to 100\n"
            "                        without one)\n"
            "  --points N            frequencies equally spaced in lg w, ends included:\n"
            "                        2 to 1,000,000 (default 401)\n"
            "  --format F            text (default), csv or json\n\n"
            "Exit status 1 when a variant has no characteristics.\n");
        return 0;
    }
    CommonOptions o;
    int status = 0;
    if (!ParseCommon("bode", args, false, o, status))
        return status;
    const int points = static_cast<int>(o.Points.value_or(401));
    for (const std::optional<Extended>& end : {o.From, o.To}) {
        if (end && points > MostPointsToWrite(*end))
            return UsageError("bode", "--points " + std::to_string(points) +
                                          ": frequencies as far from 1 as " + Short(*end) +
                                          " rad/s take long to write; at most " +
                                          std::to_string(MostPointsToWrite(*end)) + " points");
    }

    if (o.Format == ReportFormat::Csv)
        WriteText(stdout, "variant,tf,w,db,degrees,asymptote_db,failure\n");
    else if (o.Format == ReportFormat::Json)
        WriteText(stdout, "[");
    for (std::size_t i = 0; i < o.Variants.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        const FactoredVariant w = FactorVariant(o.Variants[i]);
        Extended from = 0, to = 0;
        if (w.Failure.empty())
            DefaultFrequencyRange(w, from, to);
        from = o.From.value_or(from);
        to = o.To.value_or(to);
        LogCharacteristics l;
        if (!w.Failure.empty())
            l.Failure = w.Failure;
        else if (!(from < to))
            l.Failure =
                "the range is empty: --from " + Short(from) + " is not below --to " + Short(to);
        else
            l = ComputeLogCharacteristics(o.Variants[i], from, to, points);
        const bool failed = !l.Failure.empty();
        if (failed)
            status = 1;
        std::string text;
        if (o.Format == ReportFormat::Text) {
            text = (i ? "\n" : "") + std::string("variant ") + std::to_string(number) + ": " +
                   TerminalText(o.Texts[i]) + "\n";
            if (failed) {
                WriteText(stdout, text + "  no characteristics: " + TerminalText(l.Failure) + "\n");
                continue;
            }
            std::string corners;
            for (std::size_t k = 0; k < l.Corners.size(); ++k) {
                const int multiplicity = l.CornerMultiplicities[k];
                corners += (corners.empty() ? "" : ", ") + Short(l.Corners[k]) +
                           (multiplicity > 1 ? " (x" + std::to_string(multiplicity) + ")" : "");
            }
            text += "  corners:        " + (corners.empty() ? std::string("none") : corners) +
                    " rad/s\n";
            text += "  crossover of the asymptote: " +
                    (l.Crossover ? Short(*l.Crossover) + " rad/s" : std::string("none")) + "\n";
            text += "  w                 L, dB             phase, deg        L_a, dB\n";
            for (const LogPoint& p : l.Points) {
                char line[128];
                std::snprintf(line, sizeof line, "  %-16.10Lg  %-16.10Lg  %-16.10Lg  %.10Lg\n",
                              p.Frequency, p.Decibels, p.Degrees, p.AsymptoteDecibels);
                text += line;
            }
        } else if (o.Format == ReportFormat::Csv) {
            const std::string head = std::to_string(number) + "," + CsvCell(o.Texts[i]) + ",";
            if (failed) {
                WriteText(stdout, head + ",,,," + CsvCell(l.Failure) + "\n");
                continue;
            }
            for (const LogPoint& p : l.Points)
                text += head + Full(p.Frequency) + "," + Full(p.Decibels) + "," + Full(p.Degrees) +
                        "," + Full(p.AsymptoteDecibels) + ",\n";
        } else {
            text = std::string(i ? ",\n" : "\n") + "{\"variant\":" + std::to_string(number) +
                   ",\"tf\":" + JsonString(o.Texts[i]);
            if (failed) {
                WriteText(stdout, text + ",\"failure\":" + JsonString(l.Failure) + "}");
                continue;
            }
            std::vector<Extended> ws, db, degrees, asymptote;
            for (const LogPoint& p : l.Points) {
                ws.push_back(p.Frequency);
                db.push_back(p.Decibels);
                degrees.push_back(p.Degrees);
                asymptote.push_back(p.AsymptoteDecibels);
            }
            text += ",\"w\":" + JsonArray(ws) + ",\"db\":" + JsonArray(db) +
                    ",\"degrees\":" + JsonArray(degrees) +
                    ",\"asymptote_db\":" + JsonArray(asymptote) +
                    ",\"corners\":" + JsonArray(l.Corners) + ",\"corner_multiplicities\":" +
                    JsonArray(std::vector<Extended>(l.CornerMultiplicities.begin(),
                                                    l.CornerMultiplicities.end())) +
                    ",\"asymptote_crossover\":" + (l.Crossover ? Full(*l.Crossover) : "null") + "}";
        }
        WriteText(stdout, text);
    }
    if (o.Format == ReportFormat::Json)
        WriteText(stdout, "\n]\n");
    return status;
}

} // namespace nirdal::cli
