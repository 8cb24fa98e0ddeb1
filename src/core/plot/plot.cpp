// SPDX-License-Identifier: MIT
#include "core/plot/plot.h"

#include "core/common/segment_clip.h"
#include "core/numtext/numtext.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace nirdal {

namespace {

constexpr Rgb kBlack{0, 0, 0};

// Delays up to this many seconds are not shown on the screen.
constexpr Extended kShownDelayThreshold = 0.01L;

// A point far outside every surface is pulled toward the origin along its ray, so the part
// of a line that can be seen keeps its direction while its end fits an int.
void PullInside(Extended& dx, Extended& dy)
{
    Extended reach = std::max(std::fabs(dx), std::fabs(dy));
    if (reach <= kCoordinateLimit)
        return;
    if (std::isinf(reach)) {
        dx = std::isinf(dx) ? std::copysign(1.0L, dx) : 0;
        dy = std::isinf(dy) ? std::copysign(1.0L, dy) : 0;
        reach = 1;
    }
    dx = dx / reach * kCoordinateLimit;
    dy = dy / reach * kCoordinateLimit;
}

// The curve cut where it leaves the frame 0…HorizontalAxisEnd × VerticalAxisTop…
// VerticalAxisEnd and resumed where it comes back; a point that is not a number breaks it.
void DrawClippedCurve(Surface& surface, const PlotFields& fields, const ResponseArrays& points,
                      const SurfaceRules& rules, DevicePoint origin)
{
    bool fromPoint = false, penThere = false;
    Extended lastX = 0, lastY = 0;
    DevicePoint pen{0, 0};
    for (int k = kFirstSlot; k <= kLastSlot; ++k) {
        const Extended x = origin.x + points[k].U / fields.PlotScale;
        const Extended y = origin.y - points[k].V * fields.YStretch / fields.PlotScale;
        if (!std::isfinite(x) || !std::isfinite(y)) {
            fromPoint = false;
            continue;
        }
        Extended x0 = lastX, y0 = lastY, x1 = x, y1 = y;
        if (fromPoint && ClipSegment(x0, y0, x1, y1, 0, rules.VerticalAxisTop,
                                     rules.HorizontalAxisEnd, rules.VerticalAxisEnd)) {
            const DevicePoint from{DeviceCoordinate(x0), DeviceCoordinate(y0)};
            if (!penThere || pen != from)
                surface.MoveTo(from.x, from.y);
            pen = {DeviceCoordinate(x1), DeviceCoordinate(y1)};
            surface.LineTo(pen.x, pen.y);
            penThere = true;
        } else {
            penThere = false;
        }
        fromPoint = true;
        lastX = x;
        lastY = y;
    }
}

// A polyline through the stored points. A point that is not a number cannot be placed: it
// gets no line, and a curve starts at its first point that is a number. With the rules'
// ClipCurves, each stretch between two points is cut at the picture's frame instead.
void DrawCurve(Surface& surface, const PlotFields& fields, const ResponseArrays& points,
               const SurfaceRules& rules, DevicePoint origin)
{
    if (rules.ClipCurves) {
        DrawClippedCurve(surface, fields, points, rules, origin);
        return;
    }
    bool started = false;
    for (int k = kFirstSlot; k <= kLastSlot; ++k) {
        const std::optional<DevicePoint> at = CurvePoint(points[k], fields, origin);
        if (!at)
            continue;
        if (!started) {
            surface.MoveTo(at->x, at->y);
            started = true;
        } else if (!(rules.PassOverLowPoints && points[k].V <= -3)) {
            surface.LineTo(at->x, at->y);
        }
    }
}

void Segment(Surface& surface, int x1, int y1, int x2, int y2)
{
    surface.MoveTo(x1, y1);
    surface.LineTo(x2, y2);
}

// The fixed texts of the picture.
struct FixedTexts
{
    std::string variants = " вариантов:";
    std::string numeratorHeading = "КОЭФФИЦИЕНТЫ ЧИСЛИТЕЛЯ  ПЕРЕДАТОЧНОЙ ФУНКЦИИ";
    std::string denominatorHeading = "КОЭФФИЦИЕНТЫ ЗНАМЕНАТЕЛЯ  ПЕРЕДАТОЧНОЙ ФУНКЦИИ";
    std::string delay = "ЗАПАЗДЫВАНИЕ ";
    std::string seconds = " секунд";
};

const FixedTexts& Texts()
{
    static const FixedTexts texts;
    return texts;
}

} // namespace

const std::string& PlotHeading()
{
    static const std::string text = "АМПЛИТУДНО -ФАЗОВАЯ  ЧАСТОТНАЯ   ХАРАКТЕРИСТИКА";
    return text;
}

Rgb VariantColor(int i)
{
    const int count = static_cast<int>(VariantColors.size());
    return VariantColors[static_cast<std::size_t>(((i - 1) % count + count) % count)];
}

int DeviceCoordinate(Extended x)
{
    if (std::isnan(x))
        return 0;
    // lrint rounds in the current mode, which the program never leaves: to nearest, ties to
    // even. It is nearbyint and the conversion in one instruction; a curve has 200 points.
    return static_cast<int>(std::lrint(std::clamp(x, -kCoordinateLimit, kCoordinateLimit)));
}

std::optional<DevicePoint> CurvePoint(const ResponsePoint& point, const PlotFields& fields,
                                      DevicePoint origin)
{
    Extended dx = point.U / fields.PlotScale;
    Extended dy = point.V * fields.YStretch / fields.PlotScale;
    if (std::isnan(dx) || std::isnan(dy))
        return std::nullopt;
    PullInside(dx, dy);
    return DevicePoint{origin.x + DeviceCoordinate(dx), origin.y - DeviceCoordinate(dy)};
}

PlotFields ScreenPlotFields()
{
    PlotFields fields;
    fields.PlotScale = 0.01;
    fields.YStretch = 1.1;
    UpdateUnitLengths(fields);
    return fields;
}

DevicePoint ScreenPlotOrigin()
{
    return {DeviceCoordinate(kGraphClientWidth / 2.0L),
            DeviceCoordinate(kGraphClientHeight / 2.0L)};
}

void UpdateUnitLengths(PlotFields& fields)
{
    fields.PixelsPerUnitX = DeviceCoordinate(1.0L / fields.PlotScale);
    fields.PixelsPerUnitY = DeviceCoordinate(Extended{fields.YStretch} / fields.PlotScale);
}

std::vector<std::string> CoefficientEntries(const TransferFunction& variant, char letter)
{
    const bool denominator = letter == 'A';
    const auto& coefficients = denominator ? variant.A : variant.B;
    std::vector<std::string> entries;
    for (int k = denominator ? variant.DenominatorDegree : variant.NumeratorDegree; k >= 0; --k)
        entries.push_back(CoefficientLabel(static_cast<std::uint8_t>(k), letter) + "=" +
                          FormatNumber(coefficients.at(static_cast<std::size_t>(k))) + " ");
    return entries;
}

std::string DelayEntry(const TransferFunction& variant)
{
    return Texts().delay + DelaySecondsText(variant.Delay) + Texts().seconds;
}

CoefficientTexts MakeCoefficientTexts(const TransferFunction& variant)
{
    CoefficientTexts texts;
    for (const std::string& entry : CoefficientEntries(variant, 'A'))
        texts.Denominator += entry;
    for (const std::string& entry : CoefficientEntries(variant, 'B'))
        texts.Numerator += entry;
    texts.Delay = DelayEntry(variant);
    return texts;
}

void BuildCoefficientTexts(Assignment& assignment)
{
    assignment.Texts = assignment.VariantCount > 0
                           ? MakeCoefficientTexts(assignment.Variants.at(assignment.VariantCount))
                           : CoefficientTexts{};
}

void DrawPhaseMark(Surface& surface, const PlotFields& fields, DevicePoint origin, int degrees)
{
    const Extended angle = degrees * std::numbers::pi_v<Extended> / 180;
    const Extended cosine = std::cos(angle);
    const Extended sine = std::sin(angle);
    const Extended px = fields.PixelsPerUnitX;
    const Extended py = fields.PixelsPerUnitY;
    Segment(surface, DeviceCoordinate(origin.x - cosine * (px - 5)),
            DeviceCoordinate(origin.y + sine * (py - 5)),
            DeviceCoordinate(origin.x - cosine * (px + 5)),
            DeviceCoordinate(origin.y + sine * (py + 5)));
}

int LabelOffset(const SurfaceRules& rules, int designed)
{
    return DeviceCoordinate(designed * Extended{rules.LabelOffsetScale});
}

void DrawPictureElements(Surface& surface, const PlotFields& fields, const SurfaceRules& rules,
                         DevicePoint origin, const Assignment& assignment)
{
    const int ox = origin.x;
    const int oy = origin.y;
    const int px = fields.PixelsPerUnitX;
    const int py = fields.PixelsPerUnitY;

    const auto labelOffset = [&rules](int designed) { return LabelOffset(rules, designed); };

    surface.SetPen(1, kBlack);
    for (int i = -3; i <= 3; ++i) {
        Segment(surface, ox + i * px, oy - 5, ox + i * px, oy + 5);
        surface.TextOut(ox + i * px - labelOffset(5), oy - labelOffset(15), IntegerText(i));
    }
    for (int j = -2; j <= 2; ++j) {
        Segment(surface, ox - 5, oy + j * py, ox + 5, oy + j * py);
        surface.TextOut(ox + labelOffset(15), oy + j * py - labelOffset(5), IntegerText(-j));
    }
    Segment(surface, ox, rules.VerticalAxisTop, ox, rules.VerticalAxisEnd);
    Segment(surface, 0, oy, rules.HorizontalAxisEnd, oy);

    surface.SetPen(1, kBlack);
    surface.Arc(ox - px, oy - py, ox + px, oy + py, ox, oy - py, ox, oy - py);

    for (int degrees : {10, 20, 30})
        DrawPhaseMark(surface, fields, origin, degrees);
    for (int degrees = 60; degrees <= 360; degrees += 30)
        DrawPhaseMark(surface, fields, origin, degrees);

    for (int i = 1; i <= assignment.VariantCount; ++i) {
        surface.SetPen(1, VariantColor(i));
        DrawCurve(surface, fields,
                  assignment.Variants.at(static_cast<std::size_t>(i)).ResponseArrays, rules,
                  origin);
    }
}

DevicePoint DrawPlot(Surface& surface, PlotFields& fields, const Assignment& assignment,
                     std::string_view surname, bool clipCurves)
{
    fields = ScreenPlotFields();
    const DevicePoint origin = ScreenPlotOrigin();
    const std::uint8_t count = assignment.VariantCount;

    surface.SetFontSize(15);
    surface.TextOut(20, 20, std::string(surname) + Texts().variants + IntegerText(count));
    surface.TextOut(20, 1, PlotHeading());
    surface.TextOut(20, 40, Texts().numeratorHeading);
    surface.TextOut(20, 80, Texts().denominatorHeading);

    surface.SetFontSize(10);
    surface.TextOut(20, 60, assignment.Texts.Numerator);
    surface.TextOut(20, 100, assignment.Texts.Denominator);
    if (count > 0 && assignment.Variants.at(count).Delay > kShownDelayThreshold)
        surface.TextOut(20, 150, assignment.Texts.Delay);

    SurfaceRules rules{450, 800, false};
    rules.ClipCurves = clipCurves;
    DrawPictureElements(surface, fields, rules, origin, assignment);
    return origin;
}

} // namespace nirdal
