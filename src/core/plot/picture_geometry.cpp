// SPDX-License-Identifier: MIT
#include "core/plot/picture_geometry.h"

#include "core/common/number_text.h"
#include "core/common/russian_text.h"
#include "core/common/segment_clip.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace nirdal {

int DeviceUnits(Extended v)
{
    return std::isnan(v) ? 0 : static_cast<int>(std::lrint(std::clamp(v, -1e8L, 1e8L)));
}

Extended NiceStep(Extended range, int most)
{
    most = std::max(1, most);
    if (!(range > 0) || !std::isfinite(range))
        return 1;
    const Extended raw = range / most;
    const Extended power = std::pow(10.0L, std::floor(std::log10(raw)));
    for (const Extended factor : {1.0L, 2.0L, 5.0L, 10.0L})
        if (factor * power >= raw)
            return factor * power;
    return 10 * power;
}

Extended DegreeStep(Extended range, int most)
{
    most = std::max(1, most);
    for (const Extended step : {15.0L, 30.0L, 45.0L, 90.0L, 180.0L})
        if (range / step <= most)
            return step;
    return 360 * NiceStep(range / 360, most);
}

std::vector<Extended> TickValues(Extended from, Extended to, Extended step)
{
    std::vector<Extended> values;
    const Extended first = std::ceil(from / step - 1e-9L), last = std::floor(to / step + 1e-9L);
    if (!(step > 0) || !std::isfinite(first) || !std::isfinite(last) || last - first > 200)
        return values;
    for (Extended k = first; k <= last; ++k) {
        const Extended v = k * step;
        if (!values.empty() && !(v > values.back()))
            break;
        values.push_back(v);
    }
    return values;
}

std::string TickNumber(Extended value, Extended step)
{
    const Extended places = -std::floor(std::log10(step) + 1e-9L);
    const int decimals =
        std::isfinite(places) ? static_cast<int>(std::clamp<Extended>(places, 0, 12)) : 0;
    if (std::abs(value) < step * 1e-6L)
        value = 0;
    // Steps beyond what fixed decimals show well are written with a power of ten.
    if (!(step >= 1e-6L && step < 1e9L))
        return FigureText(value, 4);
    char text[64];
    std::snprintf(text, sizeof text, "%.*Lf", decimals, value);
    return DecimalComma(text);
}

bool ClipSegment(Extended& x0, Extended& y0, Extended& x1, Extended& y1, const DeviceRect& r)
{
    return ClipSegment(x0, y0, x1, y1, r.Left, r.Top, r.Left + r.Width, r.Top + r.Height);
}

void DrawFrame(Surface& surface, const PictureBox& box, Rgb ink)
{
    surface.SetPen(1, ink);
    surface.MoveTo(box.Left, box.Top);
    surface.LineTo(box.Right, box.Top);
    surface.LineTo(box.Right, box.Bottom);
    surface.LineTo(box.Left, box.Bottom);
    surface.LineTo(box.Left, box.Top);
}

void DrawRing(Surface& surface, int x, int y, int radius)
{
    surface.Arc(x - radius, y - radius, x + radius, y + radius, x + radius, y, x + radius, y);
}

int MarkSize(int pixels, int points, int lineSpacing)
{
    const int designed = NominalTextExtent(points, kScreenDotsPerInch, "0").LineSpacing;
    return std::max(pixels, (pixels * lineSpacing + designed / 2) / designed);
}

} // namespace nirdal
