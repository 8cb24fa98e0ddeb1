// SPDX-License-Identifier: MIT
#include "qtdraw/image_surface.h"
#include "qtdraw/qt_application.h"

#include <QImage>

#include <gtest/gtest.h>

namespace nirdal {
namespace {

const QColor kBackground{0xA6, 0xCA, 0xF0};
constexpr Rgb kRed{255, 0, 0};

class ImageSurfaceTest : public testing::Test
{
protected:
    void SetUp() override { TestApplication(); }

    static ImageSurface Make(bool opaque)
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        return ImageSurface(QSize(200, 100), 1.0, kBackground, font, Qt::black, opaque);
    }
};

TEST_F(ImageSurfaceTest, DrawingGoesOnAfterEndWithTheSamePenAndPosition)
{
    ImageSurface surface = Make(false);
    EXPECT_EQ(surface.Image().pixelColor(5, 5), kBackground);
    surface.SetPen(1, kRed);
    surface.MoveTo(10, 50);
    surface.LineTo(60, 50);
    surface.End();
    surface.LineTo(60, 90); // from (60, 50), in red
    const QImage& image = surface.Image();
    EXPECT_EQ(image.pixelColor(30, 50), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(60, 70), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(30, 70), kBackground);
}

TEST_F(ImageSurfaceTest, OpaqueTextReplacesWhatLayUnderItsBox)
{
    for (bool opaque : {false, true}) {
        ImageSurface surface = Make(opaque);
        surface.SetPen(1, kRed);
        surface.MoveTo(0, 15);
        surface.LineTo(199, 15);
        surface.TextOut(10, 10, "    "); // blanks: only the box, no ink
        const QImage& image = surface.Image();
        EXPECT_EQ(image.pixelColor(12, 15), opaque ? kBackground : QColor(Qt::red)) << opaque;
        EXPECT_EQ(image.pixelColor(150, 15), QColor(Qt::red)) << opaque;
    }
}

TEST_F(ImageSurfaceTest, ClearFillsTheBackgroundAgain)
{
    ImageSurface surface = Make(false);
    surface.TextOut(10, 10, "8888");
    int inked = 0;
    for (int x = 10; x < 40; ++x)
        for (int y = 10; y < 25; ++y)
            inked += surface.Image().pixelColor(x, y) != kBackground;
    EXPECT_GT(inked, 10);
    surface.Clear();
    for (int x = 10; x < 40; ++x)
        for (int y = 10; y < 25; ++y)
            ASSERT_EQ(surface.Image().pixelColor(x, y), kBackground);
}

TEST_F(ImageSurfaceTest, ReleaseLetsGoOfTheImageAndDrawingStartsAfresh)
{
    ImageSurface surface = Make(false);
    surface.SetPen(1, kRed);
    surface.MoveTo(10, 50);
    surface.LineTo(60, 50);
    QImage kept = surface.Image(); // shares the surface's pixels while the surface holds them
    EXPECT_FALSE(kept.isDetached());
    surface.Release();
    EXPECT_TRUE(kept.isDetached()); // the surface no longer holds them
    EXPECT_EQ(kept.pixelColor(30, 50), QColor(Qt::red));
    // The next drawing starts from a cleared image, with the red pen from (60, 50).
    surface.LineTo(60, 90);
    const QImage& image = surface.Image();
    EXPECT_EQ(image.pixelColor(30, 50), kBackground);
    EXPECT_EQ(image.pixelColor(60, 70), QColor(Qt::red));
    EXPECT_EQ(image.size(), QSize(200, 100));
}

} // namespace
} // namespace nirdal
