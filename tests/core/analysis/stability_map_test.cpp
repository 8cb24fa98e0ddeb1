// SPDX-License-Identifier: MIT
#include "core/analysis/stability.h"
#include "core/analysis/stability_map.h"
#include "core/tf/tf_text.h"

#include "support/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace nirdal {
namespace {

constexpr Extended kPi = std::numbers::pi_v<Extended>;

using test_support::Tf;

// The closed forms of the boundary, K(ω) = 1/|W(jω)| and arg W(jω), worked out by hand.
struct ClosedForm
{
    const char* name;
    const char* tf;
    Extended (*gain)(Extended omega);
    Extended (*phase)(Extended omega);
};

const ClosedForm kClosedForms[] = {
    // e^(−0.5s)/(s + 1): K = √(1 + ω²), arg W = −atan ω − 0.5ω.
    {"lag with delay", "1:1,1:0.5", [](Extended w) { return std::sqrt(1 + w * w); },
     [](Extended w) { return -std::atan(w) - w / 2; }},
    // 1/(s(s + 1)): K = ω√(1 + ω²), arg W = −π/2 − atan ω.
    {"integrator", "1:1,1,0", [](Extended w) { return w * std::sqrt(1 + w * w); },
     [](Extended w) { return -kPi / 2 - std::atan(w); }},
    // 1/(s + 1)³: K = (1 + ω²)^(3/2), arg W = −3·atan ω.
    {"cubic lag", "1:1,3,3,1", [](Extended w) { return std::pow(1 + w * w, 1.5L); },
     [](Extended w) { return -3 * std::atan(w); }},
};

TEST(StabilityMap, EveryCurvePointLiesOnTheClosedFormBoundary)
{
    for (const ClosedForm& c : kClosedForms) {
        const StabilityMap map = ComputeStabilityMap(Tf(c.tf), {0.01L, 10, 6});
        ASSERT_TRUE(map.Failure.empty()) << c.name << ": " << map.Failure.English;
        ASSERT_FALSE(map.Curves.empty()) << c.name;
        long points = 0;
        for (const BoundaryCurve& curve : map.Curves) {
            for (std::size_t i = 0; i < curve.Frequencies.size(); ++i) {
                const Extended w = curve.Frequencies[i];
                EXPECT_NEAR(curve.Gains[i] / c.gain(w), 1, 1e-12L) << c.name << " ω = " << double(w);
                const Extended delay = (c.phase(w) + kPi + 2 * kPi * curve.Branch) / w;
                EXPECT_NEAR(curve.ExtraDelays[i], delay, 1e-9L * std::max<Extended>(1, std::abs(delay)))
                    << c.name << " k = " << curve.Branch << " ω = " << double(w);
                ++points;
            }
        }
        EXPECT_GT(points, 100) << c.name;
    }
}

// Points of the plane and their number of right-half-plane roots, from the closed forms.
struct KnownPoint
{
    const char* tf;
    Extended gain, extraDelay;
    std::optional<int> unstable;
};

TEST(StabilityMap, RegionsCountTheRootsWorkedOutByHand)
{
    const KnownPoint points[] = {
        // 1/(s + 1): below K = 1 stable at any delay; at K = 2 the boundary lies at ω = √3,
        // ΔT_0 = (π − π/3)/√3 = 1.2092 and ΔT_1 = 4.8368; each crossing adds a pair of roots.
        {"1:1,1", 0.5L, 5.5L, 0},
        {"1:1,1", 2, 1.1L, 0},
        {"1:1,1", 2, 1.3L, 2},
        {"1:1,1", 2, 4.7L, 2},
        {"1:1,1", 2, 5.0L, 4},
        // 1/(s(s + 1)): K = √2 at ω = 1 with ΔT_0 = π/4.
        {"1:1,1,0", std::sqrt(2.0L), 0.7L, 0},
        {"1:1,1,0", std::sqrt(2.0L), 0.87L, 2},
        // 1/(s + 1)³ at ΔT = 0: stable below K = 8, two roots above.
        {"1:1,3,3,1", 7.9L, 0, 0},
        {"1:1,3,3,1", 8.1L, 0, 2},
        // −1/(s + 1): the root s = K − 1 is real, so the line K = 1 bounds; at K = 2 the pair
        // of roots comes at ΔT = (2π − π/3)/√3 = 3.0230.
        {"-1:1,1", 0.9L, 2.9L, 0},
        {"-1:1,1", 1.1L, 0.1L, 1},
        {"-1:1,1", 2, 2.9L, 1},
        {"-1:1,1", 2, 3.1L, 3},
        // Outside the ranges the map says nothing.
        {"1:1,1", 20, 1, std::nullopt},
        {"1:1,1", 2, 7, std::nullopt},
    };
    for (const KnownPoint& p : points) {
        const StabilityMap map = ComputeStabilityMap(Tf(p.tf), {0.01L, 10, 6});
        ASSERT_TRUE(map.Failure.empty()) << p.tf << ": " << map.Failure.English;
        EXPECT_EQ(MapUnstableRoots(map, p.gain, p.extraDelay), p.unstable)
            << p.tf << " K = " << double(p.gain) << " ΔT = " << double(p.extraDelay);
    }
    const StabilityMap negative = ComputeStabilityMap(Tf("-1:1,1"), {});
    ASSERT_TRUE(negative.StaticGain.has_value());
    EXPECT_NEAR(*negative.StaticGain, 1, 1e-18L);
    EXPECT_FALSE(ComputeStabilityMap(Tf("1:1,1"), {}).StaticGain.has_value());
}

// The marks are the analysis's margins: K_cr = 8 for 1/(s + 1)³; 2e^(−s)/(s + 1)³ stands
// 0.539374 s more delay; 1/(s(s + 1)) has |W| = 1 at ω² = (√5 − 1)/2 with atan(1/ω)/ω of
// delay margin, and no phase crossover.
TEST(StabilityMap, MarksAreTheCriticalGainAndTheDelayMargin)
{
    const StabilityMap cubic = ComputeStabilityMap(Tf("1:1,3,3,1"), {});
    ASSERT_TRUE(cubic.CriticalGain.has_value());
    EXPECT_NEAR(*cubic.CriticalGain, 8, 1e-12L);
    EXPECT_FALSE(cubic.DelayMargin.has_value());

    const StabilityMap delayed = ComputeStabilityMap(Tf("2:1,3,3,1:1"), {0.01L, 100, 2.2L});
    ASSERT_TRUE(delayed.DelayMargin.has_value());
    EXPECT_NEAR(*delayed.DelayMargin, 0.539374L, 1e-6L);

    const Extended w = std::sqrt((std::sqrt(5.0L) - 1) / 2);
    const StabilityMap integrator = ComputeStabilityMap(Tf("1:1,1,0"), {});
    ASSERT_TRUE(integrator.DelayMargin.has_value());
    EXPECT_NEAR(*integrator.DelayMargin, std::atan(1 / w) / w, 1e-12L);
    EXPECT_FALSE(integrator.CriticalGain.has_value());
    // The delay margin lies on the map's boundary at K = 1: just below it stable, above not.
    const StabilityMap map = ComputeStabilityMap(Tf("1:1,1,0"), {0.01L, 100, 4});
    EXPECT_EQ(MapUnstableRoots(map, 1, *integrator.DelayMargin * 0.99L), 0);
    EXPECT_EQ(MapUnstableRoots(map, 1, *integrator.DelayMargin * 1.01L), 2);
}

// Every point of a 24 × 24 grid off the boundary has the count the Nyquist analysis of that
// very loop gives: a pole at s = 0, the line of a root at s = 0, and a resonance whose
// curves fold back (`map --grid 40` of a delayed cubic lag is checked against `analyse`).
TEST(StabilityMap, GridAgreesWithTheNyquistVerdictEverywhereOffTheBoundary)
{
    constexpr std::size_t kSide = 24;
    for (const auto& [text, most] : {std::pair{"1:1,1,0", 4.0L},
                                     std::pair{"-1:1,1", 1.0L}, std::pair{"1:1,0.2,1,0", 3.0L}}) {
        const TransferFunction variant = Tf(text);
        const StabilityMap map = ComputeStabilityMap(variant, {0.01L, 100, most});
        ASSERT_TRUE(map.Failure.empty()) << text << ": " << map.Failure.English;
        const MapGrid grid = ComputeMapGrid(map, kSide);
        ASSERT_EQ(grid.UnstableRoots.size(), kSide);
        EXPECT_EQ(grid.Gains.front(), 0.01L);
        EXPECT_EQ(grid.Gains.back(), 100);
        EXPECT_EQ(grid.ExtraDelays.back(), most);
        int unknown = 0;
        for (std::size_t i = 0; i < kSide; ++i) {
            for (std::size_t j = 0; j < kSide; ++j) {
                const StabilityAnalysis a =
                    AnalyseStability(MapLoop(variant, grid.Gains[i], grid.ExtraDelays[j]));
                ASSERT_TRUE(a.Failure.empty()) << a.Failure.English;
                if (a.Verdict == StabilityVerdict::Boundary)
                    continue;
                if (!grid.UnstableRoots[i][j]) {
                    ++unknown;
                    continue;
                }
                EXPECT_EQ(*grid.UnstableRoots[i][j], a.ClosedLoopRightPoles)
                    << text << " K = " << double(grid.Gains[i])
                    << " ΔT = " << double(grid.ExtraDelays[j]);
            }
        }
        EXPECT_EQ(unknown, 0) << text;
    }
}

TEST(StabilityMap, BadRangesAndVariantsAreRefused)
{
    constexpr Extended kNaN = std::numeric_limits<Extended>::quiet_NaN();
    constexpr Extended kInf = std::numeric_limits<Extended>::infinity();
    for (const auto& [from, to] : {std::pair{1.0L, 1.0L}, std::pair{10.0L, 1.0L},
                                   std::pair{kNaN, 1.0L}, std::pair{0.1L, kInf},
                                   std::pair{0.0L, 1.0L}, std::pair{1e-13L, 1.0L},
                                   std::pair{1.0L, 2e12L}}) {
        EXPECT_TRUE(GainRangeFault(from, to).has_value()) << double(from) << ":" << double(to);
        EXPECT_FALSE(ComputeStabilityMap(Tf("1:1,1"), {from, to, 1}).Failure.empty());
    }
    EXPECT_FALSE(GainRangeFault(1e-12L, 1e12L).has_value());
    for (const Extended most : {0.0L, -1.0L, kNaN, kInf, 2e12L})
        EXPECT_TRUE(ExtraDelayRangeFault(most).has_value()) << double(most);
    EXPECT_FALSE(ExtraDelayRangeFault(1e12L).has_value());

    // The analysis's own refusal: the numerator's degree not below the denominator's.
    TransferFunction improper1 = Tf("1:1,1");
    improper1.B[1] = 1;
    improper1.NumeratorDegree = 1;
    const StabilityMap improper = ComputeStabilityMap(improper1, {});
    EXPECT_NE(improper.Failure.English.find("numerator degree"), std::string::npos) << improper.Failure.English;
    // A delay range that would need ever more branches says so instead of running long.
    const StabilityMap crowded = ComputeStabilityMap(Tf("1:1,1"), {0.01L, 100, 1e12L});
    EXPECT_NE(crowded.Failure.English.find("narrow its ranges"), std::string::npos) << crowded.Failure.English;
}

} // namespace
} // namespace nirdal
