// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/surface.h"
#include "core/plot/characteristics_picture.h"
#include "core/analysis/exploration.h"

#include <string>

namespace nirdal {

/// Pens of the marks on the analysis window's hodograph, so that a reader (or a test) tells
/// them apart.
inline constexpr Rgb kCurvePen{128, 0, 0};         ///< the curve and its arrows
inline constexpr Rgb kMinusOnePen{255, 0, 0};      ///< the circle around −1
inline constexpr Rgb kGainMarginPen{0, 0, 255};    ///< the diamond on the negative real axis
inline constexpr Rgb kPhaseMarginPen{0, 128, 0};   ///< the point on the unit circle and its arc
inline constexpr Rgb kFramePen{160, 160, 160};     ///< the frame around each picture
inline constexpr Rgb kAxisPen{0, 0, 0};            ///< axes, ticks and the unit circle
inline constexpr Rgb kStalePen{170, 170, 170};     ///< a step response of an earlier state

/// Pixels of the marks: the circle around −1, the diamond's half diagonal, the phase point's
/// circle, and the length of an arrow's wings.
constexpr int kMinusOneRadius = 4;
constexpr int kGainMarkHalf = 6;
constexpr int kPhaseMarkRadius = 5;
constexpr int kArrowWing = 9;

/// The hodograph of K·W(jω)·e^(−jωΔT) inside frame, at equal scales on both axes: its frame
/// and title, the axes with the ticks at ±1, the unit circle (a full Arc whose rectangle
/// gives the origin and the unit), −1 ringed, the curve for rising ω clipped to the frame
/// with arrows along it, the crossing of the negative real axis that sets the gain margin
/// (a diamond) and the point of the unit circle that sets the phase margin (a ring) with the
/// margin's angle drawn as an arc of the unit circle from −1. The view holds the unit circle,
/// that crossing (up to 20 units out) and the curve where |K·W| ≤ 3.
void DrawExplorationHodograph(Surface& surface, const Exploration& exploration, DeviceRect frame);

/// The four pictures of the analysis window in a picture of size, two by two: the hodograph
/// and the step response above, the stability map and the logarithmic characteristics
/// below. A step response that does not belong to the state in force
/// (Exploration::StepIsCurrent) is drawn in grey until it is computed anew; the map, until
/// it is taken, says it is being built. With withMap false the map's frame is left empty: a
/// window that keeps the map's picture draws it there with DrawExplorationMap and only the
/// point with DrawExplorationMapPoint.
void DrawExplorationPictures(Surface& surface, const Exploration& exploration, DeviceSize size,
                             bool withMap = true);

/// Where DrawExplorationPictures puts its four pictures in a picture of size: two by two
/// where each quarter holds LeastExplorationPicture, else in one row where each quarter of
/// the width holds it (a wide, low window), else two by two all the same.
struct ExplorationLayout
{
    DeviceRect Hodograph;
    DeviceRect Step;
    DeviceRect Logarithmic;
    DeviceRect Map;
};
ExplorationLayout LayOutExploration(Surface& surface, DeviceSize size);

/// The least size of one of the four pictures, in the surface's font, at which each of them
/// is drawn whole (the logarithmic characteristics, which need the most height, included).
DeviceSize LeastExplorationPicture(Surface& surface);
/// The least size of all four in a window whose room for them is room: the layout
/// LayOutExploration takes there, shrunk no further.
DeviceSize LeastExplorationSize(Surface& surface, DeviceSize room);

/// "Область устойчивости" in frame: the variant's stability map without the window's point.
void DrawExplorationMap(Surface& surface, const Exploration& exploration, DeviceRect frame);
/// The window's (K, ΔT) on the map drawn in frame.
void DrawExplorationMapPoint(Surface& surface, const Exploration& exploration, DeviceRect frame);
/// The plot box of the map drawn in frame: what a click on it reads (StabilityMapPointAt).
DeviceRect ExplorationMapBox(Surface& surface, DeviceRect frame);

/// The variant as a formula on one line: "W(s) = 2 / (s³ + 3s² + 3s + 1) · exp(-1·s)", the
/// coefficients as typed (the shortest text that reads back), with the decimal comma.
std::string TransferFunctionFormula(const TransferFunction& variant);

/// What "Сохранить рисунок…" writes: the four pictures of size and under them a caption
/// saying what they show (the window's caption, W(s), K and ΔT, the verdict and the
/// figures under it), wrapped to the pictures' width. Returns the whole picture's size.
DeviceSize DrawSavedExploration(Surface& surface, const Exploration& exploration,
                                DeviceSize size);

} // namespace nirdal
