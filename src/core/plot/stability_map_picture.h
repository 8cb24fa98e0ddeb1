// SPDX-License-Identifier: MIT
#pragma once

#include "core/analysis/stability_map.h"
#include "core/common/surface.h"
#include "core/plot/characteristics_picture.h"

#include <optional>
#include <utility>

namespace nirdal {

/// Colours of the stability map, so that a reader (or a test) tells its parts apart.
inline constexpr Rgb kStableShade{205, 235, 205}; ///< the stable region, filled
inline constexpr Rgb kBoundaryPen{0, 70, 170};    ///< the boundary curves and the line K = −1/W(0)
inline constexpr Rgb kMapMarkPen{200, 0, 0};      ///< Kкр and the delay margin
inline constexpr Rgb kMapPointPen{0, 0, 0};       ///< the analysis window's (K, ΔT)

/// The ranges the analysis window and `map` use unless told otherwise: K over the gain
/// slider's range, ΔT to the end of the ΔT slider.
MapRanges DefaultMapRanges(const TransferFunction& variant);

/// The map in area: K on a logarithmic axis across, ΔT upward, the stable region (no root in
/// the right half-plane) shaded, the boundary curves clipped to the box, each with its k, the
/// line K = −1/W(0), the count Z of each region at its point, the marks "Kкр" at ΔT = 0 and
/// the delay margin at K = 1, and with point the window's (K, ΔT) ringed. A map that failed
/// shows its Russian reason.
void DrawStabilityMapPicture(Surface& surface, DeviceRect area, const StabilityMap& map,
                             std::optional<std::pair<Extended, Extended>> point = std::nullopt,
                             const PictureStyle& style = {});

/// The window's (gain, extraDelay) ringed on the map drawn in box (StabilityMapBox): all that
/// a move of K or ΔT changes in the picture.
void DrawStabilityMapPoint(Surface& surface, const StabilityMap& map, DeviceRect box,
                           Extended gain, Extended extraDelay);

/// The plot box of DrawStabilityMapPicture in area, and the (K, ΔT) at a device point of it:
/// what a click on the map asks for; none outside the box.
DeviceRect StabilityMapBox(Surface& surface, DeviceRect area, const PictureStyle& style = {});
std::optional<std::pair<Extended, Extended>> StabilityMapPointAt(const StabilityMap& map,
                                                                 DeviceRect box, int x, int y);

} // namespace nirdal
