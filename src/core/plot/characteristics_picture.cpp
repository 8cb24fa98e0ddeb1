// SPDX-License-Identifier: MIT
#include "core/plot/characteristics_picture.h"

#include "core/common/russian_text.h"
#include "core/common/segment_clip.h"
#include "platform/text_encoding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace nirdal {

namespace {

// The letters Windows-1251 lacks, drawn as strokes.
enum class Letter
{
    None,
    Omega,
    Sigma,
    Phi,
    Infinity,
};

struct Run
{
    Letter letter = Letter::None;
    std::string text; // Windows-1251, for a run of text
};

std::vector<Run> Runs(std::string_view utf8)
{
    static const std::pair<std::string_view, Letter> kLetters[] = {
        {"ω", Letter::Omega}, {"σ", Letter::Sigma}, {"φ", Letter::Phi}, {"∞", Letter::Infinity}};
    std::vector<Run> runs;
    std::string plain;
    const auto flush = [&] {
        if (!plain.empty())
            runs.push_back({Letter::None, Utf8ToCp1251(plain)});
        plain.clear();
    };
    for (std::size_t i = 0; i < utf8.size();) {
        bool matched = false;
        for (const auto& [spelling, letter] : kLetters) {
            if (utf8.substr(i, spelling.size()) == spelling) {
                flush();
                runs.push_back({letter, {}});
                i += spelling.size();
                matched = true;
                break;
            }
        }
        if (!matched)
            plain += utf8[i++];
    }
    flush();
    return runs;
}

int LetterWidth(Surface& surface, Letter letter)
{
    const int o = surface.MeasureText("o").Width;
    return letter == Letter::Omega || letter == Letter::Infinity ? o * 3 / 2
           : letter == Letter::Sigma                             ? o * 6 / 5
                                                                 : o;
}

// An ellipse inside (x1, y1)–(x2, y2).
void Ellipse(Surface& surface, int x1, int y1, int x2, int y2)
{
    surface.Arc(x1, y1, x2, y2, x2, (y1 + y2) / 2, x2, (y1 + y2) / 2);
}

// The letter in the box of a character at (x, y), as wide as width.
void DrawLetter(Surface& surface, Letter letter, int x, int y, int width, Rgb ink)
{
    const int spacing = surface.MeasureText("o").LineSpacing;
    const int em = std::max(4, spacing * 100 / 117);
    const int baseline = y + em * 93 / 100;
    const int xTop = baseline - em * 53 / 100; // the top of a small letter
    const int pad = std::max(1, width / 8);
    surface.SetPen(std::max(1, em / 12), ink);
    const int left = x + pad, right = x + width - pad;
    switch (letter) {
    case Letter::Omega: {
        // Two lower halves of ellipses side by side, from near the x-height to the baseline;
        // their boxes stay inside the character's.
        const int middle = (left + right) / 2, depth = (baseline - xTop) * 3 / 4;
        const int centre = baseline - depth;
        for (const auto& [a, b] : {std::pair{left, middle}, std::pair{middle, right}})
            surface.Arc(a, centre - depth, b, baseline, a, centre, b, centre);
        break;
    }
    case Letter::Sigma:
        // A round body as tall as a small letter, its stroke running off to the right on top.
        Ellipse(surface, left, xTop, right - pad, baseline);
        surface.MoveTo((left + right) / 2, xTop);
        surface.LineTo(right + pad, xTop);
        break;
    case Letter::Phi:
        Ellipse(surface, left, xTop, right, baseline);
        surface.MoveTo((left + right) / 2, baseline - em * 72 / 100);
        surface.LineTo((left + right) / 2, baseline + em * 20 / 100);
        break;
    case Letter::Infinity: {
        const int middle = (left + right) / 2, top = xTop + (baseline - xTop) / 6;
        Ellipse(surface, left, top, middle, baseline - (baseline - xTop) / 6);
        Ellipse(surface, middle, top, right, baseline - (baseline - xTop) / 6);
        break;
    }
    case Letter::None:
        break;
    }
}

// A number as a reader of Russian expects it: digits significant, a decimal comma.
std::string Number(Extended value, int digits = 3)
{
    if (std::abs(value) < 1e-300L)
        value = 0;
    char text[48];
    std::snprintf(text, sizeof text, "%.*Lg", digits, value);
    return DecimalComma(text);
}

} // namespace

std::string TickNumber(Extended value, Extended step)
{
    const Extended places = -std::floor(std::log10(step) + 1e-9L);
    const int decimals =
        std::isfinite(places) ? static_cast<int>(std::clamp<Extended>(places, 0, 12)) : 0;
    if (std::abs(value) < step * 1e-6L)
        value = 0;
    char text[64];
    // Steps beyond what fixed decimals show well are written with an exponent.
    if (!(step >= 1e-6L && step < 1e9L))
        std::snprintf(text, sizeof text, "%.4Lg", value);
    else
        std::snprintf(text, sizeof text, "%.*Lf", decimals, value);
    return DecimalComma(text);
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

namespace {

// Degrees in steps of 15, 30, 45, 90, 180, then multiples of 360.
Extended DegreeStep(Extended range, int most)
{
    most = std::max(1, most);
    for (const Extended step : {15.0L, 30.0L, 45.0L, 90.0L, 180.0L})
        if (range / step <= most)
            return step;
    return 360 * NiceStep(range / 360, most);
}

// The top of the tick labels under a box: below the lowest label of the upright axis, which
// is centred on the box's bottom edge.
int TickLabelsBelow(int spacing)
{
    return spacing / 2 + 1;
}

struct Box
{
    int left, top, right, bottom;
};

// Maps values to device units in a box.
struct Scale
{
    Extended from, to; // value range
    int near, far;     // device coordinates of from and to
    Extended operator()(Extended v) const { return near + (v - from) / (to - from) * (far - near); }
};

int Device(Extended v)
{
    return std::isnan(v) ? 0 : static_cast<int>(std::lrint(std::clamp(v, -1e8L, 1e8L)));
}

// The multiples of step from `from` to `to`, when they are few enough to draw: none when the
// step is 0 or too fine for the values to tell apart.
std::vector<Extended> Multiples(Extended from, Extended to, Extended step)
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

// A polyline in the box, solid or dashed (dash > 0: dash and gap of that length), points that
// are not numbers leaving a gap.
class Pen
{
public:
    Pen(Surface& surface, const Box& box, int dash = 0)
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
        if (!ClipSegment(x1, y1, x2, y2, m_box.left, m_box.top, m_box.right, m_box.bottom))
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
        const int a = Device(x1), b = Device(y1), c = Device(x2), d = Device(y2);
        if (!m_at || m_at->first != a || m_at->second != b)
            m_surface.MoveTo(a, b);
        m_surface.LineTo(c, d);
        m_at = {c, d};
    }

    Surface& m_surface;
    Box m_box;
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

void Frame(Surface& surface, const Box& box, Rgb ink)
{
    surface.SetPen(1, ink);
    surface.MoveTo(box.left, box.top);
    surface.LineTo(box.right, box.top);
    surface.LineTo(box.right, box.bottom);
    surface.LineTo(box.left, box.bottom);
    surface.LineTo(box.left, box.top);
}

// Rectangles already taken by texts and marks: a label that would cover one is left out.
class Placement
{
public:
    bool Free(const Box& b) const
    {
        return std::none_of(m_taken.begin(), m_taken.end(), [&](const Box& t) {
            return b.left < t.right && t.left < b.right && b.top < t.bottom && t.top < b.bottom;
        });
    }
    void Take(const Box& b) { m_taken.push_back(b); }

private:
    std::vector<Box> m_taken;
};

// Horizontal grid lines and their labels right-aligned left of the box.
void YGrid(Surface& surface, const Box& box, const Scale& y, Extended step,
           const PictureStyle& style, std::optional<Extended> emphasised = std::nullopt)
{
    const int spacing = surface.MeasureText("0").LineSpacing;
    for (const Extended v : Multiples(y.from, y.to, step)) {
        const int py = Device(y(v));
        const bool strong = emphasised && std::abs(v - *emphasised) < step * 1e-6L;
        surface.SetPen(1, strong ? Rgb{120, 120, 120} : style.Grid);
        Line(surface, box.left, py, box.right, py);
        const std::string label = TickNumber(v, step);
        const int width = TextWidth(surface, label);
        DrawText(surface, box.left - width - spacing / 3, py - spacing / 2, label, style.Ink);
    }
}

int DecimalsWidth(Surface& surface, const Scale& y, Extended step)
{
    int widest = 0;
    for (const Extended v : Multiples(y.from, y.to, step))
        widest = std::max(widest, TextWidth(surface, TickNumber(v, step)));
    return widest;
}

// The legend at the top right: a short line in the variant's colour, then its text.
void Legend(Surface& surface, int right, int top,
            const std::vector<std::pair<Rgb, std::string>>& lines, const PictureStyle& style,
            int rows)
{
    const int spacing = surface.MeasureText("0").LineSpacing;
    const int sample = spacing * 2;
    int widest = 0;
    for (int i = 0; i < rows && i < static_cast<int>(lines.size()); ++i)
        widest = std::max(widest, TextWidth(surface, lines[std::size_t(i)].second));
    const int x = right - widest - sample - spacing / 2;
    for (int i = 0; i < rows && i < static_cast<int>(lines.size()); ++i) {
        const int y = top + i * spacing;
        const bool last = i == rows - 1 && rows < static_cast<int>(lines.size());
        if (last) {
            DrawText(surface, x + sample + spacing / 2, y,
                     "… ещё " + std::to_string(lines.size() - std::size_t(i)), style.Ink);
            break;
        }
        surface.SetPen(std::max(2, style.LineWidth + 1), lines[std::size_t(i)].first);
        Line(surface, x, y + spacing / 2, x + sample, y + spacing / 2);
        DrawText(surface, x + sample + spacing / 2, y, lines[std::size_t(i)].second, style.Ink);
    }
}

int LegendRows(int available, int spacing, std::size_t lines)
{
    return std::clamp(static_cast<int>(lines), 1, std::max(1, available / spacing));
}

} // namespace

int TextWidth(Surface& surface, std::string_view utf8)
{
    int width = 0;
    for (const Run& run : Runs(utf8))
        width += run.letter == Letter::None ? surface.MeasureText(run.text).Width
                                            : LetterWidth(surface, run.letter);
    return width;
}

int DrawText(Surface& surface, int x, int y, std::string_view utf8, Rgb ink)
{
    int width = 0;
    for (const Run& run : Runs(utf8)) {
        if (run.letter == Letter::None) {
            surface.TextOut(x + width, y, run.text);
            width += surface.MeasureText(run.text).Width;
        } else {
            const int w = LetterWidth(surface, run.letter);
            DrawLetter(surface, run.letter, x + width, y, w, ink);
            width += w;
        }
    }
    return width;
}

void DrawStepResponsePicture(Surface& surface, DeviceRect area,
                             std::span<const StepPictureCurve> curves, const PictureStyle& style)
{
    surface.SetFontSize(style.FontPoints);
    const int spacing = surface.MeasureText("0").LineSpacing;

    // The ranges: time from 0 to the longest span; h from its least to its largest, with 0
    // and the 5 % bands of the steady values in view.
    Extended until = 0, low = 0, high = 0;
    for (const StepPictureCurve& c : curves) {
        if (!c.Response || c.Response->Times.empty())
            continue;
        until = std::max(until, c.Response->Times.back());
        for (Extended v : c.Response->Values) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
        if (c.Response->Indicators) {
            const Extended s = c.Response->Indicators->Steady;
            low = std::min(low, s - 0.05L * std::abs(s));
            high = std::max(high, s + 0.05L * std::abs(s));
        }
    }
    if (!(until > 0))
        until = 1;
    if (!(high > low))
        high = low + 1;
    const Extended margin = (high - low) * 0.05L;
    Scale y{low - (low < 0 ? margin : 0), high + margin, 0, 0};

    // Legend lines.
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
            text = (in->OvershootKnown() ? "σ = " + Number(in->OvershootPercent) + " %"
                                         : std::string("σ: пик не достигнут")) +
                   "   tр " + (in->SettlingReached ? "= " : "более ") +
                   Number(in->SettlingTime) + " с";
        else
            text = r.Verdict == StabilityVerdict::Unstable ? "система неустойчива"
                                                           : "на границе устойчивости";
        legend.emplace_back(c.Colour, text);
    }
    const int rows = LegendRows(area.Height / 4, spacing, legend.size());

    // The box: the legend and "h(t)" above, tick labels left and below, "t, с" under them.
    y.near = 0;
    const int top = area.Top + rows * spacing + spacing / 2;
    const int bottom = area.Top + area.Height - spacing * 8 / 3;
    Extended step = NiceStep(y.to - y.from, std::max(2, (bottom - top) / (2 * spacing)));
    y.near = bottom;
    y.far = top;
    const int labels = DecimalsWidth(surface, y, step);
    const Box box{area.Left + labels + spacing / 2, top, area.Left + area.Width - spacing, bottom};
    if (box.right - box.left < 4 * spacing || box.bottom - box.top < 3 * spacing)
        return;
    const Scale x{0, until, box.left, box.right};

    Placement placement;
    // Grid and labels.
    YGrid(surface, box, y, step, style, Extended(0));
    const int widestTime = TextWidth(surface, TickNumber(until, NiceStep(until, 10))) + spacing;
    const Extended timeStep =
        NiceStep(until, std::max(1, (box.right - box.left) / (widestTime + spacing)));
    for (const Extended t : Multiples(0, until, timeStep)) {
        const int px = Device(x(t));
        surface.SetPen(1, style.Grid);
        Line(surface, px, box.top, px, box.bottom);
        const std::string label = TickNumber(t, timeStep);
        const int width = TextWidth(surface, label);
        const int left =
            std::max(area.Left, std::min(px - width / 2, area.Left + area.Width - width));
        DrawText(surface, left, box.bottom + TickLabelsBelow(spacing), label, style.Ink);
    }
    Frame(surface, box, style.Ink);
    DrawText(surface, box.left, area.Top, "h(t)", style.Ink);
    const std::string timeTitle = "t, с";
    DrawText(surface, box.right - TextWidth(surface, timeTitle), box.bottom + spacing * 3 / 2 + 1,
             timeTitle, style.Ink);
    Legend(surface, area.Left + area.Width, area.Top, legend, style, rows);
    placement.Take({box.left, area.Top, box.left + TextWidth(surface, "h(t)"), area.Top + spacing});

    // Steady values, bands and marks under the curves.
    for (const StepPictureCurve& c : curves) {
        if (!c.Response || !c.Response->Indicators)
            continue;
        const StepIndicators& in = *c.Response->Indicators;
        surface.SetPen(1, c.Colour);
        Pen steady(surface, box, spacing / 2);
        steady.Point(box.left, y(in.Steady));
        steady.Point(box.right, y(in.Steady));
        for (const Extended side : {-1.0L, 1.0L}) {
            Pen band(surface, box, std::max(2, spacing / 6));
            band.Point(box.left, y(in.Steady * (1 + side * 0.05L)));
            band.Point(box.right, y(in.Steady * (1 + side * 0.05L)));
        }
        const std::string steadyLabel = "h∞";
        const int sw = TextWidth(surface, steadyLabel);
        const Box steadyBox{box.right - sw - spacing / 4, Device(y(in.Steady)) - spacing,
                            box.right - spacing / 4, Device(y(in.Steady))};
        if (placement.Free(steadyBox)) {
            DrawText(surface, steadyBox.left, steadyBox.top, steadyLabel, style.Ink);
            placement.Take(steadyBox);
        }
    }
    // The curves.
    for (const StepPictureCurve& c : curves) {
        if (!c.Response)
            continue;
        surface.SetPen(style.LineWidth, c.Colour);
        Pen pen(surface, box);
        for (std::size_t k = 0; k < c.Response->Times.size(); ++k)
            pen.Point(x(c.Response->Times[k]), y(c.Response->Values[k]));
    }
    // Peak and settling marks.
    for (const StepPictureCurve& c : curves) {
        if (!c.Response || !c.Response->Indicators)
            continue;
        const StepIndicators& in = *c.Response->Indicators;
        const Extended peakValue = in.Steady * (1 + in.OvershootPercent / 100);
        const int radius = std::max(3, spacing / 4);
        if (in.PeakReached && in.OvershootPercent > 0) {
            const int px = Device(x(in.PeakTime)), py = Device(y(peakValue));
            surface.SetPen(1, c.Colour);
            Ellipse(surface, px - radius, py - radius, px + radius, py + radius);
            const Box label{px + radius, py - radius - spacing,
                            px + radius + TextWidth(surface, "σ"), py - radius};
            if (placement.Free(label) && label.top >= area.Top && label.right <= box.right) {
                DrawText(surface, label.left, label.top, "σ", style.Ink);
                placement.Take(label);
            }
        }
        if (!in.SettlingReached)
            continue;
        const int sx = Device(x(in.SettlingTime));
        surface.SetPen(1, c.Colour);
        Pen upright(surface, box, std::max(3, spacing / 3));
        upright.Point(sx, box.bottom);
        upright.Point(sx, y(in.Steady));
        const std::string mark = "tр";
        const int mw = TextWidth(surface, mark);
        Box label{sx + radius / 2, box.bottom - spacing - radius / 2, sx + radius / 2 + mw,
                  box.bottom - radius / 2};
        if (label.right > box.right)
            label = {sx - radius / 2 - mw, label.top, sx - radius / 2, label.bottom};
        if (placement.Free(label)) {
            DrawText(surface, label.left, label.top, mark, style.Ink);
            placement.Take(label);
        }
    }
}

void DrawLogCharacteristicsPicture(Surface& surface, DeviceRect area,
                                   std::span<const LogPictureCurve> curves,
                                   const PictureStyle& style)
{
    surface.SetFontSize(style.FontPoints);
    const int spacing = surface.MeasureText("0").LineSpacing;

    Extended lgFrom = std::numeric_limits<Extended>::infinity(), lgTo = -lgFrom;
    Extended dbLow = lgFrom, dbHigh = -lgFrom, degLow = lgFrom, degHigh = -lgFrom;
    std::vector<std::pair<Rgb, std::string>> legend;
    for (const LogPictureCurve& c : curves) {
        if (!c.Characteristics)
            continue;
        const LogCharacteristics& l = *c.Characteristics;
        if (!l.Failure.empty() || l.Points.empty()) {
            legend.emplace_back(c.Colour, "не рассчитана");
            continue;
        }
        lgFrom = std::min(lgFrom, std::log10(l.Points.front().Frequency));
        lgTo = std::max(lgTo, std::log10(l.Points.back().Frequency));
        for (const LogPoint& p : l.Points) {
            for (const Extended db : {p.Decibels, p.AsymptoteDecibels}) {
                if (std::isfinite(db)) {
                    dbLow = std::min(dbLow, db);
                    dbHigh = std::max(dbHigh, db);
                }
            }
            if (std::isfinite(p.Degrees)) {
                degLow = std::min(degLow, p.Degrees);
                degHigh = std::max(degHigh, p.Degrees);
            }
        }
        legend.emplace_back(c.Colour, l.Crossover ? "ωср = " + Number(*l.Crossover) + " рад/с"
                                                  : "ЛАЧХ асимптотически ниже 0 дБ");
    }
    if (!(lgTo > lgFrom)) {
        lgFrom = -2;
        lgTo = 2;
    }
    if (!(dbHigh > dbLow)) {
        dbLow = -20;
        dbHigh = 20;
    }
    // A curve that dives far below keeps the picture 160 dB high at most.
    dbLow = std::max(dbLow, dbHigh - 160);
    if (!(dbHigh - dbLow > 0)) {
        dbLow = -20;
        dbHigh = 20;
    }
    if (!(degHigh > degLow)) {
        degLow = -180;
        degHigh = 0;
    }
    // A delay makes the phase fall without bound: the box shows the first 630° below its top,
    // enough for −180° and −540°, and the curve leaves it at the bottom.
    degLow = std::max(degLow, degHigh - 630);
    // Angles so large that 630° is lost in their rounding: the curve is shown off the box.
    if (!(degHigh - degLow > 0)) {
        degLow = -180;
        degHigh = 0;
    }
    const int rows = LegendRows(area.Height / 5, spacing, legend.size());

    // Two boxes on one ω axis: L above (three fifths), φ below, each with its title above.
    const int amplitudeTop = area.Top + std::max(rows, 1) * spacing + spacing / 2;
    const int bottom = area.Top + area.Height - spacing * 8 / 3;
    const int gap = spacing * 2;
    const int usable = bottom - amplitudeTop - gap;
    const int amplitudeBottom = amplitudeTop + usable * 3 / 5;
    const int phaseTop = amplitudeBottom + gap;

    Scale db{dbLow, dbHigh, amplitudeBottom, amplitudeTop};
    const Extended dbStep = std::max<Extended>(
        NiceStep(dbHigh - dbLow, std::max(2, (amplitudeBottom - amplitudeTop) / (2 * spacing))), 1);
    db.from = std::floor(dbLow / dbStep) * dbStep;
    db.to = std::ceil(dbHigh / dbStep) * dbStep;
    Scale deg{degLow, degHigh, bottom, phaseTop};
    const Extended degStep =
        DegreeStep(degHigh - degLow, std::max(2, (bottom - phaseTop) / (2 * spacing)));
    deg.from = std::floor(degLow / degStep) * degStep;
    deg.to = std::ceil(degHigh / degStep) * degStep;

    const int labels =
        std::max(DecimalsWidth(surface, db, dbStep), DecimalsWidth(surface, deg, degStep));
    const int left = area.Left + labels + spacing / 2;
    const int right = area.Left + area.Width - spacing;
    if (right - left < 4 * spacing || amplitudeBottom - amplitudeTop < 2 * spacing ||
        bottom - phaseTop < 2 * spacing)
        return;
    const Box amplitude{left, amplitudeTop, right, amplitudeBottom};
    const Box phase{left, phaseTop, right, bottom};
    const Scale x{lgFrom, lgTo, left, right};

    YGrid(surface, amplitude, db, dbStep, style, Extended(0));
    YGrid(surface, phase, deg, degStep, style, Extended(-180));
    // Decades: a grid line each, and 2…9 times fainter when a decade is wide enough.
    const int decadeWidth = Device(x(lgFrom + 1) - x(lgFrom));
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
            const int px = Device(x(lg));
            surface.SetPen(1, m == 1 ? Rgb{170, 170, 170} : style.Grid);
            Line(surface, px, amplitude.top, px, amplitude.bottom);
            Line(surface, px, phase.top, px, phase.bottom);
            if (m != 1)
                continue;
            // "10" and the exponent raised, two thirds as large.
            const std::string exponent = std::to_string(k);
            const int base = TextWidth(surface, "10");
            surface.SetFontSize(std::max(5, style.FontPoints * 2 / 3));
            const int raised = TextWidth(surface, exponent);
            surface.SetFontSize(style.FontPoints);
            const int lx = std::clamp(px - (base + raised) / 2, area.Left,
                                      area.Left + area.Width - base - raised);
            DrawText(surface, lx, bottom + TickLabelsBelow(spacing), "10", style.Ink);
            surface.SetFontSize(std::max(5, style.FontPoints * 2 / 3));
            DrawText(surface, lx + base, bottom + TickLabelsBelow(spacing) - spacing / 3, exponent,
                     style.Ink);
            surface.SetFontSize(style.FontPoints);
        }
    }
    Frame(surface, amplitude, style.Ink);
    Frame(surface, phase, style.Ink);
    DrawText(surface, left, area.Top, "ЛАЧХ L(ω), дБ", style.Ink);
    DrawText(surface, left, phaseTop - spacing - spacing / 4, "ЛФЧХ φ(ω), град", style.Ink);
    const std::string omegaTitle = "ω, рад/с";
    DrawText(surface, right - TextWidth(surface, omegaTitle), bottom + spacing * 3 / 2 + 1,
             omegaTitle, style.Ink);
    Legend(surface, area.Left + area.Width, area.Top, legend, style, rows);

    for (const LogPictureCurve& c : curves) {
        if (!c.Characteristics || !c.Characteristics->Failure.empty())
            continue;
        const LogCharacteristics& l = *c.Characteristics;
        // The crossover of the asymptote: an upright through both boxes, a ring at 0 dB.
        if (l.Crossover) {
            const Extended lg = std::log10(*l.Crossover);
            surface.SetPen(1, c.Colour);
            for (const Box& b : {amplitude, phase}) {
                Pen upright(surface, b, std::max(3, spacing / 3));
                upright.Point(x(lg), b.top);
                upright.Point(x(lg), b.bottom);
            }
            const int px = Device(x(lg)), py = Device(db(0));
            const int radius = std::max(3, spacing / 4);
            if (lg >= lgFrom && lg <= lgTo && py >= amplitude.top && py <= amplitude.bottom)
                Ellipse(surface, px - radius, py - radius, px + radius, py + radius);
        }
        surface.SetPen(style.LineWidth, c.Colour);
        Pen asymptote(surface, amplitude, spacing * 2 / 3);
        for (const LogPoint& p : l.Points)
            asymptote.Point(x(std::log10(p.Frequency)), db(p.AsymptoteDecibels));
        Pen amplitudeCurve(surface, amplitude);
        for (const LogPoint& p : l.Points)
            amplitudeCurve.Point(x(std::log10(p.Frequency)), db(p.Decibels));
        Pen phaseCurve(surface, phase);
        for (const LogPoint& p : l.Points)
            phaseCurve.Point(x(std::log10(p.Frequency)), deg(p.Degrees));
    }
}

} // namespace nirdal
