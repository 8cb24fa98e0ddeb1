// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"
#include "core/common/surface.h"
#include "core/tf/assignment.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nirdal {

/// Client area of the graph window while it shows the plot, in pixels.
constexpr int kGraphClientWidth = 750;
constexpr int kGraphClientHeight = 450;

/// Largest distance from the origin, in device units, at which a point is drawn where it
/// lies; farther points are pulled in along their ray from the origin. Far beyond any page,
/// and small enough that sums of a few such values stay inside a 32-bit int.
constexpr Extended kCoordinateLimit = 100'000'000;

/// The plot fields of the graph window; the graph screen owns one.
struct PlotFields
{
    double PlotScale = 0.01;           ///< plot units per device pixel or printer dot
    double YStretch = 1.1;             ///< factor on the vertical unit
    std::int32_t PixelsPerUnitX = 100; ///< nearest(1 / PlotScale)
    std::int32_t PixelsPerUnitY = 110; ///< nearest(YStretch / PlotScale)
};

/// Pen colours of the curves: variant i is drawn in entry i.
inline constexpr std::array<Rgb, 16> VariantColors{{
    {128, 0, 0},     // maroon
    {0, 128, 0},     // green
    {128, 128, 0},   // olive
    {0, 0, 128},     // navy
    {128, 0, 128},   // purple
    {0, 128, 128},   // teal
    {128, 128, 128}, // grey
    {192, 192, 192}, // silver
    {255, 0, 0},     // red
    {0, 255, 0},     // lime
    {255, 255, 0},   // yellow
    {0, 0, 255},     // blue
    {255, 0, 255},   // fuchsia
    {0, 255, 255},   // aqua
    {192, 192, 192}, // light grey
    {128, 128, 128}, // dark grey
}};

/// The heading of the screen picture and of the page.
const std::string& PlotHeading();

/// Colour of variant i (from 1): the table's entry i, starting over after entry 16.
Rgb VariantColor(int i);

/// nearest(x) as a device coordinate, clamped to ±kCoordinateLimit; NaN gives 0.
int DeviceCoordinate(Extended x);

/// A point on a drawing surface, in device units.
struct DevicePoint
{
    int x;
    int y;
    friend bool operator==(const DevicePoint&, const DevicePoint&) = default;
};

/// The plot fields and the origin of the screen picture (100 and 110 pixels per unit,
/// origin in the middle of the graph window's client area).
PlotFields ScreenPlotFields();
DevicePoint ScreenPlotOrigin();

/// Where a response point is drawn on a surface whose origin 0 + j0 lies at `origin`;
/// nothing for a point that is not a number.
std::optional<DevicePoint> CurvePoint(const ResponsePoint& point, const PlotFields& fields,
                                      DevicePoint origin);

/// Sets PixelsPerUnitX := nearest(1 / PlotScale) and PixelsPerUnitY := nearest(YStretch /
/// PlotScale).
void UpdateUnitLengths(PlotFields& fields);

/// The coefficient entries of one polynomial of a variant, 'A' for the denominator and 'B'
/// for the numerator, from the highest power down, each ending in a blank: "A1  =3.00 ".
std::vector<std::string> CoefficientEntries(const TransferFunction& variant, char letter);

/// The delay text of a variant: "ЗАПАЗДЫВАНИЕ 0,500 секунд".
std::string DelayEntry(const TransferFunction& variant);

/// The coefficient texts of any variant.
CoefficientTexts MakeCoefficientTexts(const TransferFunction& variant);

/// Builds the assignment's texts from variant VariantCount; all three are empty while there
/// is no variant.
void BuildCoefficientTexts(Assignment& assignment);

/// What differs between the screen picture and the printed page.
struct SurfaceRules
{
    int VerticalAxisEnd;
    int HorizontalAxisEnd;
    bool PassOverLowPoints;       ///< paper: no line to a point k >= 2 with V <= -3
    int VerticalAxisTop = 0;      ///< where the vertical axis starts
    double LabelOffsetScale = 1;  ///< factor on the tick labels' distances from the axes
    /// The curves cut where they leave the frame 0…HorizontalAxisEnd × VerticalAxisTop…
    /// VerticalAxisEnd and resumed where they come back, for pictures handed out, not pressed
    /// toward it nor passed over low points.
    bool ClipCurves = false;
};

/// A tick label's distance from its axis: the distance designed for the screen, times the
/// rules' label offset scale.
int LabelOffset(const SurfaceRules& rules, int designed);

/// One phase mark at a whole number of degrees, counted from -1 toward -j, around origin.
void DrawPhaseMark(Surface& surface, const PlotFields& fields, DevicePoint origin, int degrees);

/// Ticks with their labels, axes, unit circle, phase marks and the curves of variants
/// 1 … VariantCount of the assignment, in this order, around the device point `origin` of
/// 0 + j0.
void DrawPictureElements(Surface& surface, const PlotFields& fields, const SurfaceRules& rules,
                         DevicePoint origin, const Assignment& assignment);

/// The screen picture of the assignment on the graph window's client area (kGraphClientWidth
/// × kGraphClientHeight): headings, the texts of the last variant's coefficients and the
/// picture at 100 pixels per unit. Resets PlotScale to 0.01. The surname is UTF-8.
/// clipCurves as SurfaceRules::ClipCurves. Gives where 0 + j0 was drawn.
DevicePoint DrawPlot(Surface& surface, PlotFields& fields, const Assignment& assignment,
                     std::string_view surname, bool clipCurves = false);

} // namespace nirdal
