// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/surface.h"
#include "core/plot/characteristics_picture.h"
#include "core/analysis/exploration.h"

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

/// The three pictures of the analysis window side by side in a picture of size: the
/// hodograph on the left, the step response and the logarithmic characteristics on the
/// right, one above the other. A step response that does not belong to the state in force
/// (Exploration::StepIsCurrent) is drawn in grey until it is computed anew.
void DrawExplorationPictures(Surface& surface, const Exploration& exploration, DeviceSize size);

/// Where DrawExplorationPictures puts its three pictures in a picture of size.
struct ExplorationLayout
{
    DeviceRect Hodograph;
    DeviceRect Step;
    DeviceRect Logarithmic;
};
ExplorationLayout LayOutExploration(DeviceSize size);

} // namespace nirdal
