// SPDX-License-Identifier: MIT
#include "core/plot/plot.h"
#include "printing/print_service.h"
#include "printing/printer_resolution.h"

#include <QGuiApplication>
#include <QPrinterInfo>

#include <gtest/gtest.h>

namespace nirdal {
namespace {

class PrintServiceTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "print-tests";
        static char* argv[] = {name, nullptr};
        static QGuiApplication application(argc, argv);
    }

    bool drawn = false;
    PageDrawing draw = [this](PageSurface&) { drawn = true; };
    QString error;
};

TEST_F(PrintServiceTest, MissingPrinterIsAnErrorAndNothingIsDrawn)
{
    for (const QPrinterInfo& printer :
         {QPrinterInfo(), QPrinterInfo::printerInfo("nirdal-no-such-printer")}) {
        error.clear();
        EXPECT_FALSE(PrintPage(printer, draw, error));
        EXPECT_TRUE(error.contains(QString::fromUtf8("не напечатана"))) << error.toStdString();
        EXPECT_FALSE(drawn);
    }
}

TEST_F(PrintServiceTest, WithoutDefaultPrinterPrintPlotChangesNothing)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "this machine has a default printer; nothing is printed by the tests";
    Assignment assignment;
    assignment.Variants.assign(1, TransferFunction{});
    PlotFields fields;
    fields.PlotScale = 1.0 / 300;
    const PlotFields before = fields;

    EXPECT_FALSE(PrintPlot(fields, assignment, "", error));
    EXPECT_TRUE(error.contains(QString::fromUtf8("Принтер по умолчанию"))) << error.toStdString();
    EXPECT_EQ(fields.PlotScale, before.PlotScale);
    EXPECT_EQ(fields.YStretch, before.YStretch);
    EXPECT_EQ(fields.PixelsPerUnitX, before.PixelsPerUnitX);
}

TEST(PrinterResolution, PpdResolutionsInDotsPerInch)
{
    struct Case
    {
        const char* text;
        int dotsPerInch;
    };
    for (const Case c : {Case{"300dpi", 300}, Case{" 600dpi\r\n", 600}, Case{"600x300dpi", 600},
                         Case{"1200x1200dpi", 1200}, Case{"118dpcm", 300}, // 118 · 2.54 = 299.7
                         Case{"dpi", 0}, Case{"300", 0}, Case{"-300dpi", 0}, Case{"300 dpi", 0},
                         Case{"10dpi", 0}, Case{"99999dpi", 0}, Case{"", 0}})
        EXPECT_EQ(ParsePpdResolution(QString::fromLatin1(c.text)), c.dotsPerInch) << c.text;
}

TEST_F(PrintServiceTest, APrinterNobodyKnowsDeclaresNoResolution)
{
    EXPECT_EQ(DeclaredPrinterResolution(QStringLiteral("nirdal-no-such-printer")), 0);
    EXPECT_EQ(DeclaredPrinterResolution(QString()), 0);
    EXPECT_EQ(PrinterDotsPerInch(QStringLiteral("nirdal-no-such-printer")), 300);
}

} // namespace
} // namespace nirdal
