// SPDX-License-Identifier: MIT
#include "core/analysis/log_characteristics.h"
#include "core/analysis/stability.h"
#include "core/analysis/step_response.h"
#include "core/tf/tf_text.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <stdexcept>

namespace {

nirdal::TransferFunction Variant(const char* text)
{
    nirdal::TransferFunction variant;
    std::string error;
    if (!nirdal::ParseTransferFunctionText(text, variant, error))
        throw std::invalid_argument(error);
    return variant;
}

// n = 15: 0.9·exp(−s)/(s + 1)^15.
constexpr const char* kFifteen =
    "0.9:1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,105,15,1:1";

// The step response of n = 15 over 100 delays, 1001 samples, verdict and indicators included.
void BM_StepResponseFifteenOver100Delays(benchmark::State& state)
{
    const nirdal::TransferFunction variant = Variant(kFifteen);
    for (auto _ : state)
        benchmark::DoNotOptimize(nirdal::ComputeStepResponse(variant, 100, 1001));
}
BENCHMARK(BM_StepResponseFifteenOver100Delays)->Unit(benchmark::kMillisecond);

// The same loop without the verdict: the integration alone.
void BM_StepResponseCubicWithDelay(benchmark::State& state)
{
    const nirdal::TransferFunction variant = Variant("2:1,3,3,1:1");
    for (auto _ : state)
        benchmark::DoNotOptimize(nirdal::ComputeStepResponse(variant, 100, 1001));
}
BENCHMARK(BM_StepResponseCubicWithDelay)->Unit(benchmark::kMillisecond);

// The logarithmic characteristics of n = 15 at 401 points, roots included.
void BM_LogCharacteristicsFifteen(benchmark::State& state)
{
    const nirdal::TransferFunction variant = Variant(kFifteen);
    for (auto _ : state)
        benchmark::DoNotOptimize(nirdal::ComputeLogCharacteristics(variant, 0.01L, 100, 401));
}
BENCHMARK(BM_LogCharacteristicsFifteen)->Unit(benchmark::kMicrosecond);

// The same 401 points from a variant factored once: the loop over the points alone.
void BM_LogPointsFifteen(benchmark::State& state)
{
    const nirdal::FactoredVariant w = nirdal::FactorVariant(Variant(kFifteen));
    for (auto _ : state) {
        for (int k = 0; k < 401; ++k)
            benchmark::DoNotOptimize(
                nirdal::LogCharacteristicAt(w, std::pow(10.0L, -2 + k / 100.0L)));
    }
}
BENCHMARK(BM_LogPointsFifteen)->Unit(benchmark::kMicrosecond);

} // namespace

namespace {

// The roots of n = 15 alone, which the logarithmic characteristics start from.
void BM_FactorFifteen(benchmark::State& state)
{
    const nirdal::TransferFunction variant = Variant(kFifteen);
    for (auto _ : state)
        benchmark::DoNotOptimize(nirdal::FactorVariant(variant));
}
BENCHMARK(BM_FactorFifteen)->Unit(benchmark::kMicrosecond);

} // namespace

namespace {

// The verdict alone, which the step response starts from.
void BM_StabilityOfFifteen(benchmark::State& state)
{
    const nirdal::TransferFunction variant = Variant(kFifteen);
    for (auto _ : state)
        benchmark::DoNotOptimize(nirdal::AnalyseStability(variant));
}
BENCHMARK(BM_StabilityOfFifteen)->Unit(benchmark::kMillisecond);

} // namespace
