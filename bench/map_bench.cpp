// SPDX-License-Identifier: MIT
// The stability map of a variant of the highest degree with a delay, over the analysis
// window's ranges: the boundary curves, the regions and their Nyquist verdicts.
#include "core/analysis/stability_map.h"
#include "core/plot/stability_map_picture.h"
#include "core/tf/tf_text.h"

#include <benchmark/benchmark.h>

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

// n = 15: 0.9·exp(−s)/(s + 1)^15, K from 0.01 to 100, ΔT to four times its delay.
void BM_StabilityMapFifteen(benchmark::State& state)
{
    const nirdal::TransferFunction variant =
        Variant("0.9:1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,105,15,1:1");
    const nirdal::MapRanges ranges = nirdal::DefaultMapRanges(variant);
    for (auto _ : state)
        benchmark::DoNotOptimize(nirdal::ComputeStabilityMap(variant, ranges));
}
BENCHMARK(BM_StabilityMapFifteen)->Unit(benchmark::kMillisecond);

// The map of 2·exp(−s)/(s + 1)³ with its grid of 40 × 40, as `map --grid 40` computes it.
void BM_StabilityMapCubicWithGrid(benchmark::State& state)
{
    const nirdal::TransferFunction variant = Variant("2:1,3,3,1:1");
    const nirdal::MapRanges ranges = nirdal::DefaultMapRanges(variant);
    for (auto _ : state) {
        const nirdal::StabilityMap map = nirdal::ComputeStabilityMap(variant, ranges);
        benchmark::DoNotOptimize(nirdal::ComputeMapGrid(map, 40));
    }
}
BENCHMARK(BM_StabilityMapCubicWithGrid)->Unit(benchmark::kMillisecond);

} // namespace
