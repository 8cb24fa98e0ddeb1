// SPDX-License-Identifier: MIT
#include "core/plot/curve_reading.h"

#include "core/tf/transfer_function.h"

#include <cmath>
#include <numbers>

namespace nirdal {
namespace {

Extended SquaredDistance(DevicePoint a, DevicePoint b)
{
    const Extended dx = a.x - b.x;
    const Extended dy = a.y - b.y;
    return dx * dx + dy * dy;
}

// Squared distance from p to the segment from a to b.
Extended SquaredDistanceToSegment(DevicePoint p, DevicePoint a, DevicePoint b)
{
    const Extended abx = b.x - a.x;
    const Extended aby = b.y - a.y;
    const Extended length = abx * abx + aby * aby;
    if (length == 0)
        return SquaredDistance(p, a);
    const Extended along = ((p.x - a.x) * abx + (p.y - a.y) * aby) / length;
    if (along <= 0)
        return SquaredDistance(p, a);
    if (along >= 1)
        return SquaredDistance(p, b);
    const Extended cross = abx * (p.y - a.y) - aby * (p.x - a.x);
    return cross * cross / length;
}

} // namespace

std::optional<CurveReading> ReadCurveAt(const Assignment& assignment, DevicePoint at)
{
    const PlotFields fields = ScreenPlotFields();
    const DevicePoint origin = ScreenPlotOrigin();
    const Extended reach = Extended{kCurveReach} * kCurveReach;

    std::optional<CurveReading> best;
    Extended bestDistance = 0;
    for (int i = 1; i <= assignment.VariantCount; ++i) {
        const ResponseArrays& points =
            assignment.Variants.at(static_cast<std::size_t>(i)).ResponseArrays;
        // The polyline as drawn: points that are not numbers are passed over.
        bool nearCurve = false;
        std::optional<DevicePoint> previous;
        int nearestSlot = 0;
        Extended nearestDistance = 0;
        for (int k = kFirstSlot; k <= kLastSlot; ++k) {
            const std::optional<DevicePoint> p = CurvePoint(points[k], fields, origin);
            if (!p)
                continue;
            const Extended distance = SquaredDistance(at, *p);
            if (nearestSlot == 0 || distance < nearestDistance) {
                nearestSlot = k;
                nearestDistance = distance;
            }
            const Extended toLine =
                previous ? SquaredDistanceToSegment(at, *previous, *p) : distance;
            nearCurve = nearCurve || toLine <= reach;
            previous = p;
        }
        if (!nearCurve || (best && nearestDistance >= bestDistance))
            continue;
        const ResponsePoint& point = points[nearestSlot];
        best = CurveReading{i,
                            nearestSlot,
                            point.Frequency,
                            point.U,
                            point.V,
                            std::hypot(point.U, point.V),
                            std::atan2(point.V, point.U) * 180 / std::numbers::pi_v<Extended>};
        bestDistance = nearestDistance;
    }
    return best;
}

} // namespace nirdal
