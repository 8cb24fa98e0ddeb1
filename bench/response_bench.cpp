// SPDX-License-Identifier: MIT
#include "core/common/surface.h"
#include "core/response/frequency_response.h"
#include "core/response/unattended_sweep.h"
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

// A surface that only takes the texts, so the listing's formatting is what is measured.
class DiscardingSurface final : public nirdal::TextSurface
{
public:
    void TextOut(int, int, std::string_view text) override { benchmark::DoNotOptimize(text); }
};

constexpr const char* kFifteenthOrderLag =
    "1:1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,105,15,1";

// n = 15, m = 14 at one frequency, with and without a delay (which costs a sine and cosine).
void BM_EvaluateResponse_15_14(benchmark::State& state, const char* text)
{
    const nirdal::TransferFunction variant = Variant(text);
    nirdal::ResponsePoint point{1.3L, 0, 0};
    for (auto _ : state) {
        benchmark::DoNotOptimize(point.Frequency);
        benchmark::DoNotOptimize(nirdal::EvaluateResponse(point, variant));
        benchmark::DoNotOptimize(point);
    }
}
BENCHMARK_CAPTURE(BM_EvaluateResponse_15_14, no_delay,
                  "14,13,12,11,10,9,8,7,6,5,4,3,2,1,0.5:"
                  "1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,105,15,1");
BENCHMARK_CAPTURE(BM_EvaluateResponse_15_14, delay,
                  "14,13,12,11,10,9,8,7,6,5,4,3,2,1,0.5:"
                  "1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,105,15,1:0.25");

// Start search, sweep and finish of all 200 slots, as the sweep command computes it.
void BM_WholeVariant_FifteenthOrderLag(benchmark::State& state)
{
    nirdal::TransferFunction variant = Variant(kFifteenthOrderLag);
    for (auto _ : state)
        benchmark::DoNotOptimize(nirdal::RunUnattendedSweep(variant, 0));
}
BENCHMARK(BM_WholeVariant_FifteenthOrderLag)->Unit(benchmark::kMicrosecond);

// The same with the values listing formatted, as the computation screen does it.
void BM_WholeVariantWithListing_FifteenthOrderLag(benchmark::State& state)
{
    nirdal::TransferFunction variant = Variant(kFifteenthOrderLag);
    DiscardingSurface listing;
    for (auto _ : state)
        benchmark::DoNotOptimize(nirdal::RunUnattendedSweep(variant, 0, listing));
}
BENCHMARK(BM_WholeVariantWithListing_FifteenthOrderLag)->Unit(benchmark::kMicrosecond);

} // namespace
