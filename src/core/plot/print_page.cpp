// SPDX-License-Identifier: MIT
#include "core/plot/print_page.h"

#include "core/numtext/numtext.h"

#include <algorithm>
#include <cmath>

namespace nirdal {

namespace {

// The factor by which the page picture is larger than the screen one.
double PrintMagnification(double plotScale)
{
    return static_cast<double>(0.01L / plotScale);
}

// nearest(size · M / 2) for one side of the graph window's client area.
Extended PageOrigin(int clientSize, double magnification)
{
    return std::nearbyint(clientSize * Extended{magnification} / 2);
}

std::uint16_t ToOrigin(Extended origin)
{
    return static_cast<std::uint16_t>(std::clamp(DeviceCoordinate(origin), 0, 65535));
}

constexpr int kTextLeft = 20;
constexpr int kHeadingTop = 5;
constexpr int kSurnameTop = 30;
// Continued summary lines start this much further right.
constexpr std::string_view kContinuationIndent = "    ";
// Line spacing of the 10-point texts on the screen, for which the tick labels' distances from
// the axes were chosen.
constexpr double kScreenLineSpacing = 16;

// The top of the highest tick label and the bottom of the lowest, labels being lineSpacing
// high: the horizontal axis's labels stand above it, the vertical axis's reach two units up
// and two units down.
int TopmostLabel(const SurfaceRules& rules, const PlotFields& fields, int originY)
{
    return originY -
           std::max(LabelOffset(rules, 15), 2 * fields.PixelsPerUnitY + LabelOffset(rules, 5));
}

int LowestLabelBottom(const SurfaceRules& rules, const PlotFields& fields, int originY,
                      int lineSpacing)
{
    return originY + lineSpacing +
           std::max(-LabelOffset(rules, 15), 2 * fields.PixelsPerUnitY - LabelOffset(rules, 5));
}

// The entries gathered into lines: the first no wider than firstWidth, the others no wider
// than otherWidth. An entry wider than its line still gets one of its own.
std::vector<std::string> BreakBetweenEntries(Surface& page, const std::vector<std::string>& entries,
                                             int firstWidth, int otherWidth)
{
    std::vector<std::string> lines;
    std::string line;
    for (const std::string& entry : entries) {
        const int width = lines.empty() ? firstWidth : otherWidth;
        if (!line.empty() && page.MeasureText(line + entry).Width > width) {
            lines.push_back(std::move(line));
            line.clear();
        }
        line += entry;
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

} // namespace

std::vector<std::string> VariantSummaryEntries(const Assignment& assignment, int i)
{
    const TransferFunction& variant = assignment.Variants.at(static_cast<std::size_t>(i));
    std::vector<std::string> entries = CoefficientEntries(variant, 'A');
    for (std::string& entry : CoefficientEntries(variant, 'B'))
        entries.push_back(std::move(entry));
    entries.push_back(DelayEntry(variant));
    return entries;
}

std::string VariantSummaryLine(const Assignment& assignment, int i)
{
    std::string line;
    for (const std::string& entry : VariantSummaryEntries(assignment, i))
        line += entry;
    return line;
}

DeviceSize A4Sheet(int dotsPerInch)
{
    const auto dots = [dotsPerInch](int millimetres) {
        return static_cast<int>(std::lround(millimetres * dotsPerInch / 25.4));
    };
    return {dots(210), dots(297)};
}

PrintedPage DrawPrintPage(PageSurface& page, PlotFields& fields, const Assignment& assignment,
                          std::string_view surname, bool clipCurves)
{
    fields.YStretch = 1.0;
    UpdateUnitLengths(fields);
    const double magnification = PrintMagnification(fields.PlotScale);
    DevicePoint origin{ToOrigin(PageOrigin(kGraphClientWidth, magnification)),
                       ToOrigin(PageOrigin(kGraphClientHeight, magnification))};

    page.SetFontSize(10);
    const int lineSpacing = page.MeasureText(PlotHeading()).LineSpacing;
    SurfaceRules rules{DeviceCoordinate(std::trunc(4.5L / fields.PlotScale)),
                       DeviceCoordinate(std::trunc(8.0L / fields.PlotScale)), true};
    rules.ClipCurves = clipCurves;
    int surnameTop = kSurnameTop;
    int pitch = kSummaryLinePitch;
    // The lines hang below the picture from the horizontal origin coordinate.
    int lineTop = origin.x + fields.PixelsPerUnitX + kSummaryLinePitch;
    if (lineSpacing > kSummaryLinePitch) {
        rules.LabelOffsetScale = lineSpacing / kScreenLineSpacing;
        surnameTop = kHeadingTop + lineSpacing;
        pitch = lineSpacing;
        const int pictureTop =
            std::max(0, surnameTop + lineSpacing - TopmostLabel(rules, fields, origin.y));
        origin.y = ToOrigin(static_cast<Extended>(origin.y + pictureTop));
        rules.VerticalAxisTop = pictureTop;
        rules.VerticalAxisEnd += pictureTop;
        lineTop =
            std::max(lineTop + pictureTop, LowestLabelBottom(rules, fields, origin.y, lineSpacing));
    }

    page.TextOut(kTextLeft, surnameTop, surname);
    page.TextOut(kTextLeft, kHeadingTop, PlotHeading());
    DrawPictureElements(page, fields, rules, origin, assignment);

    PrintedPage printed{
        1, rules.HorizontalAxisEnd, rules.VerticalAxisEnd,
        std::max(rules.VerticalAxisEnd, LowestLabelBottom(rules, fields, origin.y, lineSpacing)),
        origin};
    const DeviceSize area = page.PrintableArea();
    const int indent = page.MeasureText(kContinuationIndent).Width;
    const int width = area.Width - kTextLeft;
    for (int i = 1; i <= assignment.VariantCount; ++i) {
        const std::vector<std::string> lines =
            BreakBetweenEntries(page, VariantSummaryEntries(assignment, i), width, width - indent);
        for (std::size_t k = 0; k < lines.size(); ++k) {
            // A fresh sheet takes a line even where it is shorter than one.
            if (lineTop > area.Height - lineSpacing && lineTop > kHeadingTop) {
                page.NewPage();
                ++printed.Sheets;
                lineTop = kHeadingTop;
            }
            page.TextOut(kTextLeft + (k == 0 ? 0 : indent), lineTop, lines[k]);
            // The lines go down a sheet: the last one drawn is the lowest, but on the first
            // sheet the picture may reach lower.
            const int lineBottom = lineTop + lineSpacing;
            printed.LastSheetBottom = printed.Sheets == 1
                                          ? std::max(printed.LastSheetBottom, lineBottom)
                                          : lineBottom;
            lineTop += pitch;
        }
    }
    return printed;
}

std::optional<std::string> SetDotsPerUnit(PlotFields& fields, Extended dotsPerUnit)
{
    if (dotsPerUnit == 0)
        return std::string("Деление на ноль: число точек на единицу должно быть больше нуля.");
    if (std::isnan(dotsPerUnit) || dotsPerUnit < 0)
        return std::string("Число точек на единицу должно быть больше нуля.");

    const double plotScale = static_cast<double>(1.0L / dotsPerUnit);
    if (!(plotScale > 0) || PageOrigin(kGraphClientWidth, PrintMagnification(plotScale)) > 65535)
        return "Число точек на единицу слишком велико: наибольшее допустимое — " +
               IntegerText(kMaxDotsPerUnit) + ".";
    if (std::nearbyint(1.0L / plotScale) < 1)
        return "Число точек на единицу слишком мало: единица графика короче одной точки.";
    fields.PlotScale = plotScale;
    return std::nullopt;
}

} // namespace nirdal
