// SPDX-License-Identifier: MIT
#include "core/plot/characteristics_picture.h"

#include "core/common/number_text.h"
#include "core/common/segment_clip.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace nirdal {

namespace {

// The top of the tick labels under a box: below the lowest label of the upright axis, which
// is centred on the box's bottom edge.
int TickLabelsBelow(int spacing)
{
    return spacing / 2 + 1;
}

// A polyline in the box, solid or dashed (dash > 0: dash and gap of that length), points that
// are not numbers leaving a gap.
class Pen
{
public:
    Pen(Surface& surface, const PictureBox& box, int dash = 0)
        : m_surface(surface), m_box(box), m_dash(dash)
    {
    }

    void Point(Extended x, Extended y)
    {
        if (!std::isfinite(x) || !std::isfinite(y)) {
            m_last.reset();
            return;
        }
        if (m_last)
            Segment(m_last->first, m_last->second, x, y);
        m_last = {x, y};
    }
    void Break() { m_last.reset(); }

private:
    void Segment(Extended x1, Extended y1, Extended x2, Extended y2)
    {
        if (!ClipSegment(x1, y1, x2, y2, m_box.Left, m_box.Top, m_box.Right, m_box.Bottom))
            return;
        if (m_dash <= 0) {
            Draw(x1, y1, x2, y2);
            return;
        }
        const Extended length = std::hypot(x2 - x1, y2 - y1);
        Extended done = 0;
        while (done < length) {
            const Extended left = (m_on ? m_dash : m_dash * 0.8L) - m_phase;
            const Extended step = std::min(left, length - done);
            if (m_on)
                Draw(x1 + (x2 - x1) * done / length, y1 + (y2 - y1) * done / length,
                     x1 + (x2 - x1) * (done + step) / length,
                     y1 + (y2 - y1) * (done + step) / length);
            done += step;
            m_phase += step;
            if (m_phase >= (m_on ? m_dash : m_dash * 0.8L) - 1e-9L) {
                m_phase = 0;
                m_on = !m_on;
            }
        }
    }
    void Draw(Extended x1, Extended y1, Extended x2, Extended y2)
    {
        const int a = DeviceUnits(x1), b = DeviceUnits(y1), c = DeviceUnits(x2), d = DeviceUnits(y2);
        if (!m_at || m_at->first != a || m_at->second != b)
            m_surface.MoveTo(a, b);
        m_surface.LineTo(c, d);
        m_at = {c, d};
    }

    Surface& m_surface;
    PictureBox m_box;
    int m_dash;
    bool m_on = true;
    Extended m_phase = 0;
    std::optional<std::pair<Extended, Extended>> m_last;
    std::optional<std::pair<int, int>> m_at;
};

void Line(Surface& surface, int x1, int y1, int x2, int y2)
{
    surface.MoveTo(x1, y1);
    surface.LineTo(x2, y2);
}

// Rectangles already taken by texts and marks: a label that would cover one is left out.
class Placement
{
public:
    bool Free(const PictureBox& b) const
    {
        return std::none_of(m_taken.begin(), m_taken.end(), [&](const PictureBox& t) {
            return b.Left < t.Right && t.Left < b.Right && b.Top < t.Bottom && t.Top < b.Bottom;
        });
    }
    void Take(const PictureBox& b) { m_taken.push_back(b); }

private:
    std::vector<PictureBox> m_taken;
};

// Horizontal grid lines and their labels right-aligned left of the box.
void YGrid(Surface& surface, const PictureBox& box, const Scale& y, Extended step,
           const PictureStyle& style, std::optional<Extended> emphasised = std::nullopt)
{
    const int spacing = surface.MeasureText("0").LineSpacing;
    for (const Extended v : TickValues(y.From, y.To, step)) {
        const int py = DeviceUnits(y(v));
        const bool strong = emphasised && std::abs(v - *emphasised) < step * 1e-6L;
        surface.SetPen(1, strong ? Rgb{120, 120, 120} : style.Grid);
        Line(surface, box.Left, py, box.Right, py);
        const std::string label = TickNumber(v, step);
        const int width = surface.MeasureText(label).Width;
        surface.TextOut(box.Left - width - spacing / 3, py - spacing / 2, label);
    }
}

int DecimalsWidth(Surface& surface, const Scale& y, Extended step)
{
    int widest = 0;
    for (const Extended v : TickValues(y.From, y.To, step))
        widest = std::max(widest, surface.MeasureText(TickNumber(v, step)).Width);
    return widest;
}

// Where the legend at the top right begins: its widest line's sample and text end at right.
int LegendLeft(Surface& surface, int right, const std::vector<std::pair<Rgb, std::string>>& lines,
               int rows)
{
    const int spacing = surface.MeasureText("0").LineSpacing;
    int widest = 0;
    for (int i = 0; i < rows && i < static_cast<int>(lines.size()); ++i)
        widest = std::max(widest, surface.MeasureText(lines[std::size_t(i)].second).Width);
    return right - widest - spacing * 2 - spacing / 2;
}

// The legend at the top right: a short line in the variant's colour, then its text.
void Legend(Surface& surface, int right, int top,
            const std::vector<std::pair<Rgb, std::string>>& lines, const PictureStyle& style,
            int rows)
{
    const int spacing = surface.MeasureText("0").LineSpacing;
    const int sample = spacing * 2;
    const int x = LegendLeft(surface, right, lines, rows);
    for (int i = 0; i < rows && i < static_cast<int>(lines.size()); ++i) {
        const int y = top + i * spacing;
        const bool last = i == rows - 1 && rows < static_cast<int>(lines.size());
        if (last) {
            surface.TextOut(x + sample + spacing / 2, y, "… ещё " + std::to_string(lines.size() - std::size_t(i)));
            break;
        }
        surface.SetPen(std::max(2, style.LineWidth + 1), lines[std::size_t(i)].first);
        Line(surface, x, y + spacing / 2, x + sample, y + spacing / 2);
        surface.TextOut(x + sample + spacing / 2, y, lines[std::size_t(i)].second);
    }
}

int LegendRows(int available, int spacing, std::size_t lines)
{
    return std::clamp(static_cast<int>(lines), 1, std::max(1, available / spacing));
}

// The step picture's ranges: time from 0 to the longest span; h from its least to its
// largest, with 0 and the 5 % bands of the steady values in view.
struct StepRanges
{
    Extended Until = 0;
    Extended Low = 0, High = 0;
};

StepRanges StepRangesOf(std::span<const StepPictureCurve> curves)
{
    StepRanges r;
    for (const StepPictureCurve& c : curves) {
        if (!c.Response || c.Response->Times.empty())
            continue;
        r.Until = std::max(r.Until, c.Response->Times.back());
        for (Extended v : c.Response->Values) {
            r.Low = std::min(r.Low, v);
            r.High = std::max(r.High, v);
        }
        if (c.Response->Indicators) {
            const Extended s = c.Response->Indicators->Steady;
            r.Low = std::min(r.Low, s - 0.05L * std::abs(s));
            r.High = std::max(r.High, s + 0.05L * std::abs(s));
        }
    }
    if (!(r.Until > 0))
        r.Until = 1;
    if (!(r.High > r.Low))
        r.High = r.Low + 1;
    return r;
}

std::vector<std::pair<Rgb, std::string>> StepLegend(std::span<const StepPictureCurve> curves)
{
    std::vector<std::pair<Rgb, std::string>> legend;
    for (const StepPictureCurve& c : curves) {
        if (!c.Response)
            continue;
        const StepResponse& r = *c.Response;
        std::string text;
        if (!r.Failure.empty())
            text = "не рассчитана";
        else if (const auto& in = r.Indicators)
            // What the span does not hold is said so, not read off at its end.
            text = (in->OvershootKnown() ? "σ = " + FigureText(in->OvershootPercent) + " %"
                                         : std::string("σ: пик не достигнут")) +
                   "   tр " + (in->SettlingReached ? "= " : "более ") +
                   FigureText(in->SettlingTime) + " с";
        else
            text = r.Verdict == StabilityVerdict::Unstable ? "система неустойчива"
                                                           : "на границе устойчивости";
        legend.emplace_back(c.Colour, text);
    }
    return legend;
}

// Where the step picture goes: the box with the legend and "h(t)" above, tick labels left
// and below, "t, с" under them; the scales of t and h onto it and the step of h's grid.
struct StepLayout
{
    PictureBox Box;
    Scale X, Y;
    Extended Step = 1;
};

std::optional<StepLayout> LayOutStep(Surface& surface, DeviceRect area, const StepRanges& r,
                                     int rows, int spacing)
{
    StepLayout layout;
    const Extended margin = (r.High - r.Low) * 0.05L;
    const int top = area.Top + rows * spacing + spacing / 2;
    const int bottom = area.Top + area.Height - spacing * 8 / 3;
    layout.Y = {r.Low - (r.Low < 0 ? margin : 0), r.High + margin, bottom, top};
    layout.Step = NiceStep(layout.Y.To - layout.Y.From, std::max(2, (bottom - top) / (2 * spacing)));
    const int labels = DecimalsWidth(surface, layout.Y, layout.Step);
    layout.Box = {area.Left + labels + spacing / 2, top, area.Left + area.Width - spacing, bottom};
    if (layout.Box.Right - layout.Box.Left < 4 * spacing ||
        layout.Box.Bottom - layout.Box.Top < 3 * spacing)
        return std::nullopt;
    layout.X = {0, r.Until, layout.Box.Left, layout.Box.Right};
    return layout;
}

// The grid of h and t with their labels, the frame and the titles.
void DrawStepGrid(Surface& surface, DeviceRect area, const StepLayout& layout, Extended until,
                  const PictureStyle& style, int spacing)
{
    const PictureBox& box = layout.Box;
    YGrid(surface, box, layout.Y, layout.Step, style, Extended(0));
    const int widestTime = surface.MeasureText(TickNumber(until, NiceStep(until, 10))).Width + spacing;
    const Extended timeStep =
        NiceStep(until, std::max(1, (box.Right - box.Left) / (widestTime + spacing)));
    for (const Extended t : TickValues(0, until, timeStep)) {
        const int px = DeviceUnits(layout.X(t));
        surface.SetPen(1, style.Grid);
        Line(surface, px, box.Top, px, box.Bottom);
        const std::string label = TickNumber(t, timeStep);
        const int width = surface.MeasureText(label).Width;
        const int left =
            std::max(area.Left, std::min(px - width / 2, area.Left + area.Width - width));
        surface.TextOut(left, box.Bottom + TickLabelsBelow(spacing), label);
    }
    DrawFrame(surface, box, style.Ink);
    surface.TextOut(box.Left, area.Top, "h(t)");
    const std::string timeTitle = "t, с";
    surface.TextOut(box.Right - surface.MeasureText(timeTitle).Width,
                    box.Bottom + spacing * 3 / 2 + 1, timeTitle);
}

// Steady values dashed, their 5 % bands dotted, each marked "h∞" where there is room.
void DrawSteadyValues(Surface& surface, std::span<const StepPictureCurve> curves,
                      const StepLayout& layout, Placement& placement, int spacing)
{
    const PictureBox& box = layout.Box;
    for (const StepPictureCurve& c : curves) {
        if (!c.Response || !c.Response->Indicators)
            continue;
        const StepIndicators& in = *c.Response->Indicators;
        surface.SetPen(1, c.Colour);
        Pen steady(surface, box, spacing / 2);
        steady.Point(box.Left, layout.Y(in.Steady));
        steady.Point(box.Right, layout.Y(in.Steady));
        for (const Extended side : {-1.0L, 1.0L}) {
            Pen band(surface, box, std::max(2, spacing / 6));
            band.Point(box.Left, layout.Y(in.Steady * (1 + side * 0.05L)));
            band.Point(box.Right, layout.Y(in.Steady * (1 + side * 0.05L)));
        }
        const std::string steadyLabel = "h∞";
        const int sw = surface.MeasureText(steadyLabel).Width;
        const PictureBox steadyBox{box.Right - sw - spacing / 4,
                                   DeviceUnits(layout.Y(in.Steady)) - spacing,
                                   box.Right - spacing / 4, DeviceUnits(layout.Y(in.Steady))};
        if (placement.Free(steadyBox)) {
            surface.TextOut(steadyBox.Left, steadyBox.Top, steadyLabel);
            placement.Take(steadyBox);
        }
    }
}

// The peak ringed and marked "σ", the settling time a dashed upright marked "tр".
void DrawStepMarks(Surface& surface, DeviceRect area, std::span<const StepPictureCurve> curves,
                   const StepLayout& layout, Placement& placement, int spacing)
{
    const PictureBox& box = layout.Box;
    for (const StepPictureCurve& c : curves) {
        if (!c.Response || !c.Response->Indicators)
            continue;
        const StepIndicators& in = *c.Response->Indicators;
        const Extended peakValue = in.Steady * (1 + in.OvershootPercent / 100);
        const int radius = std::max(3, spacing / 4);
        if (in.PeakReached && in.OvershootPercent > 0) {
            const int px = DeviceUnits(layout.X(in.PeakTime)), py = DeviceUnits(layout.Y(peakValue));
            surface.SetPen(1, c.Colour);
            DrawRing(surface, px, py, radius);
            const PictureBox label{px + radius, py - radius - spacing,
                                   px + radius + surface.MeasureText("σ").Width, py - radius};
            if (placement.Free(label) && label.Top >= area.Top && label.Right <= box.Right) {
                surface.TextOut(label.Left, label.Top, "σ");
                placement.Take(label);
            }
        }
        if (!in.SettlingReached)
            continue;
        const int sx = DeviceUnits(layout.X(in.SettlingTime));
        surface.SetPen(1, c.Colour);
        Pen upright(surface, box, std::max(3, spacing / 3));
        upright.Point(sx, box.Bottom);
        upright.Point(sx, layout.Y(in.Steady));
        const std::string mark = "tр";
        const int mw = surface.MeasureText(mark).Width;
        PictureBox label{sx + radius / 2, box.Bottom - spacing - radius / 2, sx + radius / 2 + mw,
                         box.Bottom - radius / 2};
        if (label.Right > box.Right)
            label = {sx - radius / 2 - mw, label.Top, sx - radius / 2, label.Bottom};
        if (placement.Free(label)) {
            surface.TextOut(label.Left, label.Top, mark);
            placement.Take(label);
        }
    }
}

// The logarithmic picture's ranges: decades of ω, dB and degrees the curves reach.
struct LogRanges
{
    Extended LgFrom, LgTo, DbLow, DbHigh, DegLow, DegHigh;
};

LogRanges LogRangesOf(std::span<const LogPictureCurve> curves)
{
    const Extended inf = std::numeric_limits<Extended>::infinity();
    LogRanges r{inf, -inf, inf, -inf, inf, -inf};
    for (const LogPictureCurve& c : curves) {
        if (!c.Characteristics)
            continue;
        const LogCharacteristics& l = *c.Characteristics;
        if (!l.Failure.empty() || l.Points.empty())
            continue;
        r.LgFrom = std::min(r.LgFrom, std::log10(l.Points.front().Frequency));
        r.LgTo = std::max(r.LgTo, std::log10(l.Points.back().Frequency));
        for (const LogPoint& p : l.Points) {
            for (const Extended db : {p.Decibels, p.AsymptoteDecibels}) {
                if (std::isfinite(db)) {
                    r.DbLow = std::min(r.DbLow, db);
                    r.DbHigh = std::max(r.DbHigh, db);
                }
            }
            if (std::isfinite(p.Degrees)) {
                r.DegLow = std::min(r.DegLow, p.Degrees);
                r.DegHigh = std::max(r.DegHigh, p.Degrees);
            }
        }
    }
    if (!(r.LgTo > r.LgFrom)) {
        r.LgFrom = -2;
        r.LgTo = 2;
    }
    if (!(r.DbHigh > r.DbLow)) {
        r.DbLow = -20;
        r.DbHigh = 20;
    }
    // A curve that dives far below keeps the picture 160 dB high at most.
    r.DbLow = std::max(r.DbLow, r.DbHigh - 160);
    if (!(r.DbHigh - r.DbLow > 0)) {
        r.DbLow = -20;
        r.DbHigh = 20;
    }
    if (!(r.DegHigh > r.DegLow)) {
        r.DegLow = -180;
        r.DegHigh = 0;
    }
    // A delay makes the phase fall without bound: the box shows the first 630° below its top,
    // enough for −180° and −540°, and the curve leaves it at the bottom.
    r.DegLow = std::max(r.DegLow, r.DegHigh - 630);
    // Angles so large that 630° is lost in their rounding: the curve is shown off the box.
    if (!(r.DegHigh - r.DegLow > 0)) {
        r.DegLow = -180;
        r.DegHigh = 0;
    }
    return r;
}

std::vector<std::pair<Rgb, std::string>> LogLegend(std::span<const LogPictureCurve> curves)
{
    std::vector<std::pair<Rgb, std::string>> legend;
    for (const LogPictureCurve& c : curves) {
        if (!c.Characteristics)
            continue;
        const LogCharacteristics& l = *c.Characteristics;
        if (!l.Failure.empty() || l.Points.empty())
            legend.emplace_back(c.Colour, "не рассчитана");
        else
            legend.emplace_back(c.Colour, l.Crossover ? "ωср = " + FigureText(*l.Crossover) + " рад/с"
                                                      : "ЛАЧХ асимптотически ниже 0 дБ");
    }
    return legend;
}

// Two boxes on one ω axis: L above (three fifths), φ below, each with its title above; the
// scales of lg ω, dB and degrees onto them and the steps of their grids.
struct LogLayout
{
    PictureBox Amplitude, Phase;
    Scale X, Db, Deg;
    Extended DbStep = 1, DegStep = 1;
};

std::optional<LogLayout> LayOutLog(Surface& surface, DeviceRect area, const LogRanges& r,
                                   int rows, int spacing)
{
    const int amplitudeTop = area.Top + std::max(rows, 1) * spacing + spacing / 2;
    const int bottom = area.Top + area.Height - spacing * 8 / 3;
    const int gap = spacing * 2;
    const int usable = bottom - amplitudeTop - gap;
    const int amplitudeBottom = amplitudeTop + usable * 3 / 5;
    const int phaseTop = amplitudeBottom + gap;

    LogLayout layout;
    layout.DbStep = std::max<Extended>(
        NiceStep(r.DbHigh - r.DbLow, std::max(2, (amplitudeBottom - amplitudeTop) / (2 * spacing))),
        1);
    layout.Db = {std::floor(r.DbLow / layout.DbStep) * layout.DbStep,
                 std::ceil(r.DbHigh / layout.DbStep) * layout.DbStep, amplitudeBottom, amplitudeTop};
    layout.DegStep =
        DegreeStep(r.DegHigh - r.DegLow, std::max(2, (bottom - phaseTop) / (2 * spacing)));
    layout.Deg = {std::floor(r.DegLow / layout.DegStep) * layout.DegStep,
                  std::ceil(r.DegHigh / layout.DegStep) * layout.DegStep, bottom, phaseTop};

    const int labels = std::max(DecimalsWidth(surface, layout.Db, layout.DbStep),
                                DecimalsWidth(surface, layout.Deg, layout.DegStep));
    const int left = area.Left + labels + spacing / 2;
    const int right = area.Left + area.Width - spacing;
    if (right - left < 4 * spacing || amplitudeBottom - amplitudeTop < 2 * spacing ||
        bottom - phaseTop < 2 * spacing)
        return std::nullopt;
    layout.Amplitude = {left, amplitudeTop, right, amplitudeBottom};
    layout.Phase = {left, phaseTop, right, bottom};
    layout.X = {r.LgFrom, r.LgTo, left, right};
    return layout;
}

// Decades: a grid line each through both boxes, labelled 10^k below, and 2…9 times fainter
// when a decade is wide enough.
void DrawDecadeGrid(Surface& surface, DeviceRect area, const LogLayout& layout,
                    const PictureStyle& style, int spacing)
{
    const Extended lgFrom = layout.X.From, lgTo = layout.X.To;
    const int left = layout.Phase.Left, right = layout.Phase.Right, bottom = layout.Phase.Bottom;
    const int decadeWidth = DeviceUnits(layout.X(lgFrom + 1) - layout.X(lgFrom));
    // Decades labelled every so many, so that their labels keep apart.
    const int decadeStep = static_cast<int>(std::max<Extended>(
        1, std::ceil((lgTo - lgFrom) / std::max(1, (right - left) / (4 * spacing)))));
    for (int k = static_cast<int>(std::floor(lgFrom)); k <= static_cast<int>(std::ceil(lgTo));
         ++k) {
        if (k % decadeStep != 0)
            continue;
        for (int m = 1; m <= 9; ++m) {
            const Extended lg = k + std::log10(Extended(m));
            if (lg < lgFrom - 1e-9L || lg > lgTo + 1e-9L || (m > 1 && decadeWidth < 6 * spacing))
                continue;
            const int px = DeviceUnits(layout.X(lg));
            surface.SetPen(1, m == 1 ? Rgb{170, 170, 170} : style.Grid);
            Line(surface, px, layout.Amplitude.Top, px, layout.Amplitude.Bottom);
            Line(surface, px, layout.Phase.Top, px, layout.Phase.Bottom);
            if (m != 1)
                continue;
            // "10" and the exponent raised, two thirds as large.
            const std::string exponent = std::to_string(k);
            const int base = surface.MeasureText("10").Width;
            surface.SetFontSize(std::max(5, style.FontPoints * 2 / 3));
            const int raised = surface.MeasureText(exponent).Width;
            surface.SetFontSize(style.FontPoints);
            const int lx = std::clamp(px - (base + raised) / 2, area.Left,
                                      area.Left + area.Width - base - raised);
            surface.TextOut(lx, bottom + TickLabelsBelow(spacing), "10");
            surface.SetFontSize(std::max(5, style.FontPoints * 2 / 3));
            surface.TextOut(lx + base, bottom + TickLabelsBelow(spacing) - spacing / 3, exponent);
            surface.SetFontSize(style.FontPoints);
        }
    }
}

// Each variant's crossover (a dashed upright through both boxes, a ring at 0 dB), L_a
// dashed, L and φ solid.
void DrawLogCurves(Surface& surface, std::span<const LogPictureCurve> curves,
                   const LogLayout& layout, const PictureStyle& style, int spacing)
{
    const Scale& x = layout.X;
    for (const LogPictureCurve& c : curves) {
        if (!c.Characteristics || !c.Characteristics->Failure.empty())
            continue;
        const LogCharacteristics& l = *c.Characteristics;
        if (l.Crossover) {
            const Extended lg = std::log10(*l.Crossover);
            surface.SetPen(1, c.Colour);
            for (const PictureBox& b : {layout.Amplitude, layout.Phase}) {
                Pen upright(surface, b, std::max(3, spacing / 3));
                upright.Point(x(lg), b.Top);
                upright.Point(x(lg), b.Bottom);
            }
            const int px = DeviceUnits(x(lg)), py = DeviceUnits(layout.Db(0));
            if (lg >= x.From && lg <= x.To && py >= layout.Amplitude.Top &&
                py <= layout.Amplitude.Bottom)
                DrawRing(surface, px, py, std::max(3, spacing / 4));
        }
        surface.SetPen(style.LineWidth, c.Colour);
        Pen asymptote(surface, layout.Amplitude, spacing * 2 / 3);
        for (const LogPoint& p : l.Points)
            asymptote.Point(x(std::log10(p.Frequency)), layout.Db(p.AsymptoteDecibels));
        Pen amplitudeCurve(surface, layout.Amplitude);
        for (const LogPoint& p : l.Points)
            amplitudeCurve.Point(x(std::log10(p.Frequency)), layout.Db(p.Decibels));
        Pen phaseCurve(surface, layout.Phase);
        for (const LogPoint& p : l.Points)
            phaseCurve.Point(x(std::log10(p.Frequency)), layout.Deg(p.Degrees));
    }
}

} // namespace

void DrawStepResponsePicture(Surface& surface, DeviceRect area,
                             std::span<const StepPictureCurve> curves, const PictureStyle& style)
{
    surface.SetFontSize(style.FontPoints);
    const int spacing = surface.MeasureText("0").LineSpacing;
    const StepRanges ranges = StepRangesOf(curves);
    const auto legend = StepLegend(curves);
    const int rows = LegendRows(area.Height / 4, spacing, legend.size());
    std::optional<StepLayout> layout = LayOutStep(surface, area, ranges, rows, spacing);
    // A legend that would run into the title "h(t)" goes a line lower.
    int legendTop = area.Top;
    if (layout && LegendLeft(surface, area.Left + area.Width, legend, rows) <
                      layout->Box.Left + surface.MeasureText("h(t)").Width + spacing / 2) {
        layout = LayOutStep(surface, area, ranges, rows + 1, spacing);
        legendTop += spacing;
    }
    if (!layout)
        return;

    DrawStepGrid(surface, area, *layout, ranges.Until, style, spacing);
    Legend(surface, area.Left + area.Width, legendTop, legend, style, rows);
    Placement placement;
    placement.Take({layout->Box.Left, area.Top,
                    layout->Box.Left + surface.MeasureText("h(t)").Width, area.Top + spacing});
    DrawSteadyValues(surface, curves, *layout, placement, spacing);
    for (const StepPictureCurve& c : curves) {
        if (!c.Response)
            continue;
        surface.SetPen(style.LineWidth, c.Colour);
        Pen pen(surface, layout->Box);
        for (std::size_t k = 0; k < c.Response->Times.size(); ++k)
            pen.Point(layout->X(c.Response->Times[k]), layout->Y(c.Response->Values[k]));
    }
    DrawStepMarks(surface, area, curves, *layout, placement, spacing);
}

void DrawLogCharacteristicsPicture(Surface& surface, DeviceRect area,
                                   std::span<const LogPictureCurve> curves,
                                   const PictureStyle& style)
{
    surface.SetFontSize(style.FontPoints);
    const int spacing = surface.MeasureText("0").LineSpacing;
    const LogRanges ranges = LogRangesOf(curves);
    const auto legend = LogLegend(curves);
    const int rows = LegendRows(area.Height / 5, spacing, legend.size());
    const std::string amplitudeTitle = "ЛАЧХ L(ω), дБ";
    std::optional<LogLayout> layout = LayOutLog(surface, area, ranges, rows, spacing);
    // A legend that would run into the title goes a line lower.
    int legendTop = area.Top;
    if (layout && LegendLeft(surface, area.Left + area.Width, legend, rows) <
                      layout->Phase.Left + surface.MeasureText(amplitudeTitle).Width + spacing / 2) {
        layout = LayOutLog(surface, area, ranges, rows + 1, spacing);
        legendTop += spacing;
    }
    if (!layout)
        return;

    YGrid(surface, layout->Amplitude, layout->Db, layout->DbStep, style, Extended(0));
    YGrid(surface, layout->Phase, layout->Deg, layout->DegStep, style, Extended(-180));
    DrawDecadeGrid(surface, area, *layout, style, spacing);
    DrawFrame(surface, layout->Amplitude, style.Ink);
    DrawFrame(surface, layout->Phase, style.Ink);
    const int left = layout->Phase.Left, right = layout->Phase.Right;
    surface.TextOut(left, area.Top, amplitudeTitle);
    surface.TextOut(left, layout->Phase.Top - spacing - spacing / 4, "ЛФЧХ φ(ω), град");
    const std::string omegaTitle = "ω, рад/с";
    surface.TextOut(right - surface.MeasureText(omegaTitle).Width,
                    layout->Phase.Bottom + spacing * 3 / 2 + 1, omegaTitle);
    Legend(surface, area.Left + area.Width, legendTop, legend, style, rows);
    DrawLogCurves(surface, curves, *layout, style, spacing);
}

} // namespace nirdal
