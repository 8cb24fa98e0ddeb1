// SPDX-License-Identifier: MIT
// Measures the desktop program as a whole process: the start-up to the title screen shown,
// and the peak resident memory after a full road with many variants. Each measurement runs
// in a fresh child process, as a student's program starts; the figures are medians.
//
// usage: nirdal-screens-bench [RUNS]        (default 11 start-ups and 5 roads)
//        nirdal-screens-bench startup       (one child: prints its start-up time)
//        nirdal-screens-bench road VARIANTS (one child: prints its peak memory)
#include "core/roster/roster.h"
#include "core/settings/print_settings.h"
#include "screen_driver.h"
#include "screens/plot/graph.h"
#include "screens/shell/form.h"
#include "screens/shell/road.h"
#include "screens/shell/title.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWindow>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace nirdal;
using namespace nirdal::testing;

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kStartupTargetMs = 150;
constexpr double kPeakMemoryTargetMb = 80;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Processor time of this process so far, user and system, in milliseconds: the work done,
// whatever else the machine is busy with.
double ProcessorMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double PeakResidentMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

// The program's own start-up (its main without the event loop) up to the title screen
// shown on the display.
int RunStartup(int argc, char** argv, Clock::time_point entered)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nirdal"));
    QApplication::setQuitOnLastWindowClosed(false);
    InitialiseRoster(ProgramRoster());
    InitialiseSettings(ProgramAssignment().Print);
    CreateScreens();
    ShowMainWindow();
    QWindow* window = TitleForm->windowHandle();
    while (window == nullptr || !window->isExposed()) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        window = TitleForm->windowHandle();
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - entered).count();
    std::printf("%.3f %.3f\n", ms, ProcessorMs());
    std::fflush(stdout);
    DestroyForms();
    FinaliseSettings(ProgramAssignment().Print);
    return 0;
}

// One pass of the loop from degree entry to the graph screen; the graph then asks for a
// new variant until there are `variants`, and finishes.
void ExpectPass(int variant, int variants)
{
    WhenShown("NIRDAL_znachForm", [=](QWidget* degrees) {
        WhenShown("NIRDAL_nastroikaForm", [=](QWidget* coefficients) {
            if (variant == 1) {
                auto* denominator = Control<StringGrid>(coefficients, "SZ2");
                TypeIntoCell(denominator, 0, QStringLiteral("1"));
                TypeIntoCell(denominator, 1, QStringLiteral("1"));
            }
            // Every variant gets its own gain, so that each one is a curve of its own.
            TypeIntoCell(Control<StringGrid>(coefficients, "SC2"), 0, QString::number(variant));
            Click(Control<QPushButton>(coefficients, "Button1"));
            WhenShown("NIRDAL_rasform", [=](QWidget* computation) {
                WhenShown("NIRDAL_grafForm", [=](QWidget* graph) {
                    if (variant < variants) {
                        ExpectPass(variant + 1, variants);
                        Click(Control<QToolButton>(graph, "SpeedButton4"));
                    } else {
                        Click(Control<QToolButton>(graph, "SpeedButton3"));
                    }
                });
                auto* next = Control<QPushButton>(computation, "DD");
                while (next->isVisible())
                    Click(next);
                Click(Control<QPushButton>(computation, "Button7"));
            });
            Click(Control<QPushButton>(coefficients, "Button3"));
        });
        Click(Control<QToolButton>(degrees, "SpeedButton1"));
    });
}

// The whole road of one student with `variants` variants, as in the program.
int RunRoad(int argc, char** argv, int variants)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nirdal"));
    QApplication::setQuitOnLastWindowClosed(false);
    InitialiseRoster(ProgramRoster());
    InitialiseSettings(ProgramAssignment().Print);
    CreateScreens();
    ShowMainWindow();
    WhenShown("NIRDAL_vibForm", [=](QWidget* selection) {
        ClickCell(Control<StringGrid>(selection, "StringGrid2"), 0, 0);
        ExpectPass(1, variants);
        ClickCell(Control<StringGrid>(selection, "StringGrid1"), 0, 0);
        Click(Control<QPushButton>(selection, "BitBtn1"));
    });
    auto* paragraph = TitleForm->findChild<QLabel*>(QStringLiteral("Label3"));
    QTimer::singleShot(0, [paragraph] { Click(paragraph); });
    const int status = QApplication::exec();
    const int made = ProgramAssignment().VariantCount;
    std::printf("%.3f %d\n", PeakResidentMb(), made);
    std::fflush(stdout);
    DestroyForms();
    FinaliseSettings(ProgramAssignment().Print);
    return status == 0 && made == variants ? 0 : 1;
}

// Runs this program once in a child with the arguments; its one line of output, and the
// wall time from the start of the child to that line.
bool RunChild(const QStringList& arguments, const QString& root, QString& line, double& wallMs)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NIRDAL_ROOT"), root);
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")) &&
        !environment.contains(QStringLiteral("DISPLAY")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForReadyRead(60000))
        return false;
    wallMs = timer.nsecsElapsed() / 1e6;
    line = QString::fromLocal8Bit(child.readLine()).trimmed();
    child.waitForFinished(60000);
    return child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
}

int RunAll(int argc, char** argv, int runs)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir root; // a machine of its own: roster folder and registry file
    std::vector<double> inside;
    std::vector<double> processor;
    std::vector<double> whole;
    for (int k = 0; k < runs; ++k) {
        QString line;
        double wallMs = 0;
        if (!RunChild({QStringLiteral("startup")}, root.path(), line, wallMs)) {
            std::fprintf(stderr, "start-up run %d failed\n", k + 1);
            return 1;
        }
        inside.push_back(line.section(' ', 0, 0).toDouble());
        processor.push_back(line.section(' ', 1, 1).toDouble());
        whole.push_back(wallMs);
    }
    const int roadRuns = std::max(3, runs / 2);
    const int variants = 20;
    std::vector<double> peaks;
    for (int k = 0; k < roadRuns; ++k) {
        QString line;
        double wallMs = 0;
        if (!RunChild({QStringLiteral("road"), QString::number(variants)}, root.path(), line,
                      wallMs)) {
            std::fprintf(stderr, "road run %d failed\n", k + 1);
            return 1;
        }
        peaks.push_back(line.section(' ', 0, 0).toDouble());
    }
    const double startup = Median(inside);
    const double peak = Median(peaks);
    std::printf("start-up to the title screen shown, in the program: median %.1f ms "
                "(min %.1f, max %.1f, %d runs; target %.0f ms)\n",
                startup, *std::min_element(inside.begin(), inside.end()),
                *std::max_element(inside.begin(), inside.end()), runs, kStartupTargetMs);
    std::printf("the same from the start of the process: median %.1f ms\n", Median(whole));
    std::printf("processor time of the process up to then: median %.1f ms\n", Median(processor));
    std::printf("peak resident memory after a full road with %d variants: median %.1f MB "
                "(%d runs; target %.0f MB)\n",
                variants, peak, roadRuns, kPeakMemoryTargetMb);
    return startup <= kStartupTargetMs && peak <= kPeakMemoryTargetMb ? 0 : 2;
}

} // namespace

int main(int argc, char** argv)
{
    const Clock::time_point entered = Clock::now();
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "startup")
        return RunStartup(argc, argv, entered);
    if (mode == "road")
        return RunRoad(argc, argv, argc > 2 ? std::atoi(argv[2]) : 20);
    const int runs = mode.empty() ? 11 : std::atoi(mode.c_str());
    if (runs < 1) {
        std::fprintf(stderr, "usage: nirdal-screens-bench [RUNS | startup | road VARIANTS]\n");
        return 1;
    }
    return RunAll(argc, argv, runs);
}
