// SPDX-License-Identifier: MIT
#include "core/plot/plot.h"
#include "core/plot/print_page.h"
#include "export/picture_file.h"
#include "qtdraw/painter_surface.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>

namespace {

using nirdal::Extended;

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "nirdal-bench";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(argc, argv);
}

// 255 variants K / (s + 1)^n of different gains and orders, each swept from ω = 10 down to
// 0.01 over its 200 points: curves that cross the whole picture as real ones do.
nirdal::Assignment FilledVariants()
{
    nirdal::Assignment assignment;
    assignment.Variants.assign(1, nirdal::TransferFunction{});
    for (int i = 1; i <= nirdal::kMaxVariants; ++i) {
        assignment.VariantCount = static_cast<std::uint8_t>(i);
        nirdal::PrepareVariantSlot(assignment, assignment.VariantCount);
        nirdal::TransferFunction& variant = assignment.Variants[static_cast<std::size_t>(i)];
        const int order = 1 + i % 6;
        const Extended gain = 0.5L + (i % 10) * 0.25L;
        for (int k = nirdal::kFirstSlot; k <= nirdal::kLastSlot; ++k) {
            const Extended omega = 10 * std::pow(0.001L, (k - 1) / 199.0L);
            const std::complex<Extended> w =
                gain / std::pow(std::complex<Extended>(1, omega), order);
            variant.ResponseArrays[k] = {omega, w.real(), w.imag()};
        }
    }
    return assignment;
}

void BM_ScreenPicture255Variants(benchmark::State& state)
{
    EnsureApplication();
    nirdal::Assignment assignment = FilledVariants();
    nirdal::BuildCoefficientTexts(assignment);
    QImage image(nirdal::kGraphClientWidth, nirdal::kGraphClientHeight, QImage::Format_RGB32);
    nirdal::PlotFields fields;
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        nirdal::PainterSurface surface(painter);
        nirdal::DrawPlot(surface, fields, assignment, "");
    }
    state.counters["segments"] = 255.0 * 199;
}
BENCHMARK(BM_ScreenPicture255Variants)->Unit(benchmark::kMillisecond);

void BM_PagePdf300DotsPerUnit(benchmark::State& state)
{
    EnsureApplication();
    const nirdal::Assignment assignment = FilledVariants();
    nirdal::PlotFields fields;
    nirdal::SetDotsPerUnit(fields, 300);
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        nirdal::WritePagePdf(buffer, [&](nirdal::PageSurface& page) {
            DrawPrintPage(page, fields, assignment, "");
        });
        benchmark::DoNotOptimize(buffer.data().size());
    }
}
BENCHMARK(BM_PagePdf300DotsPerUnit)->Unit(benchmark::kMillisecond);

} // namespace
