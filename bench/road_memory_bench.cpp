// SPDX-License-Identifier: MIT
// The memory of a long lesson as the window system sees it: one student walks the road
// through many variants by real clicks and typing through the X server, and after chosen
// numbers of variants the program's resident memory (with the window buffers it shares
// with the X server) and the X server's own count of the program's windows and pixmaps
// are printed.
//
// usage: with_display.sh openbox nirdal-road-memory-bench [VARIANTS]   (default 255)
#include "core/roster/roster.h"
#include "core/settings/print_settings.h"
#include "core/shell/shell_state.h"
#include "core/tf/transfer_function.h"
#include "platform/file_registry.h"
#include "screens/response/computation.h"
#include "screens/shell/controls.h"
#include "screens/shell/desktop.h"
#include "screens/shell/form.h"
#include "screens/shell/title.h"
#include "screens/shell/road.h"
#include "road_walker.h"
#include "x_input.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <xcb/res.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

using namespace nirdal;
using namespace nirdal::testing;

namespace {

// The window manager has placed a screen after 20 ms.
constexpr RoadPace kPace{20, 10000};
constexpr double kTargetAt100Mb = 80;
constexpr double kTargetAt255Mb = 120;

// Memory of this process from /proc/self/status, in megabytes.
struct ProcessMemory
{
    double Resident = 0; // VmRSS
    double Shared = 0;   // RssShmem: MIT-SHM window buffers among them
};

ProcessMemory ReadProcessMemory()
{
    ProcessMemory memory;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return memory;
    for (const QByteArray& line : status.readAll().split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() < 2)
            continue;
        const double mb = words[1].toDouble() / 1024; // the kernel writes kB
        if (words[0] == "VmRSS:")
            memory.Resident = mb;
        else if (words[0] == "RssShmem:")
            memory.Shared = mb;
    }
    return memory;
}

// What the X server holds for this program: its windows, its pixmaps and their bytes.
struct ServerMemory
{
    long Windows = -1;
    long Pixmaps = -1;
    double PixmapMb = -1;
};

ServerMemory ReadServerMemory(const QWidget* anyWindow)
{
    ServerMemory memory;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr)
        return memory;
    const auto* extension = xcb_get_extension_data(connection, &xcb_res_id);
    if (extension == nullptr || !extension->present)
        return memory;
    const auto xid = static_cast<uint32_t>(anyWindow->winId());
    std::unique_ptr<xcb_res_query_client_resources_reply_t, decltype(&std::free)> resources(
        xcb_res_query_client_resources_reply(
            connection, xcb_res_query_client_resources(connection, xid), nullptr),
        &std::free);
    if (resources) {
        const QByteArray windowAtom("WINDOW");
        const QByteArray pixmapAtom("PIXMAP");
        auto it = xcb_res_query_client_resources_types_iterator(resources.get());
        for (; it.rem; xcb_res_type_next(&it)) {
            std::unique_ptr<xcb_get_atom_name_reply_t, decltype(&std::free)> name(
                xcb_get_atom_name_reply(
                    connection, xcb_get_atom_name(connection, it.data->resource_type), nullptr),
                &std::free);
            if (!name)
                continue;
            const QByteArray text(xcb_get_atom_name_name(name.get()),
                                  xcb_get_atom_name_name_length(name.get()));
            if (text == windowAtom)
                memory.Windows = it.data->count;
            else if (text == pixmapAtom)
                memory.Pixmaps = it.data->count;
        }
        if (memory.Windows < 0)
            memory.Windows = 0;
        if (memory.Pixmaps < 0)
            memory.Pixmaps = 0;
    }
    std::unique_ptr<xcb_res_query_client_pixmap_bytes_reply_t, decltype(&std::free)> bytes(
        xcb_res_query_client_pixmap_bytes_reply(
            connection, xcb_res_query_client_pixmap_bytes(connection, xid), nullptr),
        &std::free);
    if (bytes)
        memory.PixmapMb = (double(bytes->bytes_overflow) * 4294967296.0 + bytes->bytes) / 1048576;
    return memory;
}

/// Types into the cells of an entry grid from the top row down, each confirmed by Enter.
void Fill(Road& lesson, const QString& screen, const char* grid, const QStringList& cells)
{
    for (int row = 0; row < cells.size(); ++row) {
        lesson.ClickCell(screen, grid, row, 0);
        lesson.On(
            screen, QStringLiteral("type into row %1").arg(row),
            [grid, row](QWidget* top) {
                auto* table = Find<StringGrid>(top, grid);
                return table->hasFocus() && table->currentRow() == row;
            },
            [&lesson, text = cells[row]](QWidget*) {
                lesson.Input().Type(text);
                lesson.Input().Press(Key::Return);
            });
        lesson.On(
            screen, QStringLiteral("row %1 entered").arg(row),
            [grid, row, text = cells[row]](QWidget* top) {
                auto* table = Find<StringGrid>(top, grid);
                const auto* editor = table->viewport()->findChild<QLineEdit*>();
                return table->Cell(0, row) == text && (editor == nullptr || !editor->isVisible());
            },
            [](QWidget*) {});
    }
}

/// Pages the computation on with "Далее" while it is offered.
void PageOn(Road& lesson, const QString& screen)
{
    auto lastSlot = std::make_shared<int>(-1);
    lesson.Repeat(
        screen, QStringLiteral("page on"),
        [](QWidget* top) { return Find<QWidget>(top, "Panel4")->isVisible(); },
        [lastSlot](QWidget* top) {
            return ComputationForm->Computation() != nullptr &&
                   Find<QPushButton>(top, "DD")->isVisible() &&
                   ComputationForm->Computation()->Fields().NextSlot != *lastSlot;
        },
        [&lesson, lastSlot](QWidget* top) {
            *lastSlot = ComputationForm->Computation()->Fields().NextSlot;
            lesson.Input().Click(Find<QPushButton>(top, "DD"));
        });
}

struct Sample
{
    int Variants = 0;
    ProcessMemory Process;
    ServerMemory Server;
};

void Print(const Sample& sample)
{
    std::printf("%8d %10.1f %10.1f %10ld %10ld %10.1f\n", sample.Variants,
                sample.Process.Resident, sample.Process.Shared, sample.Server.Windows,
                sample.Server.Pixmaps, sample.Server.PixmapMb);
    std::fflush(stdout);
}

// The road of one student with `variants` variants: W(s) = k/(s + 1) with the gain k going
// round 1 … 9, so that neighbouring variants are curves of their own; samples are taken on
// the graph screen.
void PlanLesson(Road& lesson, int variants, const std::vector<int>& at,
                std::vector<Sample>& samples)
{
    const auto sample = [&samples](int count) {
        samples.push_back({count, ReadProcessMemory(), ReadServerMemory(TitleForm)});
        Print(samples.back());
    };
    const QString sampled = QStringLiteral("sample");
    lesson.On(kTitle, sampled, {}, [sample](QWidget*) { sample(0); });
    lesson.Click(kTitle, "Label3");
    lesson.ClickCell(kSelection, "StringGrid1", 0, 0);
    for (int variant = 1; variant <= variants; ++variant) {
        lesson.Click(kDegrees, "SpeedButton1", [variant](QWidget*) {
            return ProgramAssignment().VariantCount == variant;
        });
        if (variant == 1)
            Fill(lesson, kCoefficients, "SZ2", {"1", "1"});
        Fill(lesson, kCoefficients, "SC2", {QString::number(1 + (variant - 1) % 9)});
        lesson.Click(kCoefficients, "Button1");
        lesson.Click(kCoefficients, "Button3", [](QWidget* top) {
            return Find<QWidget>(top, "Button3")->isVisible();
        });
        PageOn(lesson, kComputation);
        lesson.Click(kComputation, "Button6",
                     [](QWidget* top) { return Find<QWidget>(top, "Panel4")->isVisible(); });
        const bool measured = std::find(at.begin(), at.end(), variant) != at.end();
        if (measured)
            lesson.On(kGraph, sampled, {}, [sample, variant](QWidget*) { sample(variant); });
        lesson.Click(kGraph, variant < variants ? "SpeedButton4" : "SpeedButton3");
    }
    lesson.Click(kSelection, "BitBtn1");
}

} // namespace

int main(int argc, char** argv)
{
    const int variants = argc > 1 ? std::atoi(argv[1]) : kMaxVariants;
    if (variants < 1 || variants > kMaxVariants) {
        std::fprintf(stderr, "usage: nirdal-road-memory-bench [VARIANTS: 1 to %d]\n",
                     kMaxVariants);
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nirdal"));
    QApplication::setQuitOnLastWindowClosed(false);
    XInput input;
    if (!input.Available()) {
        std::fprintf(stderr, "needs an X display with the XTEST extension: run it under "
                             "tests/screens/with_display.sh openbox\n");
        return 77;
    }
    qputenv("CUPS_SERVER", "/nonexistent/nirdal-no-print-server");
    SetUpDesktop(application);
    QTemporaryDir root; // a machine of its own: roster folder and registry file
    InitialiseRoster(ProgramRoster(), root.path().toStdString());
    InitialiseSettings(ProgramAssignment().Print,
                       std::make_shared<FileRegistry>(root.path().toStdString()));
    CreateScreens();

    std::vector<int> at{1, 20, 100, 255};
    at.push_back(variants);
    std::vector<Sample> samples;
    std::printf("%8s %10s %10s %10s %10s %10s\n", "variants", "VmRSS MB", "RssShmem", "X windows",
                "X pixmaps", "pixmap MB");
    // The student's hand: every step waits until its screen is on top, shown by the X
    // server and settled, and the step ready; then acts once with real input.
    Road lesson(input, Hand::Mouse, kPace);
    PlanLesson(lesson, variants, at, samples);
    QElapsedTimer clock;
    clock.start();
    ShowMainWindow();
    const QString stuck = lesson.Walk();
    DestroyForms();
    FinaliseSettings(ProgramAssignment().Print);
    if (!stuck.isEmpty()) {
        std::fprintf(stderr, "the lesson stopped: %s\n", qPrintable(stuck));
        return 1;
    }
    std::printf("%d variants in %.1f s; targets: %.0f MB after 100, %.0f MB after 255\n",
                variants, clock.elapsed() / 1000.0, kTargetAt100Mb, kTargetAt255Mb);
    bool within = true;
    for (const Sample& sample : samples) {
        if (sample.Variants == 100 && sample.Process.Resident > kTargetAt100Mb)
            within = false;
        if (sample.Variants == 255 && sample.Process.Resident > kTargetAt255Mb)
            within = false;
    }
    return within ? 0 : 2;
}
