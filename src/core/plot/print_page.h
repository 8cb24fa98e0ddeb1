// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"
#include "core/common/surface.h"
#include "core/plot/plot.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nirdal {

/// Largest print gain whose page origin still fits the 16-bit origin coordinates.
constexpr int kMaxDotsPerUnit = 65535 * 2 * 100 / kGraphClientWidth;

/// Distance between the page's summary lines, in dots, where the text allows it.
constexpr int kSummaryLinePitch = 21;

/// The printed line of the assignment's variant i (1 … VariantCount): its denominator,
/// numerator and delay texts joined.
std::string VariantSummaryLine(const Assignment& assignment, int i);

/// The pieces of VariantSummaryLine(assignment, i) that a line may break between: each
/// coefficient entry, then the delay text.
std::vector<std::string> VariantSummaryEntries(const Assignment& assignment, int i);

/// An A4 sheet, 210 by 297 mm, in dots at dotsPerInch.
DeviceSize A4Sheet(int dotsPerInch);

/// What DrawPrintPage drew.
struct PrintedPage
{
    int Sheets = 1;         ///< sheets used: the summary lines continue past the first
    int AxesRight = 0;      ///< right end of the horizontal axis, in dots
    int AxesBottom = 0;     ///< lower end of the vertical axis, in dots
    int LastSheetBottom = 0; ///< how far down the last sheet the axes and texts reach
    DevicePoint Origin{0, 0}; ///< where 0 + j0 was drawn on the first sheet, in dots
};

/// The printed page of the assignment at fields.PlotScale: surname, heading, the picture at one unit per
/// 1 / PlotScale dots and the summary lines of all variants, inside the page's printable
/// area. Sets YStretch to 1.0 and the unit lengths. PlotScale must be one that
/// SetDotsPerUnit accepted. The surname is UTF-8.
///
/// Where 10-point text is no taller than the lines' pitch of 21 dots (about 100 dots per
/// inch), every text stands where the page is designed to have it: the surname at (20, 30),
/// the heading at (20, 5), the line of variant i at (20, Origin.x + PixelsPerUnitX + 21·i).
/// Where the text is taller, it is spaced by the font's own line spacing: the surname
/// one line below the heading, the summary lines one line apart from the designed place of
/// the first; the picture moves down just enough for its labels to clear the two heading
/// lines, and the labels keep the screen's distances from the axes in proportion to the
/// text. A line too wide for the printable area breaks between entries and goes on
/// indented; lines below the printable area go on on further sheets. clipCurves as
/// SurfaceRules::ClipCurves.
PrintedPage DrawPrintPage(PageSurface& page, PlotFields& fields, const Assignment& assignment,
                          std::string_view surname, bool clipCurves = false);

/// Sets PlotScale := 1 / dotsPerUnit for the following prints. A gain the page cannot be
/// drawn at (zero, negative, not finite, a unit under one dot, an origin beyond 16 bits)
/// leaves PlotScale as it is and gives the reason.
std::optional<std::string> SetDotsPerUnit(PlotFields& fields, Extended dotsPerUnit);

} // namespace nirdal
