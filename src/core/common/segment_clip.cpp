// SPDX-License-Identifier: MIT
#include "core/common/segment_clip.h"

#include <algorithm>

namespace nirdal {

bool ClipSegment(Extended& x0, Extended& y0, Extended& x1, Extended& y1, Extended left,
                 Extended top, Extended right, Extended bottom)
{
    const Extended dx = x1 - x0, dy = y1 - y0;
    Extended t0 = 0, t1 = 1;
    const Extended p[] = {-dx, dx, -dy, dy};
    const Extended q[] = {x0 - left, right - x0, y0 - top, bottom - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const Extended t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const Extended ax = x0 + t0 * dx, ay = y0 + t0 * dy;
    x1 = x0 + t1 * dx;
    y1 = y0 + t1 * dy;
    x0 = ax;
    y0 = ay;
    return true;
}

} // namespace nirdal
