// SPDX-License-Identifier: MIT
#include "core/analysis/class_file.h"
#include "core/analysis/stability.h"
#include "core/tf/tf_text.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

// A class of 180 students with five variants each, taken in turn from the sample class file.
std::vector<nirdal::TransferFunction> ClassOf180()
{
    std::ifstream file(NIRDAL_SAMPLE_CLASS);
    std::stringstream text;
    text << file.rdbuf();
    const nirdal::ClassFile sample = nirdal::ParseClassFile(text.str());
    if (sample.Variants.empty())
        throw std::runtime_error("no variants in " NIRDAL_SAMPLE_CLASS);
    std::vector<nirdal::TransferFunction> variants;
    for (std::size_t i = 0; i < 180 * 5; ++i)
        variants.push_back(sample.Variants[i % sample.Variants.size()].Variant);
    return variants;
}

void BM_AnalyseClassOf180(benchmark::State& state)
{
    const std::vector<nirdal::TransferFunction> variants = ClassOf180();
    for (auto _ : state) {
        for (const nirdal::TransferFunction& variant : variants)
            benchmark::DoNotOptimize(nirdal::AnalyseStability(variant));
    }
}
BENCHMARK(BM_AnalyseClassOf180)->Unit(benchmark::kMillisecond);

// One variant: the cubic lag, and a lag whose delay winds the curve around −1 twice.
void BM_AnalyseStability(benchmark::State& state, const char* text)
{
    nirdal::TransferFunction variant;
    std::string error;
    if (!nirdal::ParseTransferFunctionText(text, variant, error))
        throw std::invalid_argument(error);
    for (auto _ : state)
        benchmark::DoNotOptimize(nirdal::AnalyseStability(variant));
}
BENCHMARK_CAPTURE(BM_AnalyseStability, CubicLag, "4:1,3,3,1")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_AnalyseStability, DelayedLag, "2:2,1:6")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_AnalyseStability, CubicLagGain2, "2:1,3,3,1")->Unit(benchmark::kMicrosecond);
// n = 15 without and with a delay.
BENCHMARK_CAPTURE(BM_AnalyseStability, Fifteen,
                  "1.2:1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,105,15,1")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_AnalyseStability, FifteenWithDelay,
                  "1.2:1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,105,15,1:1")
    ->Unit(benchmark::kMicrosecond);
// 1/(s+1)³ with long delays: the curve winds around the origin T/2π times below ω = 1.
BENCHMARK_CAPTURE(BM_AnalyseStability, CubicLagDelay100, "1:1,3,3,1:100")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_AnalyseStability, CubicLagDelay1000, "1:1,3,3,1:1000")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_AnalyseStability, CubicLagDelay1e4, "1:1,3,3,1:1e4")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_AnalyseStability, CubicLagDelay1e6, "1:1,3,3,1:1e6")
    ->Unit(benchmark::kMicrosecond);

} // namespace
