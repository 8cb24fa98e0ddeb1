// SPDX-License-Identifier: MIT
// step and bode: the closed-loop step response and the logarithmic characteristics of
// variants, for the teacher and for scripts.
#include "cli/commands.h"
#include "cli/option_reader.h"
#include "cli/table_writer.h"
#include "core/analysis/log_characteristics.h"
#include "core/analysis/step_response.h"
#include "core/common/csv_line.h"
#include "core/common/safe_text.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace nirdal::cli {

namespace {

// Largest number of samples or frequencies one variant may ask for.
constexpr long kMostPoints = 1'000'000;

// The options step and bode share with analyse, and their own numbers.
struct CommonOptions
{
    std::vector<std::string> Texts;
    std::vector<TransferFunction> Variants;
    ReportFormat Format = ReportFormat::Text;
    std::optional<Extended> Until, From, To;
    std::optional<long> Points;
};

std::optional<std::string> ReadPositive(std::string_view option, std::string_view value,
                                        Extended& number)
{
    if (!ReadNumberText(value, number) || !std::isfinite(number) || !(number > 0))
        return std::string(option) + " needs a number of " +
               (option == "--until" ? "seconds" : "rad/s") + " above 0, not " +
               QuotedArgument(value);
    return std::nullopt;
}

std::optional<std::string> ReadOption(std::string_view option, std::string_view value,
                                      CommonOptions& o)
{
    if (option == "--format")
        return ReadFormatOption(value, o.Format);
    if (option == "--points") {
        long long n = 0;
        if (!ReadWholeText(value, 2, kMostPoints, n))
            return "--points needs a whole number from 2 to " + std::to_string(kMostPoints) +
                   ", not " + QuotedArgument(value);
        o.Points = static_cast<long>(n);
        return std::nullopt;
    }
    if (option == "--tf") {
        TransferFunction variant;
        if (auto error = ReadVariantOption(value, variant))
            return error;
        o.Texts.emplace_back(value);
        o.Variants.push_back(variant);
        return std::nullopt;
    }
    Extended number = 0;
    if (auto error = ReadPositive(option, value, number))
        return error;
    if (option == "--until") {
        if (number > kMaxStepResponseSpan)
            return "--until " + QuotedArgument(value) + ": at most " +
                   ShortNumber(kMaxStepResponseSpan) + " seconds";
        o.Until = number;
    } else {
        (option == "--from" ? o.From : o.To) = number;
    }
    return std::nullopt;
}

// Reads the arguments; returns the usage error's message, or nothing.
std::optional<std::string> ParseCommon(Arguments args, bool step, CommonOptions& o)
{
    const auto take = [&](std::string_view name, std::string_view value) {
        return ReadOption(name, value, o);
    };
    const auto error =
        step
            ? ReadOptions(args, {{"--tf"}, {"--format"}, {"--points"}, {"--until"}}, take)
            : ReadOptions(args, {{"--tf"}, {"--format"}, {"--points"}, {"--from"}, {"--to"}}, take);
    if (error)
        return error;
    if (o.Variants.empty())
        return kVariantRequired;
    if (o.From && o.To && !(*o.From < *o.To))
        return "--from must be below --to";
    return std::nullopt;
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
        return in.OvershootKnown() ? FullNumber(in.OvershootPercent) : "";
    case Peak:
        return in.PeakReached ? FullNumber(in.PeakTime) : "";
    case Settling:
        return in.SettlingReached ? FullNumber(in.SettlingTime) : "";
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

std::string JsonStrings(const std::vector<std::string>& texts)
{
    std::string text = "[";
    for (std::size_t k = 0; k < texts.size(); ++k)
        text += (k ? "," : "") + JsonString(texts[k]);
    return text + "]";
}

// One variant of step, as a text block, csv lines or a json object.
std::string StepRecord(ReportFormat format, int number, const std::string& tf,
                       const StepResponse& r)
{
    const bool failed = !r.Failure.empty();
    const char* verdict = failed ? "not-computed" : VerdictName(r.Verdict);
    const std::optional<StepIndicators>& in = r.Indicators;
    std::string text;
    switch (format) {
    case ReportFormat::Text: {
        text = "variant " + std::to_string(number) + ": " + TerminalText(tf) + "\n";
        if (failed)
            return text + "  not computed: " + TerminalText(r.Failure) + "\n";
        text += "  verdict:        " + std::string(verdict) + "\n";
        if (in) {
            text += "  steady value:   " + ShortNumber(in->Steady) + "\n";
            text += "  overshoot:      " +
                    (!in->OvershootKnown() ? std::string("not reached in the span")
                     : in->PeakReached
                         ? ShortNumber(in->OvershootPercent) +
                               " % at t = " + ShortNumber(in->PeakTime) + " s"
                         : ShortNumber(in->OvershootPercent) + " % (no peak in the span)") +
                    "\n";
            text += "  settling time:  " +
                    (in->SettlingReached
                         ? ShortNumber(in->SettlingTime) + " s"
                         : "более " + ShortNumber(in->SettlingTime) + " с, not reached") +
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
        return text;
    }
    case ReportFormat::Csv: {
        const std::string head = std::to_string(number) + "," + CsvCell(tf) + "," + verdict + ",";
        if (failed)
            return head + ",,,,,," + CsvCell(r.Failure) + "\n";
        const std::string tail = in ? "," + FullNumber(in->Steady) + "," + Reading(*in, Overshoot) +
                                          "," + Reading(*in, Peak) + "," + Reading(*in, Settling) +
                                          ","
                                    : std::string(",,,,,");
        // The notes, such as an overflow, on the variant's first line.
        std::string notes;
        for (const std::string& note : r.Notes)
            notes += (notes.empty() ? "" : "; ") + note;
        for (std::size_t k = 0; k < r.Times.size(); ++k)
            text += head + FullNumber(r.Times[k]) + "," + FullNumber(r.Values[k]) + tail +
                    (k == 0 && !notes.empty() ? CsvCell(notes) : std::string()) + "\n";
        return text;
    }
    case ReportFormat::Json:
        text = "{\"variant\":" + std::to_string(number) + ",\"tf\":" + JsonString(tf);
        if (failed)
            return text + ",\"verdict\":null,\"failure\":" + JsonString(r.Failure) + "}";
        return text + ",\"verdict\":" + JsonString(verdict) + ",\"t\":" + JsonNumbers(r.Times) +
               ",\"h\":" + JsonNumbers(r.Values) +
               ",\"steady\":" + (in ? FullNumber(in->Steady) : "null") +
               ",\"overshoot_percent\":" + JsonReading(in, Overshoot) +
               ",\"peak_time\":" + JsonReading(in, Peak) +
               ",\"peak_reached\":" + (in ? Flag(in->PeakReached) : "null") +
               ",\"settling_time\":" + JsonReading(in, Settling) +
               ",\"settling_reached\":" + (in ? Flag(in->SettlingReached) : "null") +
               ",\"notes\":" + JsonStrings(r.Notes) + "}";
    }
    return text;
}

// One variant of bode, as a text block, csv lines or a json object.
std::string BodeRecord(ReportFormat format, int number, const std::string& tf,
                       const LogCharacteristics& l)
{
    const bool failed = !l.Failure.empty();
    std::string text;
    switch (format) {
    case ReportFormat::Text: {
        text = "variant " + std::to_string(number) + ": " + TerminalText(tf) + "\n";
        if (failed)
            return text + "  no characteristics: " + TerminalText(l.Failure) + "\n";
        std::string corners;
        for (std::size_t k = 0; k < l.Corners.size(); ++k) {
            const int multiplicity = l.CornerMultiplicities[k];
            corners += (corners.empty() ? "" : ", ") + ShortNumber(l.Corners[k]) +
                       (multiplicity > 1 ? " (x" + std::to_string(multiplicity) + ")" : "");
        }
        text +=
            "  corners:        " + (corners.empty() ? std::string("none") : corners) + " rad/s\n";
        text += "  crossover of the asymptote: " +
                (l.Crossover ? ShortNumber(*l.Crossover) + " rad/s" : std::string("none")) + "\n";
        text += "  w                 L, dB             phase, deg        L_a, dB\n";
        for (const LogPoint& p : l.Points) {
            char line[128];
            std::snprintf(line, sizeof line, "  %-16.10Lg  %-16.10Lg  %-16.10Lg  %.10Lg\n",
                          p.Frequency, p.Decibels, p.Degrees, p.AsymptoteDecibels);
            text += line;
        }
        return text;
    }
    case ReportFormat::Csv: {
        const std::string head = std::to_string(number) + "," + CsvCell(tf) + ",";
        if (failed)
            return head + ",,,," + CsvCell(l.Failure) + "\n";
        for (const LogPoint& p : l.Points)
            text += head + FullNumber(p.Frequency) + "," + FullNumber(p.Decibels) + "," +
                    FullNumber(p.Degrees) + "," + FullNumber(p.AsymptoteDecibels) + ",\n";
        return text;
    }
    case ReportFormat::Json: {
        text = "{\"variant\":" + std::to_string(number) + ",\"tf\":" + JsonString(tf);
        if (failed)
            return text + ",\"failure\":" + JsonString(l.Failure) + "}";
        std::vector<Extended> ws, db, degrees, asymptote;
        for (const LogPoint& p : l.Points) {
            ws.push_back(p.Frequency);
            db.push_back(p.Decibels);
            degrees.push_back(p.Degrees);
            asymptote.push_back(p.AsymptoteDecibels);
        }
        return text + ",\"w\":" + JsonNumbers(ws) + ",\"db\":" + JsonNumbers(db) +
               ",\"degrees\":" + JsonNumbers(degrees) +
               ",\"asymptote_db\":" + JsonNumbers(asymptote) +
               ",\"corners\":" + JsonNumbers(l.Corners) + ",\"corner_multiplicities\":" +
               JsonNumbers(std::vector<Extended>(l.CornerMultiplicities.begin(),
                                                 l.CornerMultiplicities.end())) +
               ",\"asymptote_crossover\":" + (l.Crossover ? FullNumber(*l.Crossover) : "null") +
               "}";
    }
    }
    return text;
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
    if (const auto error = ParseCommon(args, true, o))
        return UsageError("step", *error);
    const int points = static_cast<int>(o.Points.value_or(1001));
    if (o.Until && points > MostPointsToWrite(*o.Until))
        return UsageError("step", "--points " + std::to_string(points) +
                                      ": times as far from 1 as " + ShortNumber(*o.Until) +
                                      " s take long to write; at most " +
                                      std::to_string(MostPointsToWrite(*o.Until)) + " samples");
    if (o.Until) {
        for (std::size_t i = 0; i < o.Variants.size(); ++i) {
            const long steps = StepResponseSteps(o.Variants[i], *o.Until);
            if (steps > StepResponseStepLimit(o.Variants[i]))
                return UsageError("step", "--until " + ShortNumber(*o.Until) + ": variant " +
                                              std::to_string(i + 1) + " would take " +
                                              std::to_string(steps) +
                                              " integration steps or more; at most " +
                                              std::to_string(StepResponseStepLimit(o.Variants[i])));
        }
    }

    int status = 0;
    TableWriter writer(stdout, o.Format,
                       "variant,tf,verdict,t,h,steady,overshoot_percent,peak_time,"
                       "settling_time,note\n");
    for (std::size_t i = 0; i < o.Variants.size(); ++i) {
        const Extended until = o.Until ? *o.Until : DefaultStepSpan(o.Variants[i]);
        StepResponse r = ComputeStepResponse(o.Variants[i], until, points);
        NoteUnfinishedSpan(r, o.Variants[i], until, o.Until.has_value());
        if (!r.Failure.empty())
            status = 1;
        writer.Add(StepRecord(o.Format, static_cast<int>(i) + 1, o.Texts[i], r));
    }
    writer.Finish();
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
    if (const auto error = ParseCommon(args, false, o))
        return UsageError("bode", *error);
    const int points = static_cast<int>(o.Points.value_or(401));
    for (const std::optional<Extended>& end : {o.From, o.To}) {
        if (end && points > MostPointsToWrite(*end))
            return UsageError("bode", "--points " + std::to_string(points) +
                                          ": frequencies as far from 1 as " + ShortNumber(*end) +
                                          " rad/s take long to write; at most " +
                                          std::to_string(MostPointsToWrite(*end)) + " points");
    }

    int status = 0;
    TableWriter writer(stdout, o.Format, "variant,tf,w,db,degrees,asymptote_db,failure\n");
    for (std::size_t i = 0; i < o.Variants.size(); ++i) {
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
            l.Failure = "the range is empty: --from " + ShortNumber(from) + " is not below --to " +
                        ShortNumber(to);
        else
            l = ComputeLogCharacteristics(o.Variants[i], from, to, points);
        if (!l.Failure.empty())
            status = 1;
        writer.Add(BodeRecord(o.Format, static_cast<int>(i) + 1, o.Texts[i], l));
    }
    writer.Finish();
    return status;
}

} // namespace nirdal::cli
