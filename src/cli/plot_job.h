// SPDX-License-Identifier: MIT
#pragma once

#include "cli/commands.h"
#include "core/common/extended.h"
#include "core/common/surface.h"
#include "core/plot/plot.h"
#include "core/plot/print_page.h"
#include "core/tf/assignment.h"

#include <optional>
#include <string>
#include <vector>

namespace nirdal::cli {

/// The picture `plot` draws.
enum class PlotKind
{
    Hodograph, ///< the graph screen's picture or the printed page
    Step,      ///< the closed-loop step responses
    Bode,      ///< the logarithmic characteristics
    Map,       ///< the region of gain and added delay where the closed loop is stable
};

/// Size of the step-response and logarithmic-characteristics pictures drawn as on a screen,
/// in pixels.
constexpr int kCharacteristicsWidth = 900;
constexpr int kStepPictureHeight = 560;
constexpr int kBodePictureHeight = 700;
constexpr int kMapPictureHeight = 640;

/// What `plot` is asked to draw, and where.
struct PlotJob
{
    PlotKind Kind = PlotKind::Hodograph;
    std::vector<TransferFunction> Variants; ///< from the --tf options, in order
    std::string Surname;
    std::string OutputPath;                 ///< empty with --ops
    std::optional<Extended> PaperDotsPerUnit;
    /// The hodograph cut at its picture's frame (SurfaceRules::ClipCurves): for the key, the
    /// class report and batch --plots.
    bool ClipCurves = false;
    int PageDotsPerInch = 300; ///< resolution of the printed page, with --paper
};

/// The option lines of --help for plot.
extern const char* const kPlotHelp;

/// Reads the arguments of plot; on bad input returns false with the reason in error.
bool ParsePlotArguments(Arguments args, PlotJob& job, std::string& error);

/// Makes the job's transfer functions the variants of `drawn` and computes each as `sweep`
/// does. Returns a line for each variant whose computation did not end normally (UTF-8);
/// missing, when given, gets the number of variants that cannot be drawn at all.
std::vector<std::string> ComputePlotVariants(const PlotJob& job, Assignment& drawn,
                                             int* missing = nullptr);

/// Draws the screen picture, or with --paper the printed page, of the variants computed into
/// `drawn`;
/// returns what the page took (for the screen picture: one sheet of the window's size). The
/// step and logarithmic pictures are computed here and drawn at their screen size, or across
/// a sheet of paper when the surface has one.
PrintedPage DrawPlotJob(const PlotJob& job, const Assignment& drawn, PlotFields& fields,
                        PageSurface& surface);

} // namespace nirdal::cli
