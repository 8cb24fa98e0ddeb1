#include "core/plot/print_page.h"

#include "core/numtext/numtext.h"
#include "platform/text_encoding.h"

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

} // namespace

std::string VariantSummaryLine(int i)
{
    const CoefficientTexts texts = MakeCoefficientTexts(Variants.at(static_cast<std::size_t>(i)));
    return texts.Denominator + texts.Numerator + texts.Delay;
}

SurfaceRules PageRules(const PlotFields& fields)
{
    return {DeviceCoordinate(std::trunc(4.5L / fields.PlotScale)),
            DeviceCoordinate(std::trunc(8.0L / fields.PlotScale)), true};
}

void DrawPrintPage(Surface& page, PlotFields& fields, std::string_view surname)
{
    fields.YStretch = 1.0;
    UpdateUnitLengths(fields);
    const double magnification = PrintMagnification(fields.PlotScale);
    PlotOriginX = ToOrigin(PageOrigin(kGraphClientWidth, magnification));
    PlotOriginY = ToOrigin(PageOrigin(kGraphClientHeight, magnification));

    page.SetFontSize(10);
    page.TextOut(20, 30, surname);
    page.TextOut(20, 5, PlotHeading());

    DrawPictureElements(page, fields, PageRules(fields));

    // The lines hang below the picture from the horizontal origin coordinate, 21 dots apart.
    for (int i = 1; i <= VariantCount; ++i)
        page.TextOut(20, PlotOriginX + fields.PixelsPerUnitX + 21 * i, VariantSummaryLine(i));
}

std::optional<std::string> SetDotsPerUnit(PlotFields& fields, Extended dotsPerUnit)
{
    if (dotsPerUnit == 0)
        return Utf8ToCp1251("Деление на ноль: число точек на единицу должно быть больше нуля.");
    if (std::isnan(dotsPerUnit) || dotsPerUnit < 0)
        return Utf8ToCp1251("Число точек на единицу должно быть больше нуля.");

    const double plotScale = static_cast<double>(1.0L / dotsPerUnit);
    if (!(plotScale > 0) || PageOrigin(kGraphClientWidth, PrintMagnification(plotScale)) > 65535)
        return Utf8ToCp1251("Число точек на единицу слишком велико: наибольшее допустимое — ") +
               IntegerText(kMaxDotsPerUnit) + ".";
    if (std::nearbyint(1.0L / plotScale) < 1)
        return Utf8ToCp1251("Число точек на единицу слишком мало: единица графика короче "
                            "одной точки.");
    fields.PlotScale = plotScale;
    return std::nullopt;
}

} // namespace nirdal
