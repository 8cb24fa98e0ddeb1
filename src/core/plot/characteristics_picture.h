// SPDX-License-Identifier: MIT
#pragma once

#include "core/analysis/log_characteristics.h"
#include "core/analysis/step_response.h"
#include "core/common/extended.h"
#include "core/common/surface.h"
#include "core/plot/picture_geometry.h"

#include <span>

namespace nirdal {

/// How a characteristics picture is drawn.
struct PictureStyle
{
    int FontPoints = 9;      ///< texts; the exponents of 10^k at two thirds of it
    int LineWidth = 1;       ///< curves, in device units
    Rgb Ink{0, 0, 0};        ///< frame and ticks
    Rgb Grid{215, 215, 215}; ///< grid lines
};

/// One variant's step response and its colour.
struct StepPictureCurve
{
    const StepResponse* Response = nullptr;
    Rgb Colour;
};

/// One variant's logarithmic characteristics and its colour.
struct LogPictureCurve
{
    const LogCharacteristics* Characteristics = nullptr;
    Rgb Colour;
};

/// The step responses in area: "h(t)" over "t, с" with a grid, each curve in its colour, and
/// for a stable one h∞ as a dashed line, the 5 % band dotted, the peak ringed and marked "σ",
/// the settling time as a dashed upright marked "tр"; a legend line a variant with a sample
/// of its colour and "σ = … %  tр = … с" (or its verdict). Nothing is drawn outside area.
void DrawStepResponsePicture(Surface& surface, DeviceRect area,
                             std::span<const StepPictureCurve> curves,
                             const PictureStyle& style = {});

/// The logarithmic characteristics in area: "ЛАЧХ L(ω), дБ" above, L solid and L_a dashed
/// on a dB grid, "ЛФЧХ φ(ω), град" below on the same decade axis labelled 10^k, "ω, рад/с";
/// the asymptote crossover ω_ср of each variant as a dashed upright through both, with a
/// legend line "ωср = … рад/с".
void DrawLogCharacteristicsPicture(Surface& surface, DeviceRect area,
                                   std::span<const LogPictureCurve> curves,
                                   const PictureStyle& style = {});

} // namespace nirdal
