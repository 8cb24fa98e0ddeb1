// SPDX-License-Identifier: MIT
#include "core/common/recording_surface.h"
#include "core/plot/plot.h"
#include "core/plot/print_page.h"
#include "export/picture_file.h"
#include "export/whole_device.h"
#include "qtdraw/qt_application.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace nirdal {
namespace {

class PictureFileTest : public testing::Test
{
protected:
    void SetUp() override
    {
        TestApplication();
        ASSERT_TRUE(directory.isValid());
        assignment.Variants.assign(1, TransferFunction{});
        assignment.VariantCount = 1;
        PrepareVariantSlot(assignment, 1);
        for (int k = kFirstSlot; k <= kLastSlot; ++k)
            assignment.Variants[1].ResponseArrays[k] = {0, 1 - k / 100.0L, -k / 100.0L};
    }

    QString Path(const char* name) const { return directory.filePath(name); }
    std::filesystem::path FilePath(const char* name) const { return LocalFilePath(Path(name)); }

    QByteArray Start(const QString& path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.read(16) : QByteArray();
    }

    QTemporaryDir directory;
    Assignment assignment;
    RecordingSurface recording;
    PlotFields fields;
    QString error;
};

TEST_F(PictureFileTest, ScreenPictureInEachFormat)
{
    DrawPlot(recording, fields, assignment, "");
    ASSERT_TRUE(WriteScreenPicture(FilePath("plot.PNG"), recording.ops(), error))
        << error.toStdString();
    const QImage image(Path("plot.PNG"));
    EXPECT_EQ(image.size(), QSize(kGraphClientWidth, kGraphClientHeight));
    EXPECT_EQ(image.pixel(375, 225), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(740, 440), qRgb(255, 255, 255));

    ASSERT_TRUE(WriteScreenPicture(FilePath("plot.svg"), recording.ops(), error));
    EXPECT_TRUE(Start(Path("plot.svg")).startsWith("<?xml"));
    ASSERT_TRUE(WriteScreenPicture(FilePath("plot.pdf"), recording.ops(), error));
    EXPECT_TRUE(Start(Path("plot.pdf")).startsWith("%PDF"));
}

// A picture of any size: a line from (10, 20) to (290, 20) on a 300 × 40 image.
TEST_F(PictureFileTest, PictureOfAnySize)
{
    recording.MoveTo(10, 20);
    recording.LineTo(290, 20);
    ASSERT_TRUE(WritePicture(FilePath("any.png"), recording.ops(), QSize(300, 40), error))
        << error.toStdString();
    const QImage image(Path("any.png"));
    EXPECT_EQ(image.size(), QSize(300, 40));
    EXPECT_EQ(image.pixel(150, 20), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(150, 30), qRgb(255, 255, 255));
    ASSERT_TRUE(WritePicture(FilePath("any.svg"), recording.ops(), QSize(300, 40), error));
    EXPECT_TRUE(Start(Path("any.svg")).startsWith("<?xml"));
    EXPECT_FALSE(WritePicture(FilePath("any.gif"), recording.ops(), QSize(300, 40), error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(PictureFileTest, PageImageTakesInAxesAndSummaryLines)
{
    ASSERT_EQ(SetDotsPerUnit(fields, 100), std::nullopt);
    const PrintedPage page = DrawPrintPage(recording, fields, assignment, "");
    ASSERT_TRUE(WritePagePicture(FilePath("page.png"), recording.ops(),
                                 QPoint(page.AxesRight, page.AxesBottom), kPageDotsPerInch,
                                 error));
    const QImage image(Path("page.png"));
    EXPECT_GE(image.width(), 800);
    EXPECT_GT(image.height(), 496 + 30); // the summary line at 496 in 10 points at 300 per inch
    EXPECT_EQ(image.pixel(375, 225), qRgb(0, 0, 0));
}

TEST_F(PictureFileTest, PagePdfIsOneA4Page)
{
    ASSERT_EQ(SetDotsPerUnit(fields, 300), std::nullopt);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WritePagePdf(buffer, [&](PageSurface& page) { DrawPrintPage(page, fields, assignment, ""); });
    EXPECT_TRUE(buffer.data().startsWith("%PDF"));
    EXPECT_EQ(buffer.data().count("/Type /Page\n"), 1);
    EXPECT_TRUE(buffer.data().contains("/MediaBox [0 0 595"));
}

TEST_F(PictureFileTest, RefusesWhatItCannotWrite)
{
    DrawPlot(recording, fields, assignment, "");
    EXPECT_FALSE(WriteScreenPicture(FilePath("plot.bmp"), recording.ops(), error));
    EXPECT_TRUE(error.contains(".png, .svg or .pdf"));
    error.clear();
    EXPECT_FALSE(WriteScreenPicture(FilePath("missing/plot.png"), recording.ops(), error));
    EXPECT_TRUE(error.startsWith("cannot write")) << error.toStdString();

    // A page at the largest gain is far too large for an image; SVG stays possible.
    ASSERT_EQ(SetDotsPerUnit(fields, kMaxDotsPerUnit), std::nullopt);
    recording.clear();
    const PrintedPage page = DrawPrintPage(recording, fields, assignment, "");
    const QPoint axesEnd(page.AxesRight, page.AxesBottom);
    EXPECT_FALSE(
        WritePagePicture(FilePath("huge.png"), recording.ops(), axesEnd, kPageDotsPerInch, error));
    EXPECT_TRUE(error.contains("too large")) << error.toStdString();
    EXPECT_FALSE(QFile::exists(Path("huge.png")));
    EXPECT_TRUE(
        WritePagePicture(FilePath("huge.svg"), recording.ops(), axesEnd, kPageDotsPerInch, error));
}

} // namespace
} // namespace nirdal
