#pragma once

#include "core/common/extended.h"
#include "core/common/surface.h"
#include "core/plot/plot.h"

#include <optional>
#include <string>
#include <string_view>

namespace nirdal {

/// Largest print gain whose page origin still fits the 16-bit origin coordinates.
constexpr int kMaxDotsPerUnit = 65535 * 2 * 100 / kGraphClientWidth;

/// The printed line of variant i (1 … VariantCount): its denominator, numerator and delay
/// texts joined (Windows-1251).
std::string VariantSummaryLine(int i);

/// The paper's axis ends, trunc(4.5 / PlotScale) and trunc(8 / PlotScale), and its
/// passing over of low points.
SurfaceRules PageRules(const PlotFields& fields);

/// The printed page at fields.PlotScale: surname, heading, the picture at one unit per
/// 1 / PlotScale dots and one summary line per variant. Sets YStretch to 1.0 and the unit
/// lengths. PlotScale must be one that SetDotsPerUnit accepted. The surname is Windows-1251.
void DrawPrintPage(Surface& page, PlotFields& fields, std::string_view surname);

/// Sets PlotScale := 1 / dotsPerUnit for the following prints. A gain the page cannot be
/// drawn at (zero, negative, not finite, a unit under one dot, an origin beyond 16 bits)
/// leaves PlotScale as it is and gives the reason (Windows-1251).
std::optional<std::string> SetDotsPerUnit(PlotFields& fields, Extended dotsPerUnit);

} // namespace nirdal
