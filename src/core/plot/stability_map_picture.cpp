// SPDX-License-Identifier: MIT
#include "core/plot/stability_map_picture.h"

#include "core/common/number_text.h"
#include "core/analysis/exploration.h"
#include "core/plot/exploration_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace nirdal {

namespace {

constexpr int kTitlePoints = 10;
// Rings of the marks and of the window's point, in device units at the style's font.
constexpr int kMarkRadius = 5;

// Device coordinates of the map's plane in the box: ln K across, ΔT upward.
struct MapView
{
    DeviceRect Box;
    Extended LowLog, HighLog, Most;

    Extended X(Extended gain) const { return XAtLog(std::log(gain)); }
    Extended XAtLog(Extended logGain) const
    {
        return Box.Left + (logGain - LowLog) / (HighLog - LowLog) * Box.Width;
    }
    Extended Y(Extended delay) const { return Box.Top + Box.Height - delay / Most * Box.Height; }
};

MapView ViewOf(const StabilityMap& map, DeviceRect box)
{
    return {box, std::log(map.Ranges.LeastGain), std::log(map.Ranges.MostGain),
            map.Ranges.MostExtraDelay};
}

// A segment clipped to the box; false when nothing of it shows.
bool DrawClipped(Surface& surface, const DeviceRect& box, Extended x0, Extended y0, Extended x1,
                 Extended y1)
{
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1) ||
        !ClipSegment(x0, y0, x1, y1, box))
        return false;
    surface.MoveTo(DeviceUnits(x0), DeviceUnits(y0));
    surface.LineTo(DeviceUnits(x1), DeviceUnits(y1));
    return true;
}

// Rectangles taken by labels, and the boundary lines: a label that would cover a rectangle is
// moved or left out; one asked to stay clear of the lines is moved off them where it can be.
class Labels
{
public:
    struct Line
    {
        Extended X0, Y0, X1, Y1;
    };

    explicit Labels(const DeviceRect& box) : m_box(box) {}

    void AddLine(const Line& line)
    {
        if (std::isfinite(line.X0) && std::isfinite(line.Y0) && std::isfinite(line.X1) &&
            std::isfinite(line.Y1))
            m_lines.push_back(line);
    }

    // Draws text with its top-left corner at (x, y) when it fits the box, covers no other
    // label and, where clearOfLines, crosses no line, nor between it and the point `holding`
    // where one is given.
    bool Place(Surface& surface, int x, int y, const std::string& text, bool clearOfLines = false,
               std::optional<std::pair<int, int>> holding = std::nullopt)
    {
        const int width = surface.MeasureText(text).Width;
        const int height = surface.MeasureText("0").LineSpacing;
        const DeviceRect r{x, y, width, height};
        if (r.Left < m_box.Left || r.Top < m_box.Top || r.Left + r.Width > m_box.Left + m_box.Width ||
            r.Top + r.Height > m_box.Top + m_box.Height)
            return false;
        for (const DeviceRect& t : m_taken)
            if (r.Left < t.Left + t.Width && t.Left < r.Left + r.Width && r.Top < t.Top + t.Height &&
                t.Top < r.Top + r.Height)
                return false;
        if (clearOfLines) {
            DeviceRect clear = r;
            if (holding) {
                const auto [px, py] = *holding;
                clear.Left = std::min(r.Left, px);
                clear.Top = std::min(r.Top, py);
                clear.Width = std::max(r.Left + r.Width, px) - clear.Left;
                clear.Height = std::max(r.Top + r.Height, py) - clear.Top;
            }
            const Extended right = clear.Left + clear.Width, bottom = clear.Top + clear.Height;
            for (Line line : m_lines) {
                if (std::max(line.X0, line.X1) < clear.Left || std::min(line.X0, line.X1) > right ||
                    std::max(line.Y0, line.Y1) < clear.Top || std::min(line.Y0, line.Y1) > bottom)
                    continue;
                if (ClipSegment(line.X0, line.Y0, line.X1, line.Y1, clear))
                    return false;
            }
        }
        m_taken.push_back(r);
        surface.TextOut(x, y, text);
        return true;
    }

    // The first of the places (top-left corners) clear of the lines, else the first of
    // `fallbacks` that only covers no other label.
    bool PlaceFirst(Surface& surface, const std::vector<std::pair<int, int>>& places,
                    const std::string& text, std::size_t fallbacks,
                    std::optional<std::pair<int, int>> holding = std::nullopt)
    {
        for (const auto& [x, y] : places)
            if (Place(surface, x, y, text, true, holding))
                return true;
        for (std::size_t i = 0; i < std::min(fallbacks, places.size()); ++i)
            if (Place(surface, places[i].first, places[i].second, text))
                return true;
        return false;
    }

private:
    DeviceRect m_box;
    std::vector<DeviceRect> m_taken;
    std::vector<Line> m_lines;
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
            surface.MoveTo(DeviceUnits(x), box.Top);
            surface.LineTo(DeviceUnits(x), bottom);
            if (m != 1)
                continue;
            const std::string label = TickNumber(gain, gain);
            surface.TextOut(DeviceUnits(x) - surface.MeasureText(label).Width / 2, bottom + spacing / 4, label);
        }
    }
    const Extended step = NiceStep(view.Most, std::max(2, box.Height / (2 * spacing)));
    for (const Extended t : TickValues(0, view.Most, step)) {
        const int y = DeviceUnits(view.Y(t));
        surface.SetPen(1, style.Grid);
        surface.MoveTo(box.Left, y);
        surface.LineTo(right, y);
        const std::string label = TickNumber(t, step);
        surface.TextOut(box.Left - surface.MeasureText(label).Width - spacing / 3, y - spacing / 2, label);
    }
    DrawFrame(surface, {box.Left, box.Top, right, bottom}, style.Ink);
    const std::string across = "K (логарифмическая шкала)";
    surface.TextOut(right - surface.MeasureText(across).Width, bottom + spacing * 5 / 4, across);
    surface.TextOut(box.Left, box.Top - spacing - spacing / 4, "ΔT, с");
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
            surface.MoveTo(x, DeviceUnits(view.Y(span.From)));
            surface.LineTo(x, DeviceUnits(view.Y(span.To)));
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
                shown.emplace_back(DeviceUnits(x0), DeviceUnits(y0));
        }
        // The label beside the curve, tried from the middle of its visible part outward.
        const std::string label = "k = " + std::to_string(curve.Branch);
        for (std::size_t step = 0; step < shown.size(); step += 7) {
            bool placed = false;
            for (const std::size_t i : {shown.size() / 2 + step, shown.size() / 2 - step}) {
                if (i >= shown.size())
                    continue;
                if (labels.Place(surface, shown[i].first + spacing / 3,
                                 shown[i].second - spacing - spacing / 4, label)) {
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
            labels.Place(surface, DeviceUnits(x) + spacing / 3, view.Box.Top + spacing / 3,
                         "K = -1/W(0)");
    }
}

void DrawMarks(Surface& surface, const StabilityMap& map, const MapView& view, Labels& labels,
               const PictureStyle& style)
{
    surface.SetFontSize(style.FontPoints);
    const int spacing = surface.MeasureText("0").LineSpacing;
    const int radius = MarkSize(kMarkRadius, style.FontPoints, spacing);
    const auto mark = [&](Extended gain, Extended delay, const std::string& text) {
        const Extended x = view.X(gain), y = view.Y(delay);
        if (!(x >= view.Box.Left && x <= view.Box.Left + view.Box.Width && y >= view.Box.Top &&
              y <= view.Box.Top + view.Box.Height))
            return;
        surface.SetPen(2, kMapMarkPen);
        DrawRing(surface, DeviceUnits(x), DeviceUnits(y), radius);
        const int width = surface.MeasureText(text).Width;
        const int left = DeviceUnits(x), top = DeviceUnits(y);
        // Above and right of the mark, or left of it, or below: off the curves where one of
        // them is, else where no other label is.
        labels.PlaceFirst(surface,
                          {{left + radius, top - spacing - radius},
                           {left - width - radius, top - spacing - radius},
                           {left + radius, top + radius}},
                          text, 3);
    };
    if (map.CriticalGain)
        mark(*map.CriticalGain, 0, "Kкр = " + FigureText(*map.CriticalGain));
    if (map.DelayMargin)
        mark(1, *map.DelayMargin, "запас по запаздыванию " + FigureText(*map.DelayMargin) + " с");
}

// Points of a region to hang its count on: the middles of its spans on the uprights, the
// tallest on the picture first and, of equally tall ones, those nearest the middle of the
// region's uprights.
std::vector<std::pair<int, int>> CountPoints(const StabilityMap& map, const MapView& view,
                                             int region)
{
    struct Room
    {
        Extended Height;
        std::size_t Column;
        int X, Y;
    };
    std::vector<Room> rooms;
    for (std::size_t i = 0; i < map.Columns.size(); ++i) {
        const MapColumn& column = map.Columns[i];
        for (std::size_t p = 0; p < column.Regions.size(); ++p) {
            if (column.Regions[p] != region)
                continue;
            const Extended from = p == 0 ? 0 : column.Crossings[p - 1];
            const Extended to = p < column.Crossings.size() ? column.Crossings[p] : view.Most;
            rooms.push_back({view.Y(from) - view.Y(to), i, DeviceUnits(view.XAtLog(column.LogGain)),
                             DeviceUnits(view.Y((from + to) / 2))});
        }
    }
    if (rooms.empty())
        return {};
    const std::size_t middle = (rooms.front().Column + rooms.back().Column) / 2;
    const auto offMiddle = [middle](const Room& r) {
        return r.Column > middle ? r.Column - middle : middle - r.Column;
    };
    std::sort(rooms.begin(), rooms.end(), [&](const Room& a, const Room& b) {
        return a.Height != b.Height ? a.Height > b.Height : offMiddle(a) < offMiddle(b);
    });
    std::vector<std::pair<int, int>> points;
    for (std::size_t k = 0; k < std::min<std::size_t>(rooms.size(), 8); ++k)
        points.emplace_back(rooms[k].X, rooms[k].Y);
    return points;
}

void DrawCounts(Surface& surface, const StabilityMap& map, const MapView& view, Labels& labels)
{
    const int height = surface.MeasureText("0").LineSpacing;
    const int gap = height / 3;
    for (std::size_t r = 0; r < map.Regions.size(); ++r) {
        const MapRegion& region = map.Regions[r];
        if (!region.UnstableRoots)
            continue;
        const std::string text = "Z = " + std::to_string(*region.UnstableRoots);
        const int width = surface.MeasureText(text).Width;
        // Centred on a point of the region, or right, left, above or below it: no curve
        // between the point and the label, so that the label lies inside the region.
        bool placed = false;
        for (const auto& [x, y] : CountPoints(map, view, static_cast<int>(r))) {
            placed = labels.PlaceFirst(surface,
                                       {{x - width / 2, y - height / 2},
                                        {x + gap, y - height / 2},
                                        {x - width - gap, y - height / 2},
                                        {x - width / 2, y - height - gap},
                                        {x - width / 2, y + gap}},
                                       text, 0, std::pair{x, y});
            if (placed)
                break;
        }
        // Else on the point the region was counted at, where it covers no other label.
        if (!placed)
            labels.Place(surface, DeviceUnits(view.X(region.Gain)) - width / 2,
                         DeviceUnits(view.Y(region.ExtraDelay)) - height / 2, text);
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
    const int labels = surface.MeasureText("000,00").Width + spacing / 2;
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
    const std::string title = "Область устойчивости K·W(s)·exp(-s·ΔT)";
    const std::string shortTitle = "Область устойчивости";
    surface.TextOut(area.Left, area.Top,
                    surface.MeasureText(title).Width <= area.Width ? title : shortTitle);
    const DeviceRect box = StabilityMapBox(surface, area, style);
    if (!map.Failure.empty()) {
        const int spacing = surface.MeasureText("0").LineSpacing;
        surface.TextOut(area.Left, area.Top + 2 * spacing, "Карта не построена: " + map.Failure.Russian);
        return;
    }
    if (box.Width < 40 || box.Height < 40)
        return;
    const MapView view = ViewOf(map, box);
    ShadeStable(surface, map, view);
    DrawAxes(surface, view, style);
    Labels labels(box);
    for (const BoundaryCurve& curve : map.Curves) {
        Extended previousX = 0, previousY = 0;
        for (std::size_t i = 0; i < curve.Gains.size(); ++i) {
            const Extended x = view.X(curve.Gains[i]), y = view.Y(curve.ExtraDelays[i]);
            if (i > 0)
                labels.AddLine({previousX, previousY, x, y});
            previousX = x;
            previousY = y;
        }
    }
    if (map.StaticGain)
        labels.AddLine({view.X(*map.StaticGain), view.Y(0), view.X(*map.StaticGain),
                        view.Y(view.Most)});
    DrawMarks(surface, map, view, labels, style);
    DrawCurves(surface, map, view, labels, style);
    DrawCounts(surface, map, view, labels);
    // The legend of the shade, at the top right above the box: the words on the shade, so
    // that a narrow map has room for them beside "ΔT, с".
    const int spacing = surface.MeasureText("0").LineSpacing;
    const int free = box.Width - surface.MeasureText("ΔT, с").Width - spacing;
    std::string legend = "устойчива (Z = 0)";
    if (surface.MeasureText(legend).Width > free)
        legend = "устойчива";
    const int lx = box.Left + box.Width - surface.MeasureText(legend).Width;
    const int swatch = spacing * 3 / 4; // round ends: they reach half of it beyond each end
    surface.SetPen(swatch, kStableShade);
    surface.MoveTo(lx + swatch / 2, box.Top - spacing * 3 / 4);
    surface.LineTo(box.Left + box.Width - swatch / 2, box.Top - spacing * 3 / 4);
    surface.TextOut(lx, box.Top - spacing - spacing / 4, legend);
    if (point)
        DrawStabilityMapPoint(surface, map, box, point->first, point->second);
}

void DrawStabilityMapPoint(Surface& surface, const StabilityMap& map, DeviceRect box,
                           Extended gain, Extended extraDelay)
{
    if (map.Columns.empty())
        return;
    const MapView view = ViewOf(map, box);
    const Extended x = view.X(gain), y = view.Y(extraDelay);
    if (x >= box.Left && x <= box.Left + box.Width && y >= box.Top && y <= box.Top + box.Height) {
        surface.SetFontSize(kTitlePoints);
        const int spacing = surface.MeasureText("0").LineSpacing;
        const int radius = MarkSize(kMarkRadius + 2, kTitlePoints, spacing);
        const int arm = MarkSize(2, kTitlePoints, spacing);
        surface.SetPen(2, kMapPointPen);
        DrawRing(surface, DeviceUnits(x), DeviceUnits(y), radius);
        surface.MoveTo(DeviceUnits(x) - arm, DeviceUnits(y));
        surface.LineTo(DeviceUnits(x) + arm, DeviceUnits(y));
    }
}

} // namespace nirdal
