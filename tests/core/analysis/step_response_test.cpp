// SPDX-License-Identifier: MIT
#include "core/analysis/polynomial_roots.h"
#include "core/analysis/step_response.h"
#include "core/tf/tf_text.h"

#include "support/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>

namespace nirdal {
namespace {

using test_support::Tf;

// Every sample within 1e-10·max(1, max|h|) of the exact solution: a tenth of what is asked.
void ExpectSamples(const StepResponse& r, const std::function<Extended(Extended)>& exact,
                   const char* what)
{
    ASSERT_EQ(r.Failure, "") << what;
    ASSERT_FALSE(r.Times.empty()) << what;
    Extended largest = 1;
    for (Extended t : r.Times)
        largest = std::max(largest, std::abs(exact(t)));
    int wrong = 0;
    for (std::size_t k = 0; k < r.Times.size(); ++k) {
        const Extended expected = exact(r.Times[k]);
        if (!(std::abs(r.Values[k] - expected) <= 1e-10L * largest) && wrong++ < 5)
            ADD_FAILURE() << what << " at t = " << double(r.Times[k]) << ": " << double(r.Values[k])
                          << " against " << double(expected);
    }
}

// P(k, x) = e^−x·Σ_{j≥k} x^j/j!, the step response of 1/(s + 1)^k at x ≥ 0, summed from
// its positive terms.
Extended RegularisedGamma(int k, Extended x)
{
    if (x <= 0)
        return 0;
    Extended term = std::exp(k * std::log(x) - std::lgamma(Extended(k + 1)) - x), sum = 0;
    for (int j = k; term > 1e-30L * sum || j < k + 5; ++j) {
        sum += term;
        term *= x / (j + 1);
    }
    return sum;
}

// W = K·exp(−Ts)/(s + 1)^q: the closed loop is Σ_k (−1)^(k+1)·W^k, and the step response of
// W^k is K^k·P(qk, t − kT), a finite sum at any t.
Extended LoopSeries(Extended gain, int q, Extended delay, Extended t)
{
    Extended h = 0, power = 1;
    for (int k = 1; k * delay <= t; ++k) {
        power *= -gain;
        h -= power * RegularisedGamma(q * k, t - k * delay);
    }
    return h;
}

TEST(StepResponse, FirstOrderLagWithDelayOnItsFirstThreeIntervals)
{
    // τy' + y = K·e(t − T): 0 on [0, T); K(1 − e^−(t−T)/τ) on [T, 2T); on [2T, 3T) with
    // s = t − 2T: K − K² + (y(2T) − K + K²)·e^−s/τ + (K²/τ)·s·e^−s/τ.
    const Extended K = 0.8L, tau = 2, T = 0.5L;
    const auto exact = [&](Extended t) -> Extended {
        if (t < T)
            return 0;
        if (t < 2 * T)
            return K * (1 - std::exp(-(t - T) / tau));
        const Extended y2 = K * (1 - std::exp(-T / tau));
        const Extended s = t - 2 * T;
        return K - K * K + (y2 - K + K * K) * std::exp(-s / tau) +
               K * K / tau * s * std::exp(-s / tau);
    };
    const StepResponse r = ComputeStepResponse(Tf("0.8:2,1", T), 3 * T, 301);
    ExpectSamples(r, exact, "lag, three intervals");
    EXPECT_EQ(r.Times.size(), 301u);
    EXPECT_EQ(double(r.Times.back()), 1.5);
}

TEST(StepResponse, DelayedLoopsAgreeWithTheirSeries)
{
    // 2·exp(−s)/(s + 1)³ over fifteen delays, the lag with gain 3 that grows, and a delay
    // that is not a multiple of anything.
    ExpectSamples(
        ComputeStepResponse(Tf("2:1,3,3,1", 1), 15, 1001),
        [](Extended t) { return LoopSeries(2, 3, 1, t); }, "2/(s+1)^3, T = 1");
    ExpectSamples(
        ComputeStepResponse(Tf("3:1,1", 0.7L), 7, 701),
        [](Extended t) { return LoopSeries(3, 1, 0.7L, t); }, "3/(s+1), T = 0.7");
    ExpectSamples(
        ComputeStepResponse(Tf("0.5:1,2,1", 0.0123L), 3, 301),
        [](Extended t) { return LoopSeries(0.5L, 2, 0.0123L, t); }, "0.5/(s+1)^2, T = 0.0123");
    ExpectSamples(
        ComputeStepResponse(Tf("0.9:1,15,105,455,1365,3003,5005,6435,6435,5005,3003,"
                               "1365,455,105,15,1",
                               2),
                            100, 1001),
        [](Extended t) { return LoopSeries(0.9L, 15, 2, t); }, "0.9/(s+1)^15, T = 2");
}

// The delay-free closed loop N/(D + N) by partial fractions over the roots of D + N:
// h(t) = H(0) + Σ N(p)/(p·Q'(p))·e^(pt), Q = D + N, for simple roots.
std::function<Extended(Extended)> PartialFractions(const TransferFunction& tf)
{
    std::vector<Extended> q(tf.DenominatorDegree + 1u), num(tf.NumeratorDegree + 1u);
    for (std::size_t k = 0; k < q.size(); ++k)
        q[k] = tf.A[k] + (k < num.size() ? tf.B[k] : 0);
    for (std::size_t k = 0; k < num.size(); ++k)
        num[k] = tf.B[k];
    const auto roots = PolynomialRoots(q);
    const auto evaluate = [](const std::vector<Extended>& c, std::complex<Extended> z) {
        std::complex<Extended> v = 0, d = 0;
        for (std::size_t k = c.size(); k-- > 0;) {
            d = d * z + v;
            v = v * z + c[k];
        }
        return std::pair{v, d};
    };
    std::vector<std::complex<Extended>> residues;
    for (const auto& p : roots)
        residues.push_back(evaluate(num, p).first / (p * evaluate(q, p).second));
    const Extended steady = num[0] / q[0];
    return [=](Extended t) {
        std::complex<Extended> h = steady;
        for (std::size_t i = 0; i < roots.size(); ++i)
            h += residues[i] * std::exp(roots[i] * t);
        return h.real();
    };
}

TEST(StepResponse, DelayFreeLoopsAgreeWithPartialFractions)
{
    for (const char* text : {"6:1,3,3,1", "1,2:1,3,4", "1.5:1,8,28,56,70,56,28,8,1",
                             "1.2:1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,"
                             "105,15,1"}) {
        const TransferFunction tf = Tf(text);
        ExpectSamples(ComputeStepResponse(tf, 60, 1001), PartialFractions(tf), text);
    }
}

TEST(StepResponse, ATypeOneLoopSettlesAtOne)
{
    const StepResponse r = ComputeStepResponse(Tf("1:1,1,0", 0.5L), 80, 801);
    ASSERT_EQ(r.Failure, "");
    ASSERT_TRUE(r.Indicators);
    EXPECT_EQ(double(r.Indicators->Steady), 1);
    EXPECT_NEAR(double(r.Values.back()), 1, 1e-6);
}

// The last t at which |h − h∞| > 5 % of |h∞|, found on the exact solution by a scan from the
// end and bisection.
Extended SettlingByScan(const std::function<Extended(Extended)>& exact, Extended steady,
                        Extended until)
{
    const auto outside = [&](Extended t) {
        return std::abs(exact(t) - steady) > 0.05L * std::abs(steady);
    };
    Extended t = until;
    while (!outside(t - 0.01L))
        t -= 0.01L;
    Extended lo = t - 0.01L, hi = t;
    for (int i = 0; i < 60; ++i)
        (outside((lo + hi) / 2) ? lo : hi) = (lo + hi) / 2;
    return lo;
}

TEST(StepResponse, IndicatorsOfTheSecondOrderLoop)
{
    // 1/(s(s+1)): ω_n = 1, ζ = 1/2; σ = exp(−πζ/√(1 − ζ²)), t_peak = π/ω_d.
    const Extended wd = std::sqrt(3.0L) / 2;
    const auto exact = [&](Extended t) {
        return 1 - std::exp(-t / 2) * (std::cos(wd * t) + std::sin(wd * t) / std::sqrt(3.0L));
    };
    const StepResponse r = ComputeStepResponse(Tf("1:1,1,0"), 20, 201);
    ExpectSamples(r, exact, "1/(s(s+1))");
    ASSERT_TRUE(r.Indicators);
    const Extended pi = std::acos(-1.0L);
    EXPECT_NEAR(double(r.Indicators->Steady), 1, 1e-15);
    EXPECT_NEAR(double(r.Indicators->OvershootPercent),
                double(100 * std::exp(-pi / std::sqrt(3.0L))), 1e-9);
    EXPECT_NEAR(double(r.Indicators->PeakTime), double(pi / wd), 1e-6);
    EXPECT_NEAR(double(r.Indicators->SettlingTime), double(SettlingByScan(exact, 1, 20)), 1e-9);
}

TEST(StepResponse, IndicatorsOfADelayedLoop)
{
    // 2·exp(−s)/(s + 1)³: h∞ = 2/3; the peak and the settling time of the series.
    const auto exact = [](Extended t) { return LoopSeries(2, 3, 1, t); };
    const StepResponse r = ComputeStepResponse(Tf("2:1,3,3,1", 1), 60, 601);
    ASSERT_TRUE(r.Indicators);
    EXPECT_NEAR(double(r.Indicators->Steady), 2.0 / 3, 1e-15);
    const Extended settling = SettlingByScan(exact, 2.0L / 3, 60);
    EXPECT_NEAR(double(r.Indicators->SettlingTime), double(settling), 1e-9 * double(settling));
    // The peak: the largest value on a fine grid of the series, refined by golden section.
    Extended best = 0;
    for (Extended t = 0; t <= 60; t += 0.01L)
        if (exact(t) > exact(best))
            best = t;
    Extended lo = best - 0.01L, hi = best + 0.01L;
    for (int i = 0; i < 100; ++i) {
        const Extended a = lo + (hi - lo) / 3, b = hi - (hi - lo) / 3;
        (exact(a) < exact(b) ? lo : hi) = exact(a) < exact(b) ? a : b;
    }
    const Extended peak = exact((lo + hi) / 2);
    EXPECT_NEAR(double(r.Indicators->PeakTime), double((lo + hi) / 2), 1e-5);
    EXPECT_NEAR(double(r.Indicators->OvershootPercent), double((peak * 1.5L - 1) * 100), 1e-8);
}

TEST(StepResponse, UnstableLoopsHaveSamplesButNoIndicators)
{
    const StepResponse r = ComputeStepResponse(Tf("16:1,3,3,1"), 10, 101);
    ASSERT_EQ(r.Failure, "");
    EXPECT_EQ(r.Verdict, StabilityVerdict::Unstable);
    EXPECT_FALSE(r.Indicators);
    EXPECT_EQ(r.Times.size(), 101u);
}

TEST(StepResponse, AnOverflowStopsAtTheLastFiniteSample)
{
    // exp(−s)·100/(s + 1) grows by about e^4.6 a second: past 1e300 within 200 s.
    const StepResponse r = ComputeStepResponse(Tf("100:1,1", 1), 1000, 10001);
    ASSERT_EQ(r.Failure, "");
    ASSERT_FALSE(r.Notes.empty());
    EXPECT_LT(r.Times.size(), 10001u);
    EXPECT_GT(r.Times.size(), 2u);
    for (Extended v : r.Values)
        EXPECT_LE(std::abs(v), kStepResponseOverflow);
}

TEST(StepResponse, BeforeTheDelayNothingMoves)
{
    const StepResponse r = ComputeStepResponse(Tf("1:1,1", 5), 2, 11);
    ASSERT_EQ(r.Values.size(), 11u);
    for (Extended v : r.Values)
        EXPECT_EQ(double(v), 0);
}

TEST(StepResponse, RefusedSpansAndVariants)
{
    EXPECT_NE(ComputeStepResponse(Tf("1:1,1"), 0, 11).Failure, "");
    EXPECT_NE(ComputeStepResponse(Tf("1:1,1"), -1, 11).Failure, "");
    EXPECT_NE(ComputeStepResponse(Tf("1:1,1"), std::nan(""), 11).Failure, "");
    EXPECT_NE(ComputeStepResponse(Tf("1:1,1"), 10, 1).Failure, "");
    TransferFunction proper; // (s + 0)/(s + 1): m = n
    proper.A[0] = proper.A[1] = proper.B[1] = 1;
    proper.DenominatorDegree = proper.NumeratorDegree = 1;
    EXPECT_NE(ComputeStepResponse(proper, 10, 11).Failure, "");
    // A delay of a microsecond over a day would take billions of steps.
    EXPECT_NE(ComputeStepResponse(Tf("1:1,1", 1e-6L), 86400, 11).Failure, "");
}

TEST(StepResponse, TheDefaultSpanShowsTheResponseSettle)
{
    for (const auto& [text, delay] :
         {std::pair{"2:1,3,3,1", 1.0L}, std::pair{"1:1,1,0", 0.0L}, std::pair{"6:1,3,3,1", 0.0L}}) {
        const TransferFunction tf = Tf(text, delay);
        const Extended span = DefaultStepSpan(tf);
        const StepResponse r = ComputeStepResponse(tf, span, 1001);
        ASSERT_TRUE(r.Indicators) << text;
        EXPECT_LE(r.Indicators->SettlingTime, 0.8L * span) << text;
    }
}

} // namespace
} // namespace nirdal

namespace nirdal {
namespace {

TEST(StepResponse, SpansAsShortAsTheNumbersGoGiveNumbers)
{
    // W = 0 leaves h ≡ 0 however short the span: samples a denormal apart from the first
    // Chebyshev point once came out as 0·∞ = NaN.
    const StepResponse r = ComputeStepResponse(Tf("0:1,1"), 1e-4940L, 24);
    ASSERT_EQ(r.Failure, "");
    ASSERT_EQ(r.Values.size(), 24u);
    for (Extended v : r.Values)
        EXPECT_EQ(double(v), 0);
}

// 2/(s + 1)³ under unit feedback peaks at t = 3.36 s, 29.86 % above h∞ = 2/3, and stays
// within 5 % after 7.29 s: a span that ends before either holds no reading of it.
TEST(StepResponse, IndicatorsOutsideTheSpanAreNotReached)
{
    const struct
    {
        Extended until;
        bool peak, settled;
    } cases[] = {{2, false, false}, {5, true, false}, {20, true, true}};
    for (const auto& c : cases) {
        const StepResponse r = ComputeStepResponse(Tf("2:1,3,3,1"), c.until, 101);
        ASSERT_TRUE(r.Indicators) << double(c.until);
        const StepIndicators& in = *r.Indicators;
        EXPECT_EQ(in.PeakReached, c.peak) << double(c.until);
        EXPECT_EQ(in.OvershootKnown(), c.peak) << double(c.until);
        EXPECT_EQ(in.SettlingReached, c.settled) << double(c.until);
        if (c.peak) {
            EXPECT_NEAR(double(in.OvershootPercent), 29.86, 0.01);
            EXPECT_NEAR(double(in.PeakTime), 3.36, 0.01);
        }
        if (c.settled) {
            EXPECT_NEAR(double(in.SettlingTime), 7.29, 0.01);
        }
    }
}

// Unstable closed loops take the first guess of DefaultStepSpan, 10·(Σ 1/|p| + T) and at
// least 1 s: 1/(s − 2) closes to 1/(s − 1), 5 s; 0.5/(s − 1) to 0.5/(s − 0.5), 10 s;
// 1/(s − 20) to 1/(s − 19), 0.5 s raised to 1 s. Several variants share the longest.
TEST(StepResponse, CommonSpanIsTheLongestOfTheVariants)
{
    const struct
    {
        std::vector<TransferFunction> variants;
        Extended span;
    } cases[] = {
        {{Tf("1:1,-2")}, 5},
        {{Tf("1:1,-2"), Tf("0.5:1,-1")}, 10},
        {{Tf("0.5:1,-1"), Tf("1:1,-2")}, 10},
        {{Tf("1:1,-20")}, 1},
        {{}, 0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(CommonStepSpan(c.variants), c.span, 1e-15L * c.span) << c.variants.size();
}

// 1/(s + 1) closes to 1/(s + 2): h = (1 − e^(−2t))/2 rises to 1/2 without a peak and stays
// within 5 % of it from t = ln 20/2 ≈ 1.498 s, seen to settle a fifth later (1.797 s).
TEST(StepResponse, UnfinishedSpanIsNotedAsAskedOrCut)
{
    const std::string rises = "h still rises at the span's end: its peak and overshoot lie beyond";
    const struct
    {
        const char* variant;
        Extended until;
        bool asked;
        std::vector<std::string> notes;
    } cases[] = {
        {"1:1,1", 1, true, {"the response has not settled by the span's end, 1 s", rises}},
        {"1:1,1",
         1.5L,
         false,
         {"the span is cut at 1.5 s, 1000000 steps of the integration, before the response "
          "settles",
          rises}},
        {"1:1,1", 10, true, {}},
        {"1:1,-2", 1, true, {}}, // unstable: no indicators, nothing to note
    };
    for (const auto& c : cases) {
        const TransferFunction variant = Tf(c.variant);
        StepResponse r = ComputeStepResponse(variant, c.until, 101);
        const std::size_t before = r.Notes.size();
        NoteUnfinishedSpan(r, variant, c.until, c.asked);
        EXPECT_EQ(
            std::vector<std::string>(r.Notes.begin() + static_cast<long>(before), r.Notes.end()),
            c.notes)
            << c.variant << " until " << static_cast<double>(c.until);
    }
}

// A delay of a microsecond holds each integration step to a microsecond: a span of 1000 s
// would take a thousand million steps, so the variant is computed over its own span instead.
TEST(StepResponse, VariantThatCannotTakeTheCommonSpanTakesItsOwn)
{
    const TransferFunction quick = Tf("1:1,1", 1e-6L);
    EXPECT_FALSE(ComputeStepResponse(quick, 1000, 11).Failure.empty());
    const StepResponse own = ComputeStepResponseWithin(quick, 1000, 11);
    EXPECT_TRUE(own.Failure.empty()) << own.Failure;
    ASSERT_FALSE(own.Times.empty());
    EXPECT_LT(own.Times.back(), 1000);
    // Within its steps the common span is kept.
    const StepResponse kept = ComputeStepResponseWithin(Tf("1:1,1"), 20, 11);
    ASSERT_FALSE(kept.Times.empty());
    EXPECT_EQ(kept.Times.back(), 20);
}

} // namespace
} // namespace nirdal
