// SPDX-License-Identifier: MIT
#include "core/plot/plot.h"
#include "qtdraw/painter_surface.h"
#include "qtdraw/qt_application.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

namespace nirdal {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

class PainterSurfaceTest : public testing::Test
{
protected:
    void SetUp() override
    {
        TestApplication();
        image.fill(Qt::white);
        assignment.Variants.assign(1, TransferFunction{});
        assignment.VariantCount = 0;
    }

    // Runs draw on a fresh painter and surface over the image.
    template <typename Draw> void Paint(Draw draw)
    {
        QPainter painter(&image);
        painter.setFont(QFont("DejaVu Sans"));
        PainterSurface surface(painter);
        draw(surface);
    }

    bool AnyPixelNear(int x, int y, QRgb colour, int reach = 1) const
    {
        for (int dy = -reach; dy <= reach; ++dy) {
            for (int dx = -reach; dx <= reach; ++dx) {
                if (image.pixel(x + dx, y + dy) == colour)
                    return true;
            }
        }
        return false;
    }

    bool RowIsWhite(int y, int x1, int x2) const
    {
        for (int x = x1; x <= x2; ++x) {
            if (image.pixel(x, y) != kWhite)
                return false;
        }
        return true;
    }

    QImage image{kGraphClientWidth, kGraphClientHeight, QImage::Format_RGB32};
    Assignment assignment;
};

TEST_F(PainterSurfaceTest, ScreenPictureShowsAxesAndTheFirstCurve)
{
    ++assignment.VariantCount;
    PrepareVariantSlot(assignment, 1);
    ResponseArrays& points = assignment.Variants[1].ResponseArrays;
    points[1] = {0, -2, -1.5L};
    for (int k = 2; k <= kLastSlot; ++k)
        points[k] = {0, -1.5L, -1.5L};
    PlotFields fields;
    Paint([&](Surface& surface) { DrawPlot(surface, fields, assignment, ""); });

    EXPECT_EQ(image.pixel(375, 225), qRgb(0, 0, 0));   // the axes cross at the origin
    EXPECT_EQ(image.pixel(375, 420), qRgb(0, 0, 0));   // vertical axis
    EXPECT_EQ(image.pixel(720, 225), qRgb(0, 0, 0));   // horizontal axis
    EXPECT_EQ(image.pixel(200, 390), qRgb(128, 0, 0)); // from (175, 390) to (225, 390)
    EXPECT_EQ(image.pixel(200, 380), kWhite);
    EXPECT_TRUE(AnyPixelNear(446, 147, qRgb(0, 0, 0))); // unit circle at 45 degrees
}

TEST_F(PainterSurfaceTest, TextHangsBelowItsPointInTheTextColour)
{
    Paint([](Surface& surface) {
        surface.SetPen(1, {255, 0, 0});
        surface.SetFontSize(15);
        surface.TextOut(100, 100, "ЖЖЖ");
    });
    EXPECT_TRUE(RowIsWhite(99, 90, 200));
    int darkPixels = 0;
    int redPixels = 0;
    for (int y = 100; y < 125; ++y) {
        for (int x = 100; x < 200; ++x) {
            const QRgb pixel = image.pixel(x, y);
            darkPixels += qRed(pixel) < 64 && qGreen(pixel) < 64;
            redPixels += qRed(pixel) > 128 && qGreen(pixel) < 64;
        }
    }
    EXPECT_GT(darkPixels, 50);
    EXPECT_EQ(redPixels, 0);
}

TEST_F(PainterSurfaceTest, ArcRunsCounterClockwiseBetweenRays)
{
    // From the ray to the right round to the ray upward: the upper right quarter only.
    Paint([](Surface& surface) {
        surface.SetPen(1, {0, 0, 255});
        surface.Arc(100, 100, 300, 200, 400, 150, 200, 0);
    });
    const QRgb blue = qRgb(0, 0, 255);
    EXPECT_TRUE(AnyPixelNear(271, 115, blue)); // 45 degrees on the ellipse's parameter
    EXPECT_FALSE(AnyPixelNear(129, 115, blue, 3));
    EXPECT_FALSE(AnyPixelNear(271, 185, blue, 3));

    image.fill(Qt::white);
    Paint([](Surface& surface) { surface.Arc(100, 100, 300, 200, 200, 100, 200, 100); });
    for (auto [x, y] : {std::pair{271, 115}, {129, 115}, {129, 185}, {271, 185}})
        EXPECT_TRUE(AnyPixelNear(x, y, qRgb(0, 0, 0))) << x << "," << y;
}

TEST_F(PainterSurfaceTest, FarLineKeepsItsDirection)
{
    Paint([](Surface& surface) {
        surface.SetPen(1, {0, 128, 0});
        surface.MoveTo(375, 225);
        surface.LineTo(375 + 100'000'000, 225 - 55'000'000);
    });
    EXPECT_TRUE(AnyPixelNear(475, 170, qRgb(0, 128, 0))); // slope 0.55
    EXPECT_TRUE(AnyPixelNear(675, 60, qRgb(0, 128, 0)));
}

TEST_F(PainterSurfaceTest, MeasuresTextAtTheDevicesResolution)
{
    // 10 points at 300 dots per inch are 41.7 dots; DejaVu Sans sets its lines 1.164 em
    // apart and its digits 0.636 em wide: 48.5 and 26.5 dots.
    image.setDotsPerMeterX(11811);
    image.setDotsPerMeterY(11811);
    TextExtent digits;
    TextExtent empty;
    Paint([&](Surface& surface) {
        surface.SetFontSize(10);
        digits = surface.MeasureText("0000000000");
        empty = surface.MeasureText("");
    });
    EXPECT_NEAR(digits.LineSpacing, 48.5, 1.5);
    EXPECT_NEAR(digits.Width, 265, 5);
    EXPECT_EQ(empty.Width, 0);
    EXPECT_EQ(empty.LineSpacing, digits.LineSpacing);
}

TEST_F(PainterSurfaceTest, PdfWriterGetsAFreshSheetAndAnImageStaysOne)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(300);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&pdf);
        PainterSurface sheets(painter);
        // A4 at 300 dots per inch, 8.27 × 11.69 in.
        EXPECT_NEAR(sheets.PrintableArea().Width, 2480, 2);
        EXPECT_NEAR(sheets.PrintableArea().Height, 3508, 2);
        sheets.TextOut(20, 5, "1");
        sheets.NewPage();
        sheets.TextOut(20, 5, "2");
    }
    EXPECT_EQ(buffer.data().count("/Type /Page\n"), 2);

    Paint([&](PageSurface& surface) {
        EXPECT_EQ(surface.PrintableArea(), (DeviceSize{kGraphClientWidth, kGraphClientHeight}));
        surface.NewPage(); // nothing on an image
        surface.MoveTo(10, 10);
        surface.LineTo(20, 10);
    });
    EXPECT_TRUE(AnyPixelNear(15, 10, qRgb(0, 0, 0)));
}

} // namespace
} // namespace nirdal
