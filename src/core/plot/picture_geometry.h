// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"
#include "core/common/surface.h"

#include <string>
#include <vector>

// The geometry every picture of a curve shares: rectangles, value-to-device scales, grid
// steps and their labels, clipping and frames.
namespace nirdal {

/// A rectangle of a surface in device units.
struct DeviceRect
{
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

/// A rectangle by its edges, both included: the box a picture draws its grid and curves in.
struct PictureBox
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

/// Maps values From…To linearly onto device coordinates Near…Far (Far < Near for an axis
/// that points up).
struct Scale
{
    Extended From = 0;
    Extended To = 1;
    int Near = 0;
    int Far = 1;
    Extended operator()(Extended v) const { return Near + (v - From) / (To - From) * (Far - Near); }
};

/// A device coordinate: rounded to nearest, ties to even; far values held at ±1e8 so that
/// they stay integers; not a number at 0.
int DeviceUnits(Extended v);

/// 1, 2 or 5 times a power of 10, so that range holds at most `most` steps; 1 for a range that
/// is not a positive number.
Extended NiceStep(Extended range, int most);

/// Angles in degrees: steps of 15, 30, 45, 90 or 180, beyond them multiples of 360.
Extended DegreeStep(Extended range, int most);

/// The multiples of step from `from` to `to` (a hair of rounding either way let in), when
/// they are few enough to draw (at most 201): none when the step is 0 or too fine for the
/// values to tell apart.
std::vector<Extended> TickValues(Extended from, Extended to, Extended step);

/// Tick label of a grid step: as many decimals as the step needs, a decimal comma; steps
/// below 1e-6 or from 1e9 on with an exponent.
std::string TickNumber(Extended value, Extended step);

/// The part of the segment inside the rectangle r (its right and bottom edges at Left + Width
/// and Top + Height), by ClipSegment; false when nothing of it lies inside.
bool ClipSegment(Extended& x0, Extended& y0, Extended& x1, Extended& y1, const DeviceRect& r);

/// The four edges of box in ink, one pixel wide, clockwise from its top-left corner.
void DrawFrame(Surface& surface, const PictureBox& box, Rgb ink);

/// A full circle of radius around (x, y) in the current pen.
void DrawRing(Surface& surface, int x, int y, int radius);

/// A mark designed as `pixels` on a 96-dpi screen, in the units of a surface whose lines of
/// `points` text are lineSpacing apart: the same on such a screen, twice on a screen drawn
/// in its own pixels at ratio 2, so that marks keep their size beside the texts. Never less
/// than designed.
int MarkSize(int pixels, int points, int lineSpacing);

} // namespace nirdal
