#include "core/plot/plot.h"
#include "printing/print_service.h"

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
    std::function<void(Surface&)> draw = [this](Surface&) { drawn = true; };
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
    Variants.assign(1, TransferFunction{});
    VariantCount = 0;
    PlotFields fields;
    fields.PlotScale = 1.0 / 300;
    const PlotFields before = fields;
    PlotOriginX = 375;
    PlotOriginY = 225;

    EXPECT_FALSE(PrintPlot(fields, "", error));
    EXPECT_TRUE(error.contains(QString::fromUtf8("Принтер по умолчанию"))) << error.toStdString();
    EXPECT_EQ(fields.PlotScale, before.PlotScale);
    EXPECT_EQ(fields.YStretch, before.YStretch);
    EXPECT_EQ(fields.PixelsPerUnitX, before.PixelsPerUnitX);
    EXPECT_EQ(PlotOriginX, 375);
    EXPECT_EQ(PlotOriginY, 225);
}

} // namespace
} // namespace nirdal
