// SPDX-License-Identifier: MIT
// plot: the hodographs of variants drawn as the graph screen or the printed page shows them.
#include "cli/commands.h"
#include "cli/exporter.h"
#include "cli/plot_job.h"
#include "core/common/recording_surface.h"
#include "core/common/safe_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace nirdal::cli {

namespace {

// Files are written by nirdal-export: drawing text and writing PNG, SVG and PDF take Qt,
// which nirdal-cli does not load.
int RunExporter(Arguments args)
{
    std::string error;
    const std::string exporter = ExporterPath(error);
    if (exporter.empty()) {
        std::fprintf(stderr, "nirdal-cli plot: %s\n", error.c_str());
        return 1;
    }

    std::vector<std::string> arguments{exporter};
    arguments.insert(arguments.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::fflush(nullptr);
    execv(exporter.c_str(), argv.data());
    std::fprintf(stderr, "nirdal-cli plot: cannot run %s: %s\n", exporter.c_str(),
                 std::strerror(errno));
    return 1;
}

} // namespace

int RunPlot(Arguments args)
{
    if (WantsHelp(args)) {
        std::printf("usage: nirdal-cli plot --tf NUM:DEN[:DELAY] [--tf ...] [--surname TEXT]\n"
                    "                       (-o FILE | --ops) [--paper DOTS [--dpi N]]\n\n"
                    "Computes every variant as 'sweep' does and draws the hodographs as the\n"
                    "graph screen shows them (750 x 450 pixels), or the printed page.\n\n%s",
                    kPlotHelp);
        return 0;
    }
    PlotJob job;
    std::string error;
    if (!ParsePlotArguments(args, job, error))
        return UsageError("plot", error);
    if (!job.OutputPath.empty())
        return RunExporter(args);

    int missing = 0;
    Assignment drawn;
    for (const std::string& note : ComputePlotVariants(job, drawn, &missing))
        std::fprintf(stderr, "nirdal-cli plot: %s\n", TerminalText(note).c_str());
    // Without Qt the texts are measured by a nominal font; nirdal-export measures its own.
    RecordingSurface recording(job.PaperDotsPerUnit ? job.PageDotsPerInch : kScreenDotsPerInch,
                               job.PaperDotsPerUnit ? A4Sheet(job.PageDotsPerInch)
                                                    : kEndlessSheet);
    PlotFields fields;
    DrawPlotJob(job, drawn, fields, recording);
    for (const DrawOp& op : recording.ops())
        std::puts(RecordingSurface::Describe(op).c_str());
    // The drawing leaves out what could not be computed; the notes above say which.
    return missing > 0 ? 1 : 0;
}

} // namespace nirdal::cli
