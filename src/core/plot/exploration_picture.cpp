// SPDX-License-Identifier: MIT
#include "core/plot/exploration_picture.h"

#include "core/common/number_text.h"
#include "core/common/russian_text.h"
#include "core/common/word_wrap.h"
#include "core/numtext/numtext.h"
#include "core/plot/stability_map_picture.h"
#include "core/response/frequency_response.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace nirdal {

namespace {

constexpr Extended kPi = std::numbers::pi_v<Extended>;

// Frequencies sampled first, evenly on a logarithmic scale; then a chord longer than
// kLongestChord pixels is halved, down to kDeepestHalving halvings, while the evaluations of
// one drawing stay below kMostEvaluations.
constexpr int kCoarseSamples = 600;
constexpr Extended kLongestChord = 5;
constexpr int kDeepestHalving = 14;
constexpr long kMostEvaluations = 40000;
// Decades sampled below the slowest and above the fastest pole or crossover.
constexpr Extended kDecadesBeyond = 3;
// The view: the unit circle with a rim, the gain-margin crossing up to this far out, and the
// curve where it comes this near the origin.
constexpr Extended kUnitRim = 1.3L;
constexpr Extended kFarthestCrossing = 20;
constexpr Extended kNearCurve = 3;
constexpr Extended kViewPadding = 0.06L;
// Fractions of the visible curve's length where arrows stand.
constexpr Extended kArrowPlaces[] = {0.2L, 0.5L, 0.8L};
constexpr int kTitlePoints = 10;
constexpr int kLabelPoints = 9;

struct Sample
{
    Extended Omega;
    Extended U;
    Extended V;
    bool Finite;
};

Sample Evaluate(const TransferFunction& loop, Extended omega)
{
    ResponsePoint point;
    point.Frequency = omega;
    const bool finite = EvaluateResponse(point, loop);
    return {omega, point.U, point.V, finite};
}

// The frequencies worth drawing: some decades around every pole and crossover.
void FrequencySpan(const Exploration& exploration, Extended& low, Extended& high)
{
    low = 0;
    high = 0;
    const auto take = [&](Extended omega) {
        if (!(omega > 0) || !std::isfinite(omega))
            return;
        low = low == 0 ? omega : std::min(low, omega);
        high = std::max(high, omega);
    };
    const StabilityAnalysis& analysis = exploration.Analysis();
    for (const auto& pole : analysis.Poles)
        take(std::abs(pole));
    for (const Crossover& c : analysis.PhaseCrossovers)
        take(c.Frequency);
    for (const Crossover& c : analysis.GainCrossovers)
        take(c.Frequency);
    if (exploration.Loop().Delay > 0)
        take(1 / exploration.Loop().Delay);
    if (low == 0) {
        low = 1;
        high = 1;
    }
    low /= std::pow(Extended{10}, kDecadesBeyond);
    high *= std::pow(Extended{10}, kDecadesBeyond);
}

// Maps the complex plane to device units at one scale for both axes.
struct View
{
    Extended OriginX = 0;
    Extended OriginY = 0;
    Extended Unit = 1; // pixels per unit

    Extended X(Extended u) const { return OriginX + u * Unit; }
    Extended Y(Extended v) const { return OriginY - v * Unit; }
};

View ChooseView(const Exploration& exploration, const std::vector<Sample>& samples,
                DeviceRect area)
{
    Extended left = -kUnitRim, right = kUnitRim, bottom = -kUnitRim, top = kUnitRim;
    const auto& gain = exploration.Analysis().GainMargin;
    if (gain && gain->Value > 0) {
        const Extended crossing = -1 / gain->Value;
        if (crossing >= -kFarthestCrossing)
            left = std::min(left, crossing);
    }
    for (const Sample& s : samples) {
        if (!s.Finite || std::hypot(s.U, s.V) > kNearCurve)
            continue;
        left = std::min(left, s.U);
        right = std::max(right, s.U);
        bottom = std::min(bottom, s.V);
        top = std::max(top, s.V);
    }
    const Extended padU = (right - left) * kViewPadding;
    const Extended padV = (top - bottom) * kViewPadding;
    left -= padU;
    right += padU;
    bottom -= padV;
    top += padV;
    View view;
    view.Unit = std::min(area.Width / (right - left), area.Height / (top - bottom));
    view.OriginX = area.Left + area.Width / Extended{2} - (left + right) / 2 * view.Unit;
    view.OriginY = area.Top + area.Height / Extended{2} + (bottom + top) / 2 * view.Unit;
    return view;
}


// The curve's samples, the chords the view shows long enough to see halved until smooth.
std::vector<Sample> Refine(const TransferFunction& loop, const std::vector<Sample>& coarse,
                           const View& view, const DeviceRect& area, long& evaluations)
{
    std::vector<Sample> fine;
    fine.reserve(coarse.size() * 2);
    const auto visible = [&](const Sample& a, const Sample& b) {
        Extended x0 = view.X(a.U), y0 = view.Y(a.V), x1 = view.X(b.U), y1 = view.Y(b.V);
        return ClipSegment(x0, y0, x1, y1, area);
    };
    const auto longChord = [&](const Sample& a, const Sample& b) {
        return std::hypot(view.X(a.U) - view.X(b.U), view.Y(a.V) - view.Y(b.V)) > kLongestChord;
    };
    // Depth-first halving with an explicit stack: the halves come out in rising ω.
    struct Piece
    {
        Sample A, B;
        int Depth;
    };
    std::vector<Piece> stack;
    for (std::size_t i = 0; i + 1 < coarse.size(); ++i) {
        fine.push_back(coarse[i]);
        stack.push_back({coarse[i], coarse[i + 1], 0});
        while (!stack.empty()) {
            const Piece piece = stack.back();
            stack.pop_back();
            const bool split = piece.A.Finite && piece.B.Finite && piece.Depth < kDeepestHalving &&
                               evaluations < kMostEvaluations && longChord(piece.A, piece.B) &&
                               visible(piece.A, piece.B);
            if (!split) {
                if (piece.B.Omega != coarse[i + 1].Omega)
                    fine.push_back(piece.B);
                continue;
            }
            const Sample middle = Evaluate(loop, std::sqrt(piece.A.Omega * piece.B.Omega));
            ++evaluations;
            stack.push_back({middle, piece.B, piece.Depth + 1});
            stack.push_back({piece.A, middle, piece.Depth + 1});
        }
    }
    if (!coarse.empty())
        fine.push_back(coarse.back());
    return fine;
}

void Segment(Surface& surface, int x0, int y0, int x1, int y1)
{
    surface.MoveTo(x0, y0);
    surface.LineTo(x1, y1);
}

void Arrow(Surface& surface, Extended x, Extended y, Extended dx, Extended dy, int wing)
{
    const Extended length = std::hypot(dx, dy);
    if (!(length > 0))
        return;
    dx /= length;
    dy /= length;
    const Extended c = std::cos(kPi / 7), s = std::sin(kPi / 7);
    const int tipX = DeviceUnits(x), tipY = DeviceUnits(y);
    // The wings point back from the tip, turned either way from the curve's direction.
    Segment(surface, tipX, tipY, DeviceUnits(x - wing * (c * dx - s * dy)),
            DeviceUnits(y - wing * (s * dx + c * dy)));
    Segment(surface, tipX, tipY, DeviceUnits(x - wing * (c * dx + s * dy)),
            DeviceUnits(y - wing * (-s * dx + c * dy)));
}

// The frame around one of the window's pictures: its last row and column inside it.
void DrawPictureFrame(Surface& surface, const DeviceRect& frame)
{
    DrawFrame(surface,
              {frame.Left, frame.Top, frame.Left + frame.Width - 1, frame.Top + frame.Height - 1},
              kFramePen);
}

// The samples of the curve: evenly on a logarithmic scale of ω, then refined where the
// view shows them far apart.
std::vector<Sample> HodographSamples(const Exploration& exploration, const DeviceRect& area,
                                     View& view)
{
    const TransferFunction& loop = exploration.Loop();
    Extended low = 0, high = 0;
    FrequencySpan(exploration, low, high);
    std::vector<Sample> coarse;
    coarse.reserve(kCoarseSamples);
    const Extended ratio = std::log(high / low) / (kCoarseSamples - 1);
    for (int i = 0; i < kCoarseSamples; ++i)
        coarse.push_back(Evaluate(loop, low * std::exp(ratio * i)));
    view = ChooseView(exploration, coarse, area);
    long evaluations = kCoarseSamples;
    return Refine(loop, coarse, view, area, evaluations);
}

// Axes with the ticks at ±1, and the unit circle.
void DrawHodographAxes(Surface& surface, const View& view, const DeviceRect& area)
{
    const int ox = DeviceUnits(view.OriginX), oy = DeviceUnits(view.OriginY);
    const int unit = DeviceUnits(view.Unit);
    surface.SetPen(1, kAxisPen);
    Segment(surface, area.Left, oy, area.Left + area.Width, oy);
    Segment(surface, ox, area.Top, ox, area.Top + area.Height);
    surface.SetFontSize(kLabelPoints);
    for (int sign : {-1, 1}) {
        const int x = DeviceUnits(view.X(sign)), y = DeviceUnits(view.Y(sign));
        Segment(surface, x, oy - 4, x, oy + 4);
        Segment(surface, ox - 4, y, ox + 4, y);
        surface.TextOut(x - (sign < 0 ? 14 : 2), oy + 6, sign < 0 ? "-1" : "1");
        surface.TextOut(ox + 6, y - 7, sign < 0 ? "-j" : "j");
    }
    DrawRing(surface, ox, oy, unit);
}

// The curve, clipped to the picture, with arrows along the part of it that shows; titleSpacing
// is the title's line spacing, which the arrows' size follows.
void DrawHodographCurve(Surface& surface, const std::vector<Sample>& samples, const View& view,
                        const DeviceRect& area, int titleSpacing)
{
    struct Visible
    {
        Extended X0, Y0, X1, Y1;
    };
    std::vector<Visible> shown;
    Extended shownLength = 0;
    surface.SetPen(2, kCurvePen);
    bool penAtEnd = false;
    int lastX = 0, lastY = 0;
    for (std::size_t i = 0; i + 1 < samples.size(); ++i) {
        const Sample& a = samples[i];
        const Sample& b = samples[i + 1];
        if (!a.Finite || !b.Finite) {
            penAtEnd = false;
            continue;
        }
        Extended x0 = view.X(a.U), y0 = view.Y(a.V), x1 = view.X(b.U), y1 = view.Y(b.V);
        if (!ClipSegment(x0, y0, x1, y1, area)) {
            penAtEnd = false;
            continue;
        }
        const int ix0 = DeviceUnits(x0), iy0 = DeviceUnits(y0);
        const int ix1 = DeviceUnits(x1), iy1 = DeviceUnits(y1);
        if (!penAtEnd || ix0 != lastX || iy0 != lastY)
            surface.MoveTo(ix0, iy0);
        surface.LineTo(ix1, iy1);
        penAtEnd = true;
        lastX = ix1;
        lastY = iy1;
        shown.push_back({x0, y0, x1, y1});
        shownLength += std::hypot(x1 - x0, y1 - y0);
    }
    const int wing = MarkSize(kArrowWing, kTitlePoints, titleSpacing);
    Extended walked = 0;
    std::size_t place = 0;
    for (const Visible& piece : shown) {
        const Extended length = std::hypot(piece.X1 - piece.X0, piece.Y1 - piece.Y0);
        while (place < std::size(kArrowPlaces) &&
               walked + length >= kArrowPlaces[place] * shownLength && length > 0) {
            const Extended t = (kArrowPlaces[place] * shownLength - walked) / length;
            Arrow(surface, piece.X0 + t * (piece.X1 - piece.X0),
                  piece.Y0 + t * (piece.Y1 - piece.Y0), piece.X1 - piece.X0, piece.Y1 - piece.Y0,
                  wing);
            ++place;
        }
        walked += length;
    }
}

// −1 ringed, the crossing of the negative real axis that sets the gain margin, and the point
// of the unit circle that sets the phase margin with the angle from −1 to it.
void DrawMarginMarks(Surface& surface, const StabilityAnalysis& analysis, const View& view,
                     const DeviceRect& area, int titleSpacing)
{
    const auto size = [titleSpacing](int pixels) {
        return MarkSize(pixels, kTitlePoints, titleSpacing);
    };
    const int ox = DeviceUnits(view.OriginX), oy = DeviceUnits(view.OriginY);
    const int unit = DeviceUnits(view.Unit);
    surface.SetPen(2, kMinusOnePen);
    DrawRing(surface, DeviceUnits(view.X(-1)), oy, size(kMinusOneRadius));

    if (analysis.GainMargin && analysis.GainMargin->Value > 0) {
        const Extended gx = view.X(-1 / analysis.GainMargin->Value);
        if (gx >= area.Left && gx <= area.Left + area.Width) {
            const int x = DeviceUnits(gx), half = size(kGainMarkHalf);
            surface.SetPen(2, kGainMarginPen);
            surface.MoveTo(x - half, oy);
            surface.LineTo(x, oy - half);
            surface.LineTo(x + half, oy);
            surface.LineTo(x, oy + half);
            surface.LineTo(x - half, oy);
        }
    }

    if (analysis.PhaseMargin) {
        const Extended angle = analysis.PhaseMargin->Value * kPi / 180;
        surface.SetPen(2, kPhaseMarginPen);
        DrawRing(surface, DeviceUnits(view.X(-std::cos(angle))),
                 DeviceUnits(view.Y(-std::sin(angle))), size(kPhaseMarkRadius));
        // Rays far out, so that a small angle still gives two different rays.
        constexpr Extended kRay = 100000;
        const int fromX = ox - DeviceUnits(kRay), fromY = oy;
        const int toX = ox + DeviceUnits(-kRay * std::cos(angle));
        const int toY = oy + DeviceUnits(kRay * std::sin(angle));
        if (fromX != toX || fromY != toY) {
            surface.SetPen(3, kPhaseMarginPen);
            // Arcs run counter-clockwise on the screen: from −1 down to a point below it.
            if (angle > 0)
                surface.Arc(ox - unit, oy - unit, ox + unit, oy + unit, fromX, fromY, toX, toY);
            else
                surface.Arc(ox - unit, oy - unit, ox + unit, oy + unit, toX, toY, fromX, fromY);
        }
    }
}

// The part of a frame a picture is drawn in.
DeviceRect Inside(const DeviceRect& frame)
{
    return {frame.Left + 6, frame.Top + 4, frame.Width - 12, frame.Height - 8};
}

PictureStyle WindowStyle()
{
    PictureStyle style;
    style.LineWidth = 2;
    return style;
}

} // namespace

DeviceSize LeastExplorationPicture(Surface& surface)
{
    surface.SetFontSize(WindowStyle().FontPoints);
    const int spacing = surface.MeasureText("0").LineSpacing;
    // The logarithmic picture's two boxes, its legend, titles and labels take about 11.2
    // lines; the step response's legend "σ = 80,5 %   tр = 48,1 с" about 12 lines' width.
    return {14 * spacing + 12, 12 * spacing + 12};
}

namespace {

// Whether the four pictures go in one row in a room of size.
bool InOneRow(DeviceSize least, DeviceSize size)
{
    return size.Height < 2 * least.Height && size.Width >= 4 * least.Width;
}

} // namespace

DeviceSize LeastExplorationSize(Surface& surface, DeviceSize room)
{
    const DeviceSize least = LeastExplorationPicture(surface);
    if (InOneRow(least, room))
        return {4 * least.Width, least.Height};
    return {2 * least.Width, 2 * least.Height};
}

ExplorationLayout LayOutExploration(Surface& surface, DeviceSize size)
{
    if (InOneRow(LeastExplorationPicture(surface), size)) {
        const auto column = [&size](int i) {
            const int left = size.Width * i / 4;
            return DeviceRect{left, 0, size.Width * (i + 1) / 4 - left, size.Height};
        };
        return {column(0), column(1), column(3), column(2)};
    }
    const int half = size.Width / 2;
    const int upper = size.Height / 2;
    return {{0, 0, half, upper},
            {half, 0, size.Width - half, upper},
            {half, upper, size.Width - half, size.Height - upper},
            {0, upper, half, size.Height - upper}};
}

void DrawExplorationHodograph(Surface& surface, const Exploration& exploration, DeviceRect frame)
{
    DrawPictureFrame(surface, frame);
    surface.SetFontSize(kTitlePoints);
    const std::string title = "Годограф K·W(jω)·exp(-jω·ΔT)";
    const TextExtent titleExtent = surface.MeasureText(title);
    surface.TextOut(frame.Left + 6, frame.Top + 4, title);
    if (!exploration.Refusal().empty())
        return;

    const int top = frame.Top + 8 + titleExtent.LineSpacing;
    const DeviceRect area{frame.Left + 6, top, frame.Width - 12, frame.Top + frame.Height - 6 - top};
    if (area.Width <= 20 || area.Height <= 20)
        return;
    View view;
    const std::vector<Sample> samples = HodographSamples(exploration, area, view);
    DrawHodographAxes(surface, view, area);
    DrawHodographCurve(surface, samples, view, area, titleExtent.LineSpacing);
    DrawMarginMarks(surface, exploration.Analysis(), view, area, titleExtent.LineSpacing);
}

void DrawExplorationPictures(Surface& surface, const Exploration& exploration, DeviceSize size,
                             bool withMap)
{
    const ExplorationLayout layout = LayOutExploration(surface, size);
    DrawExplorationHodograph(surface, exploration, layout.Hodograph);
    DrawPictureFrame(surface, layout.Step);
    DrawPictureFrame(surface, layout.Logarithmic);
    if (withMap) {
        DrawExplorationMap(surface, exploration, layout.Map);
        DrawExplorationMapPoint(surface, exploration, layout.Map);
    }
    if (!exploration.Refusal().empty())
        return;
    const PictureStyle style = WindowStyle();
    const StepPictureCurve step[] = {
        {&exploration.Step(), exploration.StepIsCurrent() ? kCurvePen : kStalePen}};
    if (!exploration.Step().Times.empty())
        DrawStepResponsePicture(surface, Inside(layout.Step), step, style);
    const LogPictureCurve logarithmic[] = {{&exploration.Logarithmic(), kCurvePen}};
    DrawLogCharacteristicsPicture(surface, Inside(layout.Logarithmic), logarithmic, style);
}

void DrawExplorationMap(Surface& surface, const Exploration& exploration, DeviceRect frame)
{
    DrawPictureFrame(surface, frame);
    if (!exploration.Refusal().empty())
        return;
    const DeviceRect area = Inside(frame);
    if (const auto& map = exploration.Map()) {
        DrawStabilityMapPicture(surface, area, *map, std::nullopt, WindowStyle());
        return;
    }
    surface.SetFontSize(kTitlePoints);
    surface.TextOut(area.Left, area.Top, "Область устойчивости: строится…");
}

void DrawExplorationMapPoint(Surface& surface, const Exploration& exploration, DeviceRect frame)
{
    if (const auto& map = exploration.Map(); map && map->Failure.empty())
        DrawStabilityMapPoint(surface, *map, ExplorationMapBox(surface, frame), exploration.Gain(),
                              exploration.ExtraDelay());
}

DeviceRect ExplorationMapBox(Surface& surface, DeviceRect frame)
{
    return StabilityMapBox(surface, Inside(frame), WindowStyle());
}

std::string TransferFunctionFormula(const TransferFunction& variant)
{
    const auto polynomial = [](const auto& coefficients, int degree) {
        std::string text;
        int terms = 0;
        for (int power = degree; power >= 0; --power) {
            const Extended c = coefficients[static_cast<std::size_t>(power)];
            if (c == 0)
                continue;
            text += terms == 0 ? (c < 0 ? "-" : "") : (c < 0 ? " - " : " + ");
            const std::string magnitude = DecimalComma(ShortestText(std::fabs(c)));
            if (power == 0 || magnitude != "1")
                text += magnitude;
            if (power > 0)
                text += "s" + (power > 1 ? Superscript(power) : std::string());
            ++terms;
        }
        if (terms == 0)
            return std::string("0");
        return terms > 1 ? "(" + text + ")" : text;
    };
    std::string formula = "W(s) = " + polynomial(variant.B, variant.NumeratorDegree) + " / " +
                          polynomial(variant.A, variant.DenominatorDegree);
    if (variant.Delay != 0)
        formula += " · exp(-" + DecimalComma(ShortestText(variant.Delay)) + "·s)";
    return formula;
}

DeviceSize DrawSavedExploration(Surface& surface, const Exploration& exploration, DeviceSize size)
{
    DrawExplorationPictures(surface, exploration, size);
    std::vector<std::string> paragraphs = {exploration.Caption() + ": " +
                                           TransferFunctionFormula(exploration.Variant())};
    const std::vector<std::string> lines = exploration.Lines();
    std::string state = "K = " + FigureText(exploration.Gain()) +
                        ", ΔT = " + FigureText(exploration.ExtraDelay()) + " с";
    if (!lines.empty()) {
        state += ": " + lines.front();
        std::string figures;
        for (std::size_t i = 1; i < lines.size(); ++i)
            figures += (i > 1 ? "; " : "") + lines[i];
        paragraphs.push_back(state);
        paragraphs.push_back(figures);
    } else {
        paragraphs.push_back(state);
        paragraphs.push_back(exploration.Refusal());
    }
    surface.SetFontSize(kTitlePoints);
    const int spacing = surface.MeasureText("0").LineSpacing;
    int y = size.Height + spacing / 2;
    for (const std::string& paragraph : paragraphs)
        for (const std::string& line : WrapWords(surface, paragraph, size.Width - 12)) {
            surface.TextOut(6, y, line);
            y += spacing;
        }
    return {size.Width, y + spacing / 2};
}

} // namespace nirdal
