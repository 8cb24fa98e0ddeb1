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

} // namespace
