// SPDX-License-Identifier: MIT
// map: the region of gain and added delay where the closed loop is stable, for the teacher
// and for scripts.
#include "cli/commands.h"
#include "cli/option_reader.h"
#include "cli/table_writer.h"
#include "core/analysis/stability_map.h"
#include "core/common/safe_text.h"
#include "core/plot/stability_map_picture.h"
#include "core/tf/tf_text.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace nirdal::cli {

namespace {

constexpr int kLeastGrid = 2;
constexpr int kMostGrid = 200;

// Fifteen significant digits for programs that read on; null where there is no number.
std::string Full(std::optional<Extended> value)
{
    return value ? FullNumber(*value) : "null";
}

std::string Short(std::optional<Extended> value)
{
    return value ? ShortNumber(*value) : "none";
}

std::string Count(std::optional<int> count, const char* none)
{
    return count ? std::to_string(*count) : none;
}

struct MapOptions
{
    std::string Text;
    TransferFunction Variant;
    std::optional<MapRanges> Gains; // LeastGain and MostGain from --k
    std::optional<Extended> MostExtraDelay;
    int Grid = 0;
    ReportFormat Format = ReportFormat::Text;
};

std::optional<std::string> ReadMapOption(std::string_view option, std::string_view value,
                                         MapOptions& o)
{
    const std::string quoted = std::string(option) + " " + std::string(value) + ": ";
    if (option == "--tf") {
        if (!o.Text.empty())
            return std::string("one --tf only: a map is drawn for one variant");
        std::string error;
        if (!ParseTransferFunctionText(value, o.Variant, error))
            return quoted + error;
        o.Text = value;
    } else if (option == "--k") {
        const std::size_t colon = value.find(':');
        MapRanges ranges;
        if (colon == std::string_view::npos ||
            !ReadNumberText(value.substr(0, colon), ranges.LeastGain) ||
            !ReadNumberText(value.substr(colon + 1), ranges.MostGain))
            return quoted + "needs two numbers FROM:TO";
        if (const auto fault = GainRangeFault(ranges.LeastGain, ranges.MostGain))
            return quoted + *fault;
        o.Gains = ranges;
    } else if (option == "--dt-max") {
        Extended most = 0;
        if (!ReadNumberText(value, most))
            return quoted + "needs a number of seconds";
        if (const auto fault = ExtraDelayRangeFault(most))
            return quoted + *fault;
        o.MostExtraDelay = most;
    } else if (option == "--grid") {
        long long n = 0;
        if (!ReadWholeText(value, kLeastGrid, kMostGrid, n))
            return quoted + "needs a whole number from " + std::to_string(kLeastGrid) + " to " +
                   std::to_string(kMostGrid);
        o.Grid = static_cast<int>(n);
    } else {
        return ReadFormatOption(value, o.Format);
    }
    return std::nullopt;
}

// Reads the arguments; returns the usage error's message, or nothing.
std::optional<std::string> ParseMapArguments(Arguments args, MapOptions& o)
{
    const auto error =
        ReadOptions(args, {{"--tf"}, {"--k"}, {"--dt-max"}, {"--grid"}, {"--format"}},
                    [&](std::string_view name, std::string_view value) {
                        return ReadMapOption(name, value, o);
                    });
    if (error)
        return error;
    if (o.Text.empty())
        return std::string(kVariantRequired);
    return std::nullopt;
}

void WriteText(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

std::string TextReport(const MapOptions& o, const StabilityMap& map, const MapGrid& grid)
{
    std::string text = "variant: " + TerminalText(o.Text) + "\n";
    text += "  K from " + Short(map.Ranges.LeastGain) + " to " + Short(map.Ranges.MostGain) +
            ", dT from 0 to " + Short(map.Ranges.MostExtraDelay) + " s\n";
    text += "  critical gain (dT = 0):   " + Short(map.CriticalGain) + "\n";
    text += "  delay margin (K = 1):     " +
            (map.DelayMargin ? Short(map.DelayMargin) + " s" : std::string("none")) + "\n";
    text += "  root s = 0 (W(0) < 0) at: " +
            (map.StaticGain ? "K = " + Short(map.StaticGain) : std::string("none")) + "\n";
    for (const std::string& note : map.Notes)
        text += "  note: " + TerminalText(note) + "\n";
    text += "  regions (a point inside, right-half-plane roots there):\n";
    for (const MapRegion& r : map.Regions)
        text += "    K = " + Short(r.Gain) + ", dT = " + Short(r.ExtraDelay) +
                " s: " + Count(r.UnstableRoots, "not counted") + "\n";
    for (const BoundaryCurve& c : map.Curves) {
        text += "  curve k = " + std::to_string(c.Branch) + ", " +
                std::to_string(c.Frequencies.size()) + " points\n";
        text += "    w                 K                 dT\n";
        for (std::size_t i = 0; i < c.Frequencies.size(); ++i) {
            char line[112];
            std::snprintf(line, sizeof line, "    %-16.10Lg  %-16.10Lg  %.10Lg\n",
                          c.Frequencies[i], c.Gains[i], c.ExtraDelays[i]);
            text += line;
        }
    }
    if (!grid.Gains.empty()) {
        text += "  right-half-plane roots (a row a K, a column a dT; - on the boundary):\n";
        text += "    dT:";
        for (const Extended t : grid.ExtraDelays)
            text += " " + Short(t);
        text += "\n";
        for (std::size_t i = 0; i < grid.Gains.size(); ++i) {
            text += "    K = " + Short(grid.Gains[i]) + ":";
            for (const auto& count : grid.UnstableRoots[i])
                text += " " + Count(count, "-");
            text += "\n";
        }
    }
    return text;
}

std::string CsvReport(const StabilityMap& map, const MapGrid& grid)
{
    std::string text = "part,curve,k,w,K,dT,unstable\n";
    text += "critical_gain,,,," + Full(map.CriticalGain) + ",0,\n";
    text += "delay_margin,,,,1," + Full(map.DelayMargin) + ",\n";
    if (map.StaticGain)
        text += "static_gain,,,," + Full(map.StaticGain) + ",,\n";
    for (const MapRegion& r : map.Regions)
        text += "region,,,," + Full(r.Gain) + "," + Full(r.ExtraDelay) + "," +
                Count(r.UnstableRoots, "") + "\n";
    for (std::size_t c = 0; c < map.Curves.size(); ++c) {
        const BoundaryCurve& curve = map.Curves[c];
        for (std::size_t i = 0; i < curve.Frequencies.size(); ++i)
            text += "curve," + std::to_string(c + 1) + "," + std::to_string(curve.Branch) + "," +
                    Full(curve.Frequencies[i]) + "," + Full(curve.Gains[i]) + "," +
                    Full(curve.ExtraDelays[i]) + ",\n";
    }
    for (std::size_t i = 0; i < grid.Gains.size(); ++i)
        for (std::size_t j = 0; j < grid.ExtraDelays.size(); ++j)
            text += "grid,,,," + Full(grid.Gains[i]) + "," + Full(grid.ExtraDelays[j]) + "," +
                    Count(grid.UnstableRoots[i][j], "") + "\n";
    return text;
}

std::string JsonReport(const MapOptions& o, const StabilityMap& map, const MapGrid& grid)
{
    std::string text = "{\"tf\":" + JsonString(o.Text) + ",\"ranges\":{\"K\":[" +
                       Full(map.Ranges.LeastGain) + "," + Full(map.Ranges.MostGain) +
                       "],\"dT\":[0," + Full(map.Ranges.MostExtraDelay) + "]},\n\"curves\":[";
    for (std::size_t c = 0; c < map.Curves.size(); ++c) {
        const BoundaryCurve& curve = map.Curves[c];
        text += std::string(c ? ",\n" : "\n") + "{\"k\":" + std::to_string(curve.Branch) +
                ",\"w\":" + JsonNumbers(curve.Frequencies) + ",\"K\":" + JsonNumbers(curve.Gains) +
                ",\"dT\":" + JsonNumbers(curve.ExtraDelays) + "}";
    }
    text += "],\n\"regions\":[";
    for (std::size_t r = 0; r < map.Regions.size(); ++r)
        text += std::string(r ? "," : "") + "{\"K\":" + Full(map.Regions[r].Gain) +
                ",\"dT\":" + Full(map.Regions[r].ExtraDelay) +
                ",\"unstable\":" + Count(map.Regions[r].UnstableRoots, "null") + "}";
    text += "],\n\"marks\":{\"critical_gain\":" + Full(map.CriticalGain) +
            ",\"delay_margin\":" + Full(map.DelayMargin) + "},\"static_gain\":" +
            Full(map.StaticGain) + ",\"notes\":[";
    for (std::size_t i = 0; i < map.Notes.size(); ++i)
        text += (i ? "," : "") + JsonString(map.Notes[i]);
    text += "],\n\"grid\":";
    if (grid.Gains.empty())
        return text + "null}\n";
    text += "{\"K\":" + JsonNumbers(grid.Gains) + ",\"dT\":" + JsonNumbers(grid.ExtraDelays) +
            ",\"unstable\":[";
    for (std::size_t i = 0; i < grid.Gains.size(); ++i) {
        text += std::string(i ? ",\n" : "\n") + "[";
        for (std::size_t j = 0; j < grid.ExtraDelays.size(); ++j)
            text += (j ? "," : "") + Count(grid.UnstableRoots[i][j], "null");
        text += "]";
    }
    return text + "]}}\n";
}

} // namespace

int RunMap(Arguments args)
{
    if (WantsHelp(args)) {
        std::printf(
            "usage: nirdal-cli map --tf NUM:DEN[:DELAY] [--k FROM:TO] [--dt-max S] [--grid N]\n"
            "                      [--format text|csv|json]\n\n"
            "The region of the gain K and the added delay dT where the closed loop of\n"
            "K·W(s)·exp(-s·dT) with unit negative feedback is stable, by D-partition: the\n"
            "boundary curves K(w) = 1/|W(jw)|, dT_k(w) = (arg W(jw) + pi + 2 pi k)/w (arg W\n"
            "continuous in w, the variant's own delay included), on which a pair of roots\n"
            "crosses the imaginary axis; the line K = -1/W(0) where W(0) < 0 (a root at\n"
            "s = 0); the regions between them, each with the number of closed-loop roots in\n"
            "the right half-plane from the Nyquist verdict at one point inside it; and the\n"
            "marks: the critical gain at dT = 0 and the delay margin at K = 1, as analyse\n"
            "gives them.\n\n"
            "  --tf NUM:DEN[:DELAY]  the variant, as for analyse\n"
            "  --k FROM:TO           the gains, above 0 within 1e-12 and 1e12 (default 0.01:100,\n"
            "                        as the analysis window's slider)\n"
            "  --dt-max S            the largest added delay in seconds, above 0 and at most\n"
            "                        1e12 (default: as the analysis window's slider, four\n"
            "                        times the delay margin)\n"
            "  --grid N              an N x N table of the counts, K equally spaced in lg K\n"
            "                        and dT equally spaced, ends included; N from 2 to 200\n"
            "  --format F            text (default), csv or json\n\n"
            "A map whose curves would need more than %ld points, or that would split into\n"
            "more than %d regions, is refused: narrow its ranges.\n"
            "Exit status 1 when the variant could not be mapped.\n",
            kMostMapPoints, kMostMapRegions);
        return 0;
    }
    MapOptions o;
    if (const auto error = ParseMapArguments(args, o))
        return UsageError("map", *error);
    MapRanges ranges = DefaultMapRanges(o.Variant);
    if (o.Gains) {
        ranges.LeastGain = o.Gains->LeastGain;
        ranges.MostGain = o.Gains->MostGain;
    }
    if (o.MostExtraDelay)
        ranges.MostExtraDelay = *o.MostExtraDelay;

    const StabilityMap map = ComputeStabilityMap(o.Variant, ranges);
    if (!map.Failure.empty()) {
        std::fprintf(stderr, "nirdal-cli map: %s: not mapped: %s\n",
                     TerminalText(o.Text).c_str(), TerminalText(map.Failure.English).c_str());
        return 1;
    }
    const MapGrid grid = o.Grid ? ComputeMapGrid(map, o.Grid) : MapGrid{};
    WriteText(o.Format == ReportFormat::Text  ? TextReport(o, map, grid)
              : o.Format == ReportFormat::Csv ? CsvReport(map, grid)
                                              : JsonReport(o, map, grid));
    return 0;
}

} // namespace nirdal::cli
