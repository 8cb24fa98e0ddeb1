// SPDX-License-Identifier: MIT
// Input latency of the analysis window at the delay margin, where the step response takes
// longest: each iteration is one move of the K slider, from the slider's new position to the
// window's figures and pictures redrawn and its events handled, while the step response of
// the state before is being computed (and stopped) on the window's other thread, the stability
// map, computed once, standing still under the point that moves. And, for
// comparison, the step response itself: the time the window would not answer if it were
// computed on the window's own thread.
#include "core/analysis/exploration.h"
#include "core/plot/stability_map_picture.h"
#include "core/tf/tf_text.h"
#include "export/picture_file.h"
#include "qtdraw/painter_surface.h"
#include "screens/plot/analysis_window.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QPainter>
#include <QLineEdit>
#include <QSlider>

#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

// 2e^(−s)/(s+1)³ and 1.2e^(−0.5s)/(s+1)¹⁵: the smallest and the largest degree with a delay.
constexpr const char* kCases[] = {
    "2:1,3,3,1:1",
    "1.2:1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,105,15,1:0.5",
};
// ΔT this close below the delay margin: 0.5393 s of 0.53937 s for the cubic.
constexpr nirdal::Extended kShareOfMargin = 0.9999L;

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "nirdal-analysis-window-bench";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(argc, argv);
}

nirdal::TransferFunction Variant(int index)
{
    nirdal::TransferFunction variant;
    std::string error;
    if (!nirdal::ParseTransferFunctionText(kCases[index], variant, error))
        throw std::invalid_argument(error);
    return variant;
}

nirdal::Extended DelayAtTheMargin(const nirdal::TransferFunction& variant)
{
    const nirdal::Exploration exploration(variant, 1);
    const auto& margin = exploration.Analysis().DelayMargin;
    if (!margin)
        throw std::invalid_argument("no delay margin");
    return margin->Seconds * kShareOfMargin;
}

void BM_AnalysisWindowSliderMoveAtDelayMargin(benchmark::State& state)
{
    EnsureApplication();
    const nirdal::TransferFunction variant = Variant(static_cast<int>(state.range(0)));
    nirdal::AnalysisWindow window(variant, 1);
    window.resize(1000, 700);
    window.show();
    auto* field = window.findChild<QLineEdit*>(QStringLiteral("DelayField"));
    auto* slider = window.findChild<QSlider*>(QStringLiteral("GainSlider"));
    field->setText(QString::number(static_cast<double>(DelayAtTheMargin(variant)), 'f', 6));
    window.DelayFieldEdited();
    // The map is computed once, off the window's thread: a move then only moves its point.
    auto* canvas = window.findChild<nirdal::ExplorationCanvas*>(QStringLiteral("Pictures"));
    QDeadlineTimer mapDue(10000);
    while (canvas->MapBox().isEmpty() && !mapDue.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    QApplication::processEvents();
    const int home = slider->value();
    int move = 0;
    for (auto _ : state) {
        slider->setValue(home + (move++ % 2 == 0 ? -1 : 0));
        QApplication::processEvents();
    }
    state.counters["pending"] = window.StepPending() ? 1 : 0;
    state.counters["map"] = canvas->MapBox().isEmpty() ? 0 : 1;
}

void BM_StepResponseAtDelayMargin(benchmark::State& state)
{
    nirdal::TransferFunction loop = Variant(static_cast<int>(state.range(0)));
    loop.Delay += DelayAtTheMargin(loop);
    for (auto _ : state)
        benchmark::DoNotOptimize(nirdal::ComputeExploredStep(loop).Values.data());
}

// What a move would cost if the map were drawn again each time, as the window does not: the
// map picture of the variant on a 500 × 350 quarter.
void BM_MapPictureDrawn(benchmark::State& state)
{
    EnsureApplication();
    const nirdal::TransferFunction variant = Variant(static_cast<int>(state.range(0)));
    nirdal::Exploration exploration(variant, 1);
    exploration.TakeMap(nirdal::ComputeStabilityMap(variant, nirdal::DefaultMapRanges(variant)));
    QImage image(500, 350, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setFont(nirdal::ExportFont());
        nirdal::PainterSurface surface(painter);
        nirdal::DrawExplorationMap(surface, exploration, {0, 0, 500, 350});
    }
}

BENCHMARK(BM_MapPictureDrawn)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_AnalysisWindowSliderMoveAtDelayMargin)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_StepResponseAtDelayMargin)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

} // namespace
