// SPDX-License-Identifier: MIT
#include "qtdraw/qt_application.h"
#include "support/command.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace nirdal {
namespace {

using test_support::CommandResult;

CommandResult Capture(const std::string& command)
{
    return test_support::RunCommand(command);
}

using test_support::RunCli;

bool HasLine(const std::string& output, const std::string& line)
{
    return ("\n" + output).find("\n" + line + "\n") != std::string::npos;
}

TEST(PlotCommand, OpsListTheScreenPicture)
{
    const CommandResult run =
        RunCli("plot --tf 1:1,1 --tf 1:1,4,6,4,1:0.5 --surname 'Сидоров' --ops");
    ASSERT_EQ(run.status, 0);
    for (const char* line :
         {"font 15", "text 20 20 Сидоров вариантов:2", "text 20 150 ЗАПАЗДЫВАНИЕ 0,500 секунд",
          "move 75 220", "line 675 230", "move 370 5", "line 380 445", "move 375 0", "line 375 450",
          "move 0 225", "line 800 225", "arc 275 115 475 335 375 115 375 115", "pen 1 #800000",
          "pen 1 #008000"})
        EXPECT_TRUE(HasLine(run.output, line)) << line;
}

TEST(PlotCommand, OpsListThePage)
{
    // At 100 dots per inch 10-point text (a nominal 17 dots a line) fits the page's design.
    CommandResult run = RunCli("plot --tf 1:1,1 --tf 1:1,1 --paper 100 --dpi 100 --ops");
    ASSERT_EQ(run.status, 0);
    for (const char* line :
         {"font 10", "text 20 30 ", "move 375 0", "line 375 449", "line 799 225",
          "text 20 496 A1  =1.00 A0  =1.00 B0  =1.00 ЗАПАЗДЫВАНИЕ 0,000 секунд",
          "text 20 517 A1  =1.00 A0  =1.00 B0  =1.00 ЗАПАЗДЫВАНИЕ 0,000 секунд"})
        EXPECT_TRUE(HasLine(run.output, line)) << line;
    // The laser preset's lines lie below an A4 sheet of 1169 such dots: the next sheet.
    run = RunCli("plot --tf 1:1,1 --paper 300 --dpi 100 --ops");
    EXPECT_TRUE(HasLine(run.output, "page"));
    EXPECT_TRUE(HasLine(run.output,
                        "text 20 5 A1  =1.00 A0  =1.00 B0  =1.00 ЗАПАЗДЫВАНИЕ 0,000 секунд"));

    // At the default 300 a line is ceil(1.17 · 41.67) = 49 dots: the surname goes to 5 + 49,
    // the labels' offsets grow by 49 / 16, so the top label "2" stands at 675 - 600 - 15 =
    // 60 and the picture moves down by 5 + 2 · 49 - 60 = 43 dots; the lines start at
    // 1125 + 300 + 21 + 43 and follow 49 dots apart.
    run = RunCli("plot --tf 1:1,1 --tf 1:1,1 --paper 300 --ops");
    ASSERT_EQ(run.status, 0);
    for (const char* line :
         {"text 20 54 ", "text 1110 672 0", "text 1171 703 0", "move 1125 43",
          "line 1125 1392", "move 0 718", "line 2399 718",
          "text 20 1489 A1  =1.00 A0  =1.00 B0  =1.00 ЗАПАЗДЫВАНИЕ 0,000 секунд",
          "text 20 1538 A1  =1.00 A0  =1.00 B0  =1.00 ЗАПАЗДЫВАНИЕ 0,000 секунд"})
        EXPECT_TRUE(HasLine(run.output, line)) << line;

    EXPECT_NE(RunCli("plot --tf 1:1,1 --dpi 300 --ops").status, 0);
    EXPECT_NE(RunCli("plot --tf 1:1,1 --paper 300 --dpi 30 --ops").status, 0);
}

TEST(PlotCommand, WritesFilesThroughTheExporter)
{
    TestApplication();
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const std::string png = directory.filePath("plot.png").toStdString();
    ASSERT_EQ(RunCli("plot --tf 1:1,1 --tf 1:1,4,6,4,1:0.5 -o '" + png + "'").status, 0);
    const QImage image(QString::fromStdString(png));
    ASSERT_EQ(image.size(), QSize(750, 450));
    EXPECT_EQ(image.pixel(375, 225), qRgb(0, 0, 0));
    int maroon = 0;
    for (int y = 225; y < 340; ++y) {
        for (int x = 375; x < 476; ++x)
            maroon += image.pixel(x, y) == qRgb(128, 0, 0);
    }
    EXPECT_GT(maroon, 100); // the half circle of 1 / (s + 1) below the real axis

    const std::string pdf = directory.filePath("page.pdf").toStdString();
    ASSERT_EQ(RunCli("plot --tf 1:1,1 --paper 300 -o '" + pdf + "'").status, 0);
    EXPECT_EQ(QImage(QString::fromStdString(pdf)).isNull(), true); // not an image: a PDF
    EXPECT_EQ(RunCli("plot --tf 1:1,1 -o '" + directory.filePath("no/such.png").toStdString() + "'")
                  .status,
              1);
}

TEST(PlotCommand, BadArgumentsExitWithStatusTwo)
{
    std::string tooMany;
    for (int i = 0; i < 256; ++i)
        tooMany += " --tf 1:1,1";
    for (const std::string& arguments :
         {std::string("plot --ops"), std::string("plot --tf 1:1,1"),
          std::string("plot --tf 1:1,1 -o x.jpg"), std::string("plot --tf 1:1,1 --ops -o x.png"),
          std::string("plot --tf 1:1,1 --ops --paper 0"), std::string("plot --tf 1:x --ops"),
          std::string("plot --tf 1:1,1 --ops --paper -300"), "plot" + tooMany + " --ops"})
        EXPECT_EQ(RunCli(arguments).status, 2) << arguments;
    EXPECT_EQ(RunCli("plot" + tooMany.substr(11) + " --ops").status, 0);
}

TEST(PlotCommand, NirdalCliLinksNoQt)
{
    const CommandResult run = Capture(std::string("ldd '") + NIRDAL_CLI + "'");
    ASSERT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("libc.so"), std::string::npos);
    EXPECT_EQ(run.output.find("libQt"), std::string::npos) << run.output;
}

} // namespace
} // namespace nirdal
