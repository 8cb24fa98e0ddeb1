// SPDX-License-Identifier: MIT
// One move of a slider of the analysis window: the state recomputed and the three pictures
// drawn on an image of the window's picture size; and the step response that follows when
// the slider rests.
#include "core/analysis/exploration.h"
#include "core/plot/exploration_picture.h"
#include "core/tf/tf_text.h"
#include "export/picture_file.h"
#include "qtdraw/painter_surface.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "nirdal-bench";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(argc, argv);
}

// (s + 1)^15 with a delay of 2 s: the largest degree the program takes, the curve winding
// around the origin many times.
constexpr const char* kDegree15 =
    "1:1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,105,15,1:2";

void MoveSlider(benchmark::State& state, bool gain)
{
    EnsureApplication();
    nirdal::TransferFunction variant;
    std::string error;
    if (!nirdal::ParseTransferFunctionText(kDegree15, variant, error))
        throw std::invalid_argument(error);
    nirdal::Exploration exploration(variant, 1);
    // The pictures' part of the window at its first size on a 1024 × 768 display.
    QImage image(1000, 520, QImage::Format_RGB32);
    int step = 0;
    for (auto _ : state) {
        // A drag through the whole range: 0.01 … 100, or 0 … the end of the ΔT range.
        const nirdal::Extended at = (step++ % 200) / 199.0L;
        if (gain)
            exploration.SetGain(0.01L * std::pow(nirdal::Extended{10000}, at));
        else
            exploration.SetExtraDelay(exploration.DelayRangeEnd() * at);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setFont(nirdal::ExportFont());
        {
            nirdal::PainterSurface surface(painter);
            nirdal::DrawExplorationPictures(surface, exploration, {1000, 520});
        }
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_ExplorationGainMove(benchmark::State& state) { MoveSlider(state, true); }
void BM_ExplorationDelayMove(benchmark::State& state) { MoveSlider(state, false); }
// What follows once the slider rests: the step response of the state in force.
void BM_ExplorationStepAtRest(benchmark::State& state)
{
    nirdal::TransferFunction variant;
    std::string error;
    if (!nirdal::ParseTransferFunctionText(kDegree15, variant, error))
        throw std::invalid_argument(error);
    nirdal::Exploration exploration(variant, 1);
    int step = 0;
    for (auto _ : state) {
        const nirdal::Extended at = (step++ % 20) / 19.0L;
        exploration.SetGain(0.01L * std::pow(nirdal::Extended{10000}, at));
        exploration.ComputeStep();
        benchmark::DoNotOptimize(exploration.Step().Values.data());
    }
}

BENCHMARK(BM_ExplorationStepAtRest)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly();
BENCHMARK(BM_ExplorationGainMove)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_ExplorationDelayMove)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

} // namespace
