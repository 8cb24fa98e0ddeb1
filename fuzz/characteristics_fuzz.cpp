// SPDX-License-Identifier: MIT
// Any degrees, coefficients and delay, any span and any frequency range: the step response
// and the logarithmic characteristics either refuse with a reason or give finite numbers in
// order, and their pictures stay inside the rectangle they are given.
#include "core/analysis/log_characteristics.h"
#include "core/analysis/step_response.h"
#include "core/common/recording_surface.h"
#include "core/plot/characteristics_picture.h"
#include "fuzz_input.h"

#include <cmath>

namespace {

using namespace nirdal;

// Integration steps a run may take here; longer spans are checked for their refusal only.
constexpr long kFuzzSteps = 20000;

std::uint8_t AnyDegree(FuzzedDataProvider& input)
{
    const auto raw = input.ConsumeIntegral<std::uint8_t>();
    return raw < 240 ? raw % 16 : raw;
}

TransferFunction VariantFromBytes(FuzzedDataProvider& input)
{
    TransferFunction variant;
    variant.DenominatorDegree = AnyDegree(input);
    variant.NumeratorDegree = AnyDegree(input);
    for (int k = 0; k < 4; ++k)
        variant.A[static_cast<std::size_t>(input.ConsumeIntegralInRange(0, 15))] =
            fuzz::AnyExtended(input);
    for (int k = 0; k < 3; ++k)
        variant.B[static_cast<std::size_t>(input.ConsumeIntegralInRange(0, 15))] =
            fuzz::AnyExtended(input);
    variant.Delay = fuzz::AnyExtended(input);
    return variant;
}

void ExpectInside(const RecordingSurface& surface, const DeviceRect& area)
{
    for (const DrawOp& op : surface.ops()) {
        if (op.kind != DrawOp::Kind::Move && op.kind != DrawOp::Kind::Line)
            continue;
        FUZZ_EXPECT(op.args[0] >= area.Left && op.args[0] <= area.Left + area.Width);
        FUZZ_EXPECT(op.args[1] >= area.Top && op.args[1] <= area.Top + area.Height);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const TransferFunction variant = VariantFromBytes(input);
    const Extended until = fuzz::AnyExtended(input);
    const int count = input.ConsumeIntegralInRange(-2, 300);
    const DeviceRect area{10, 10, 600, 400};

    const long steps = StepResponseSteps(variant, until);
    if (steps <= kFuzzSteps || steps > kMaxStepResponseSteps) {
        const StepResponse r = ComputeStepResponse(variant, until, count);
        if (steps > kMaxStepResponseSteps || !(until > 0) || count < 2)
            FUZZ_EXPECT(!r.Failure.empty());
        if (r.Failure.empty()) {
            FUZZ_EXPECT(r.Times.size() == r.Values.size());
            FUZZ_EXPECT(r.Times.size() <= static_cast<std::size_t>(count));
            for (std::size_t k = 0; k < r.Times.size(); ++k) {
                FUZZ_EXPECT(std::isfinite(r.Values[k]) &&
                            std::abs(r.Values[k]) <= kStepResponseOverflow);
                FUZZ_EXPECT(r.Times[k] >= 0 && r.Times[k] <= until);
                FUZZ_EXPECT(k == 0 || r.Times[k] >= r.Times[k - 1]);
            }
            if (r.Times.size() < static_cast<std::size_t>(count))
                FUZZ_EXPECT(!r.Notes.empty());
            if (r.Indicators) {
                const StepIndicators& in = *r.Indicators;
                FUZZ_EXPECT(std::isfinite(in.Steady) && std::isfinite(in.OvershootPercent) &&
                            in.OvershootPercent >= 0);
                FUZZ_EXPECT(in.PeakTime >= 0 && in.PeakTime <= until);
                FUZZ_EXPECT(in.SettlingTime >= 0 && in.SettlingTime <= until);
            }
            RecordingSurface surface;
            const StepPictureCurve curve{&r, {200, 0, 0}};
            DrawStepResponsePicture(surface, area, std::span(&curve, 1));
            ExpectInside(surface, area);
        }
    }

    const Extended from = fuzz::AnyExtended(input), to = fuzz::AnyExtended(input);
    const LogCharacteristics l = ComputeLogCharacteristics(variant, from, to, std::max(count, 2));
    if (l.Failure.empty()) {
        for (const LogPoint& p : l.Points) {
            FUZZ_EXPECT(std::isfinite(p.Frequency) && p.Frequency > 0);
            FUZZ_EXPECT(!std::isnan(p.Decibels) && !std::isnan(p.Degrees) &&
                        !std::isnan(p.AsymptoteDecibels));
        }
        for (std::size_t k = 1; k < l.Corners.size(); ++k)
            FUZZ_EXPECT(l.Corners[k] > l.Corners[k - 1]);
        RecordingSurface surface;
        const LogPictureCurve curve{&l, {0, 0, 200}};
        DrawLogCharacteristicsPicture(surface, area, std::span(&curve, 1));
        ExpectInside(surface, area);
    }
    return 0;
}
