// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"

namespace nirdal {

/// The part of the segment (x0, y0)–(x1, y1) inside the closed rectangle left…right ×
/// top…bottom, by Liang and Barsky's parametric clipping: the ends are moved onto the
/// rectangle's edges where the segment crosses them, in the segment's direction. False when
/// nothing of it lies inside.
bool ClipSegment(Extended& x0, Extended& y0, Extended& x1, Extended& y1, Extended left,
                 Extended top, Extended right, Extended bottom);

} // namespace nirdal
