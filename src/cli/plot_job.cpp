// SPDX-License-Identifier: MIT
#include "cli/plot_job.h"

#include "cli/option_reader.h"
#include "core/analysis/log_characteristics.h"
#include "core/analysis/step_response.h"
#include "core/common/recording_surface.h"
#include "core/common/safe_text.h"
#include "core/plot/characteristics_picture.h"
#include "core/plot/print_page.h"
#include "core/plot/stability_map_picture.h"
#include "core/response/unattended_sweep.h"

#include <algorithm>
#include <cctype>

namespace nirdal::cli {

namespace {

bool HasPictureExtension(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos)
        return false;
    std::string extension(path.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "png" || extension == "svg" || extension == "pdf";
}

std::optional<std::string> ReadDotsPerUnit(std::string_view value, Extended& dots)
{
    if (!ReadNumberText(value, dots))
        return "--paper needs a number of dots per unit, not " + QuotedArgument(value);
    PlotFields scratch;
    if (const auto refusal = SetDotsPerUnit(scratch, dots))
        return "--paper " + std::string(value) + ": " + *refusal;
    return std::nullopt;
}

// Resolutions a page may be drawn at: a coarse matrix printer's to a photo setter's.
constexpr int kLeastPageDotsPerInch = 50;
constexpr int kMostPageDotsPerInch = 2400;

std::optional<std::string> ReadDotsPerInch(std::string_view value, int& dotsPerInch)
{
    long long read = 0;
    if (!ReadWholeText(value, kLeastPageDotsPerInch, kMostPageDotsPerInch, read))
        return "--dpi needs a whole number of dots per inch from " +
               std::to_string(kLeastPageDotsPerInch) + " to " +
               std::to_string(kMostPageDotsPerInch) + ", not " + QuotedArgument(value);
    dotsPerInch = static_cast<int>(read);
    return std::nullopt;
}

std::optional<std::string> ReadPlotOption(std::string_view option, std::string_view value,
                                          PlotJob& job)
{
    if (option == "--tf") {
        if (job.Variants.size() == kMaxVariants)
            return std::string("at most 255 variants (--tf)");
        TransferFunction variant;
        if (auto error = ReadVariantOption(value, variant))
            return error;
        job.Variants.push_back(variant);
    } else if (option == "--kind") {
        if (value == "hodograph")
            job.Kind = PlotKind::Hodograph;
        else if (value == "step")
            job.Kind = PlotKind::Step;
        else if (value == "bode")
            job.Kind = PlotKind::Bode;
        else if (value == "map")
            job.Kind = PlotKind::Map;
        else
            return "--kind takes hodograph, step, bode or map, not " + QuotedArgument(value);
    } else if (option == "--surname") {
        job.Surname = value;
    } else if (option == "-o") {
        if (!HasPictureExtension(value))
            return "-o " + std::string(value) + ": the file name must end in .png, .svg or .pdf";
        job.OutputPath = value;
    } else if (option == "--dpi") {
        return ReadDotsPerInch(value, job.PageDotsPerInch);
    } else {
        Extended dots = 0;
        if (auto error = ReadDotsPerUnit(value, dots))
            return error;
        job.PaperDotsPerUnit = dots;
    }
    return std::nullopt;
}

} // namespace

const char* const kPlotHelp =
    "  --tf NUM:DEN[:DELAY]  one variant: comma-separated coefficients, highest power\n"
    "                        first, and the delay T in seconds; up to 255, drawn in order\n"
    "  --kind K              hodograph (default): the graph screen's picture; step: the\n"
    "                        closed-loop step responses with h∞, the 5 % band, σ and tр;\n"
    "                        bode: L(ω) and its asymptote, φ(ω), ω_c of the asymptote\n"
    "                        (each 900 pixels wide, or across an A4 sheet in a PDF)\n"
    "  --surname TEXT        the student's surname shown in the heading\n"
    "  -o FILE               write FILE; .png, .svg or .pdf\n"
    "  --ops                 print the drawing operations instead, one per line:\n"
    "                        font SIZE | pen WIDTH #RRGGBB | move X Y | line X Y |\n"
    "                        arc X1 Y1 X2 Y2 X3 Y3 X4 Y4 | text X Y TEXT | page\n"
    "                        (texts measured in a nominal font: 0.62 em a character)\n"
    "  --paper DOTS          draw the printed page at DOTS printer dots per unit instead\n"
    "                        of the screen: A4 sheets in a PDF, an image or SVG as large\n"
    "                        as the page's drawing\n"
    "  --dpi N               with --paper, the printer's resolution: a dot is 1/N inch\n"
    "                        (default 300), so that the 100 and 300 dots per unit of the\n"
    "                        presets are 8.47 mm and 25.4 mm on paper\n";

bool ParsePlotArguments(Arguments args, PlotJob& job, std::string& error)
{
    bool ops = false;
    bool dotsPerInchGiven = false;
    const auto reason = ReadOptions(
        args,
        {{"--ops", false}, {"--tf"}, {"--surname"}, {"-o"}, {"--paper"}, {"--dpi"}, {"--kind"}},
        [&](std::string_view name, std::string_view value) {
            ops = ops || name == "--ops";
            dotsPerInchGiven = dotsPerInchGiven || name == "--dpi";
            return name == "--ops" ? std::nullopt : ReadPlotOption(name, value, job);
        });
    if (reason) {
        error = *reason;
        return false;
    }
    if (dotsPerInchGiven && !job.PaperDotsPerUnit) {
        error = "--dpi is the printed page's resolution: it needs --paper";
        return false;
    }
    if (job.Kind != PlotKind::Hodograph && job.PaperDotsPerUnit) {
        error = "--paper draws the hodograph's printed page: it takes no --kind step, bode or map";
        return false;
    }
    if (job.Kind == PlotKind::Map && job.Variants.size() > 1) {
        error = "--kind map draws one variant: give one --tf";
        return false;
    }
    if (job.Variants.empty()) {
        error = kVariantRequired;
        return false;
    }
    if (ops == !job.OutputPath.empty()) {
        error = "give either -o FILE or --ops";
        return false;
    }
    return true;
}

namespace {

// The pictures of --kind step and bode: each variant computed over a span or range common to
// all, with the notes of those that could not be.
struct Characteristics
{
    std::vector<StepResponse> Steps;
    std::vector<LogCharacteristics> Logs;
    StabilityMap Map;
    std::vector<std::string> Notes;
    int Missing = 0; ///< variants not computed
};

Characteristics ComputeCharacteristics(const PlotJob& job)
{
    Characteristics c;
    const auto note = [&](std::size_t i, const std::string& text) {
        c.Notes.push_back("variant " + std::to_string(i + 1) + ": " + text);
    };
    if (job.Kind == PlotKind::Step) {
        const Extended until = CommonStepSpan(job.Variants);
        for (std::size_t i = 0; i < job.Variants.size(); ++i) {
            StepResponse r = ComputeStepResponseWithin(job.Variants[i], until, 1001);
            if (!r.Failure.empty()) {
                note(i, r.Failure);
                ++c.Missing;
            }
            for (const std::string& n : r.Notes)
                note(i, n);
            c.Steps.push_back(std::move(r));
        }
    } else if (job.Kind == PlotKind::Map && !job.Variants.empty()) {
        c.Map = ComputeStabilityMap(job.Variants[0], DefaultMapRanges(job.Variants[0]));
        if (!c.Map.Failure.empty())
            note(0, c.Map.Failure.English);
    } else if (job.Kind == PlotKind::Bode) {
        Extended from = 0, to = 0;
        CommonFrequencyRange(job.Variants, from, to);
        for (std::size_t i = 0; i < job.Variants.size(); ++i) {
            LogCharacteristics l = ComputeLogCharacteristics(job.Variants[i], from, to, 401);
            if (!l.Failure.empty()) {
                note(i, l.Failure);
                ++c.Missing;
            }
            c.Logs.push_back(std::move(l));
        }
    }
    return c;
}

} // namespace

std::vector<std::string> ComputePlotVariants(const PlotJob& job, Assignment& drawn, int* missing)
{
    int notComputed = 0;
    if (missing == nullptr)
        missing = &notComputed;
    if (job.Kind != PlotKind::Hodograph) {
        Characteristics c = ComputeCharacteristics(job);
        *missing = c.Missing;
        return std::move(c.Notes);
    }
    *missing = 0;
    drawn.Variants.assign(1, TransferFunction{});
    drawn.Variants.insert(drawn.Variants.end(), job.Variants.begin(), job.Variants.end());
    drawn.VariantCount = static_cast<std::uint8_t>(job.Variants.size());
    drawn.CurrentVariant = drawn.VariantCount;
    BuildCoefficientTexts(drawn);

    std::vector<std::string> notes;
    for (int i = 1; i <= drawn.VariantCount; ++i) {
        const SweepReport report =
            RunUnattendedSweep(drawn.Variants[static_cast<std::size_t>(i)], 0);
        const std::string variant = "variant " + std::to_string(i) + ": ";
        if (report.Outcome == SweepOutcome::NoStart) {
            notes.push_back(variant + "no start frequency found");
            ++*missing;
        }
        if (!report.Notice.empty())
            notes.push_back(variant + report.Notice);
    }
    return notes;
}

PrintedPage DrawPlotJob(const PlotJob& job, const Assignment& drawn, PlotFields& fields,
                        PageSurface& surface)
{
    if (job.Kind != PlotKind::Hodograph) {
        const Characteristics c = ComputeCharacteristics(job);
        const int height = job.Kind == PlotKind::Step  ? kStepPictureHeight
                           : job.Kind == PlotKind::Map ? kMapPictureHeight
                                                       : kBodePictureHeight;
        DeviceRect area{0, 0, kCharacteristicsWidth, height};
        PictureStyle style;
        // On a sheet of paper: across its width within a margin of a twentieth.
        const DeviceSize sheet = surface.PrintableArea();
        if (sheet.Width < kEndlessSheet.Width / 2) {
            const int margin = sheet.Width / 20;
            area = {margin, margin, sheet.Width - 2 * margin,
                    (sheet.Width - 2 * margin) * height / kCharacteristicsWidth};
            style.LineWidth = std::max(1, area.Width / kCharacteristicsWidth);
        }
        if (job.Kind == PlotKind::Step) {
            std::vector<StepPictureCurve> curves;
            for (std::size_t i = 0; i < c.Steps.size(); ++i)
                curves.push_back({&c.Steps[i], VariantColor(static_cast<int>(i) + 1)});
            DrawStepResponsePicture(surface, area, curves, style);
        } else if (job.Kind == PlotKind::Map) {
            DrawStabilityMapPicture(surface, area, c.Map, std::nullopt, style);
        } else {
            std::vector<LogPictureCurve> curves;
            for (std::size_t i = 0; i < c.Logs.size(); ++i)
                curves.push_back({&c.Logs[i], VariantColor(static_cast<int>(i) + 1)});
            DrawLogCharacteristicsPicture(surface, area, curves, style);
        }
        // The last column and row of the picture.
        return {1, area.Left + area.Width - 1, area.Top + area.Height - 1, area.Top + area.Height};
    }
    if (job.PaperDotsPerUnit) {
        SetDotsPerUnit(fields, *job.PaperDotsPerUnit);
        return DrawPrintPage(surface, fields, drawn, job.Surname, job.ClipCurves);
    }
    DrawPlot(surface, fields, drawn, job.Surname, job.ClipCurves);
    return {1, kGraphClientWidth, kGraphClientHeight};
}

} // namespace nirdal::cli
