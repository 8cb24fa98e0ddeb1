// SPDX-License-Identifier: MIT
#include "core/plot/stability_map_picture.h"

#include "core/common/russian_text.h"
#include "core/plot/exploration.h"
#include "core/plot/exploration_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace nirdal {

namespace {

constexpr int kTitlePoints = 10;
// Rings of the marks and of the window's point, in device units at the style's font.
constexpr int kMarkRadius = 5;

std::string Number(Extended value)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.3Lg", value);
    return DecimalComma(text);
}

// Device coordinates of the map's plane in the box: ln K across, ΔT upward.
struct MapView
{
    DeviceRect Box;
    Extended LowLog, HighLog, Most;

    Extended X(Extended gain) const
    {
        return Box.Left + (std::log(gain) - LowLog) / (HighLog - LowLog) * Box.Width;
    }
    Extended Y(Extended delay) const { return Box.Top + Box.Height - delay / Most * Box.Height; }
};

MapView ViewOf(const StabilityMap& map, DeviceRect box)
{
    return {box, std::log(map.Ranges.LeastGain), std::log(map.Ranges.MostGain),
            map.Ranges.MostExtraDelay};
}

int Device(Extended v)
{
    return static_cast<int>(std::lrint(std::clamp<Extended>(v, -1e8L, 1e8L)));
}

// A segment clipped to the box; false when nothing of it shows.
bool DrawClipped(Surface& surface, const DeviceRect& box, Extended x0, Extended y0, Extended x1,
                 Extended y1)
{
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1) ||
        !ClipSegment(x0, y0, x1, y1, box))
        return false;
    surface.MoveTo(Device(x0), Device(y0));
    surface.LineTo(Device(x1), Device(y1));
    return true;
}

void Ring(Surface& surface, int x, int y, int radius)
{
    surface.Arc(x - radius, y - radius, x + radius, y + radius, x + radius, y, x + radius, y);
}

// Rectangles taken by labels: a label that would cover one is moved or left out.
class Labels
{
public:
    explicit Labels(const DeviceRect& box) : m_box(box) {}

    // Draws text with its top-left corner at (x, y) when it fits the box and covers no other.
    bool Place(Surface& surface, int x, int y, const std::string& text, Rgb ink)
    {
        const int width = TextWidth(surface, text);
        const int height = surface.MeasureText("0").LineSpacing;
        const DeviceRect r{x, y, width, height};
        if (r.Left < m_box.Left || r.Top < m_box.Top || r.Left + r.Width > m_box.Left + m_box.Width ||
            r.Top + r.Height > m_box.Top + m_box.Height)
            return false;
        for (const DeviceRect& t : m_taken)
            if (r.Left < t.Left + t.Width && t.Left < r.Left + r.Width && r.Top < t.Top + t.Height &&
                t.Top < r.Top + r.Height)
                return false;
        m_taken.push_back(r);
        DrawText(surface, x, y, text, ink);
        return true;
    }

private:
    DeviceRect m_box;
    std::vector<DeviceRect> m_taken;
};

void DrawAxes(Surface& surface, const MapView& view, const PictureStyle& style)
{
    const DeviceRect& box = view.Box;
    const int spacing = surface.MeasureText("0").LineSpacing;
    const int bottom = box.Top + box.Height, right = box.Left + box.Width;
    // Decades of K, and 2…9 times them where a decade is wide enough.
    const Extended decades = (view.HighLog - view.LowLog) / std::log(Extended{10});
    const int every = static_cast<int>(std::max<Extended>(1, std::ceil(decades * 5 * spacing / box.Width)));
    const bool fine = box.Width / std::max<Extended>(decades, 1) > 6 * spacing;
    for (int d = static_cast<int>(std::floor(view.LowLog / std::log(Extended{10})));
         d <= static_cast<int>(std::ceil(view.HighLog / std::log(Extended{10}))); ++d) {
        for (int m = 1; m <= 9; ++m) {
            const Extended gain = m * std::pow(Extended{10}, d);
            const Extended x = view.X(gain);
            if (x < box.Left - 0.5L || x > right + 0.5L || (m > 1 && !fine) || (m == 1 && d % every))
                continue;
            surface.SetPen(1, m == 1 ? Rgb{170, 170, 170} : style.Grid);
            surface.MoveTo(Device(x), box.Top);
            surface.LineTo(Device(x), bottom);
            if (m != 1)
                continue;
            const std::string label = Number(gain);
            DrawText(surface, Device(x) - TextWidth(surface, label) / 2, bottom + spacing / 4,
                     label, style.Ink);
        }
    }
    const Extended step = NiceStep(view.Most, std::max(2, box.Height / (2 * spacing)));
    for (Extended t = 0; t <= view.Most * (1 + 1e-9L); t += step) {
        const int y = Device(view.Y(t));
        surface.SetPen(1, style.Grid);
        surface.MoveTo(box.Left, y);
        surface.LineTo(right, y);
        const std::string label = TickNumber(t, step);
        DrawText(surface, box.Left - TextWidth(surface, label) - spacing / 3, y - spacing / 2,
                 label, style.Ink);
    }
    surface.SetPen(1, style.Ink);
    surface.MoveTo(box.Left, box.Top);
    surface.LineTo(right, box.Top);
    surface.LineTo(right, bottom);
    surface.LineTo(box.Left, bottom);
    surface.LineTo(box.Left, box.Top);
    // Windows-1251 has no Δ: the added delay is dT, as on the analysis window's hodograph.
    const std::string across = "K (логарифмическая шкала)";
    DrawText(surface, right - TextWidth(surface, across), bottom + spacing * 5 / 4, across,
             style.Ink);
    DrawText(surface, box.Left, box.Top - spacing - spacing / 4, "dT, с", style.Ink);
}

// The stable spans of every pixel column, filled.
void ShadeStable(Surface& surface, const StabilityMap& map, const MapView& view)
{
    surface.SetPen(1, kStableShade);
    const DeviceRect& box = view.Box;
    for (int x = box.Left + 1; x < box.Left + box.Width; ++x) {
        const Extended u = view.LowLog + (x - box.Left + Extended{0}) / box.Width *
                                             (view.HighLog - view.LowLog);
        for (const MapSpan& span : MapSpansAt(map, std::exp(u))) {
            if (span.UnstableRoots != 0)
                continue;
            surface.MoveTo(x, Device(view.Y(span.From)));
            surface.LineTo(x, Device(view.Y(span.To)));
        }
    }
}

void DrawCurves(Surface& surface, const StabilityMap& map, const MapView& view, Labels& labels,
                const PictureStyle& style)
{
    const int spacing = surface.MeasureText("0").LineSpacing;
    for (const BoundaryCurve& curve : map.Curves) {
        surface.SetPen(std::max(2, style.LineWidth), kBoundaryPen);
        std::vector<std::pair<int, int>> shown; // the visible points, for the label
        for (std::size_t i = 0; i + 1 < curve.Gains.size(); ++i) {
            const Extended x0 = view.X(curve.Gains[i]), y0 = view.Y(curve.ExtraDelays[i]);
            if (DrawClipped(surface, view.Box, x0, y0, view.X(curve.Gains[i + 1]),
                            view.Y(curve.ExtraDelays[i + 1])))
                shown.emplace_back(Device(x0), Device(y0));
        }
        // The label beside the curve, tried from the middle of its visible part outward.
        const std::string label = "k = " + std::to_string(curve.Branch);
        for (std::size_t step = 0; step < shown.size(); step += 7) {
            bool placed = false;
            for (const std::size_t i : {shown.size() / 2 + step, shown.size() / 2 - step}) {
                if (i >= shown.size())
                    continue;
                if (labels.Place(surface, shown[i].first + spacing / 3,
                                 shown[i].second - spacing - spacing / 4, label, kBoundaryPen)) {
                    placed = true;
                    break;
                }
            }
            if (placed || step > shown.size() / 2)
                break;
        }
    }
    if (map.StaticGain) {
        const Extended x = view.X(*map.StaticGain);
        surface.SetPen(std::max(2, style.LineWidth), kBoundaryPen);
        const Extended dash = spacing / Extended{2};
        for (Extended y = view.Box.Top; y < view.Box.Top + view.Box.Height; y += 2 * dash)
            DrawClipped(surface, view.Box, x, y, x, std::min<Extended>(y + dash, view.Box.Top + view.Box.Height));
        if (x >= view.Box.Left && x <= view.Box.Left + view.Box.Width)
            labels.Place(surface, Device(x) + spacing / 3, view.Box.Top + spacing / 3,
                         "K = -1/W(0)", kBoundaryPen);
    }
}

void DrawMarks(Surface& surface, const StabilityMap& map, const MapView& view, Labels& labels)
{
    const int spacing = surface.MeasureText("0").LineSpacing;
    const auto mark = [&](Extended gain, Extended delay, const std::string& text) {
        const Extended x = view.X(gain), y = view.Y(delay);
        if (!(x >= view.Box.Left && x <= view.Box.Left + view.Box.Width && y >= view.Box.Top &&
              y <= view.Box.Top + view.Box.Height))
            return;
        surface.SetPen(2, kMapMarkPen);
        Ring(surface, Device(x), Device(y), kMarkRadius);
        const int width = TextWidth(surface, text);
        // Above and right of the mark, or left of it, or below.
        for (const auto& [dx, dy] : {std::pair{kMarkRadius, -spacing - kMarkRadius},
                                     std::pair{-width - kMarkRadius, -spacing - kMarkRadius},
                                     std::pair{kMarkRadius, kMarkRadius}})
            if (labels.Place(surface, Device(x) + dx, Device(y) + dy, text, kMapMarkPen))
                break;
    };
    if (map.CriticalGain)
        mark(*map.CriticalGain, 0, "Kкр = " + Number(*map.CriticalGain));
    if (map.DelayMargin)
        mark(1, *map.DelayMargin, "запас по запаздыванию " + Number(*map.DelayMargin) + " с");
}

void DrawCounts(Surface& surface, const StabilityMap& map, const MapView& view, Labels& labels,
                const PictureStyle& style)
{
    for (const MapRegion& region : map.Regions) {
        if (!region.UnstableRoots)
            continue;
        const std::string text = "Z = " + std::to_string(*region.UnstableRoots);
        const int x = Device(view.X(region.Gain)), y = Device(view.Y(region.ExtraDelay));
        labels.Place(surface, x - TextWidth(surface, text) / 2,
                     y - surface.MeasureText("0").LineSpacing / 2, text, style.Ink);
    }
}

} // namespace

MapRanges DefaultMapRanges(const TransferFunction& variant)
{
    MapRanges ranges;
    ranges.LeastGain = kLeastExploredGain;
    ranges.MostGain = kMostExploredGain;
    ranges.MostExtraDelay = Exploration(variant, 1).DelayRangeEnd();
    return ranges;
}

DeviceRect StabilityMapBox(Surface& surface, DeviceRect area, const PictureStyle& style)
{
    surface.SetFontSize(style.FontPoints);
    const int spacing = surface.MeasureText("0").LineSpacing;
    const int labels = TextWidth(surface, "000,00") + spacing / 2;
    const int top = area.Top + spacing * 3;
    return {area.Left + labels, top, area.Width - labels - spacing,
            area.Top + area.Height - spacing * 3 - top};
}

std::optional<std::pair<Extended, Extended>> StabilityMapPointAt(const StabilityMap& map,
                                                                 DeviceRect box, int x, int y)
{
    if (map.Columns.empty() || x < box.Left || x > box.Left + box.Width || y < box.Top ||
        y > box.Top + box.Height || box.Width <= 0 || box.Height <= 0)
        return std::nullopt;
    const MapView view = ViewOf(map, box);
    const Extended u = view.LowLog + Extended(x - box.Left) / box.Width * (view.HighLog - view.LowLog);
    return std::pair{std::exp(u), Extended(box.Top + box.Height - y) / box.Height * view.Most};
}

void DrawStabilityMapPicture(Surface& surface, DeviceRect area, const StabilityMap& map,
                             std::optional<std::pair<Extended, Extended>> point,
                             const PictureStyle& style)
{
    surface.SetFontSize(kTitlePoints);
    DrawText(surface, area.Left, area.Top, "Область устойчивости K·W(s)·exp(-s·dT)", style.Ink);
    const DeviceRect box = StabilityMapBox(surface, area, style);
    if (!map.Failure.empty()) {
        const int spacing = surface.MeasureText("0").LineSpacing;
        DrawText(surface, area.Left, area.Top + 2 * spacing, "Карта не построена: " + map.RussianFailure,
                 style.Ink);
        return;
    }
    if (box.Width < 40 || box.Height < 40)
        return;
    const MapView view = ViewOf(map, box);
    ShadeStable(surface, map, view);
    DrawAxes(surface, view, style);
    Labels labels(box);
    DrawMarks(surface, map, view, labels);
    DrawCurves(surface, map, view, labels, style);
    DrawCounts(surface, map, view, labels, style);
    // The legend of the shade, at the top right above the box.
    const int spacing = surface.MeasureText("0").LineSpacing;
    const std::string legend = "устойчива (Z = 0)";
    const int lx = box.Left + box.Width - TextWidth(surface, legend);
    surface.SetPen(spacing * 2 / 3, kStableShade);
    surface.MoveTo(lx - spacing * 2, box.Top - spacing * 3 / 4);
    surface.LineTo(lx - spacing / 2, box.Top - spacing * 3 / 4);
    DrawText(surface, lx, box.Top - spacing - spacing / 4, legend, style.Ink);
    if (point) {
        const Extended x = view.X(point->first), y = view.Y(point->second);
        if (x >= box.Left && x <= box.Left + box.Width && y >= box.Top && y <= box.Top + box.Height) {
            surface.SetPen(2, kMapPointPen);
            Ring(surface, Device(x), Device(y), kMarkRadius + 2);
            surface.MoveTo(Device(x) - 2, Device(y));
            surface.LineTo(Device(x) + 2, Device(y));
        }
    }
}

} // namespace nirdal
