// SPDX-License-Identifier: MIT
#include "core/numtext/numtext.h"

#include <benchmark/benchmark.h>

namespace {

void BM_FormatNumber(benchmark::State& state)
{
    nirdal::Extended x = 0.0553846L;
    for (auto _ : state)
        benchmark::DoNotOptimize(nirdal::FormatNumber(x));
}
BENCHMARK(BM_FormatNumber);

void BM_ParseNumber(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(nirdal::ParseNumber("-1234.5678"));
}
BENCHMARK(BM_ParseNumber);

} // namespace
