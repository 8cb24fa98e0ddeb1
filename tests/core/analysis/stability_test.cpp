// SPDX-License-Identifier: MIT
#include "core/analysis/polynomial_roots.h"
#include "core/analysis/stability.h"
#include "core/tf/tf_text.h"

#include "support/time_limit.h"

#include "support/variant.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <cstdlib>
#include <future>
#include <numbers>
#include <ostream>
#include <random>

namespace nirdal {
namespace {

constexpr Extended kPi = std::numbers::pi_v<Extended>;
constexpr Extended kDegree = 180 / kPi;

using test_support::Tf;

// A loop with margins and a verdict derived by hand; NaN where a margin does not exist.
struct ClassicCase
{
    const char* name;
    const char* tf;
    Extended delay;
    StabilityVerdict verdict;
    int p, n;
    Extended gainMargin, phaseCrossover;
    Extended phaseMargin, gainCrossover;
};

void PrintTo(const ClassicCase& c, std::ostream* out)
{
    *out << c.name;
}

constexpr Extended kNone = std::numeric_limits<Extended>::quiet_NaN();

// 1/(s+1)³: phase −180° where atan ω = 60°, ω = √3, |W| = 1/8.
const Extended kSqrt3 = std::sqrt(3.0L);
// K/(s+1)³ with K = 4: |W| = 1 where 1 + ω² = 4^(2/3).
const Extended kCubeGc = std::sqrt(std::cbrt(16.0L) - 1);
// 1/(s(s+1)): ω²(1 + ω²) = 1.
const Extended kIntegratorGc = std::sqrt((std::sqrt(5.0L) - 1) / 2);
// exp(−sT)·K/(s+1) with T = 3π/4: phase −180° where atan ω + ωT = π, that is ω = 1.
const Extended kLagDelay = 3 * kPi / 4;
// (s+1)²/s³: |W| = 1 where ω³ = ω² + 1.
const Extended kTripleGc = 1.465571231876768026656731L;
// (s + 1)^15: phase −180° where atan ω = 12°.
const Extended kFifteenPc = std::tan(kPi / 15);

const ClassicCase kClassicCases[] = {
    {"CubeGain4", "4:1,3,3,1", 0, StabilityVerdict::Stable, 0, 0, 2, kSqrt3,
     180 - 3 * std::atan(kCubeGc) * kDegree, kCubeGc},
    {"CubeGain16", "16:1,3,3,1", 0, StabilityVerdict::Unstable, 0, 2, 0.5L, kSqrt3,
     180 - 3 * std::atan(std::sqrt(std::cbrt(256.0L) - 1)) * kDegree,
     std::sqrt(std::cbrt(256.0L) - 1)},
    {"CubeTinyGain", "1e-9:1,3,3,1", 0, StabilityVerdict::Stable, 0, 0, 8e9L, kSqrt3, kNone, kNone},
    {"LagWithDelayStable", "1.25:1,1", kLagDelay, StabilityVerdict::Stable, 0, 0,
     std::sqrt(2.0L) / 1.25L, 1, 180 - std::atan(0.75L) * kDegree - 0.75L * 135, 0.75L},
    {"LagWithDelayUnstable", "2:1,1", kLagDelay, StabilityVerdict::Unstable, 0, 2,
     std::sqrt(2.0L) / 2, 1, 180 - 60 - kSqrt3 * 135, kSqrt3},
    {"LagWithDelayBelowUnitGain", "0.5:1,1", kLagDelay, StabilityVerdict::Stable, 0, 0,
     2 * std::sqrt(2.0L), 1, kNone, kNone},
    {"Integrator", "1:1,1,0", 0, StabilityVerdict::Stable, 0, 0, kNone, kNone,
     180 - 90 - std::atan(kIntegratorGc) * kDegree, kIntegratorGc},
    // s + K·exp(−sT) is stable while KT < π/2; the phase crossover is at ωT = π/2.
    {"IntegratorWithDelay", "1:1,0", 1, StabilityVerdict::Stable, 0, 0, kPi / 2, kPi / 2,
     90 - kDegree, 1},
    {"IntegratorWithLongDelay", "2:1,0", 1, StabilityVerdict::Unstable, 0, 2, kPi / 4, kPi / 2,
     90 - 2 * kDegree, 2},
    {"UnstableOpenLoopStabilised", "2:1,-1", 0, StabilityVerdict::Stable, 1, -1, 0.5L, 0,
     180 - (180 - std::atan(kSqrt3) * kDegree), kSqrt3},
    {"UnstableOpenLoopTooWeak", "0.5:1,-1", 0, StabilityVerdict::Unstable, 1, 0, 2, 0, kNone,
     kNone},
    // s³ + K(s+1)²: stable for K > 1/2, so the gain may only be halved.
    {"ConditionallyStable", "1,2,1:1,0,0,0", 0, StabilityVerdict::Stable, 0, 0, 0.5L, 1,
     180 - (270 - 2 * std::atan(kTripleGc) * kDegree), kTripleGc},
    {"FifteenfoldLag", "1:1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,105,15,1", 0,
     StabilityVerdict::Stable, 0, 0, std::pow(1 / std::cos(kPi / 15), 15.0L), kFifteenPc, kNone,
     kNone},
};

class ClassicLoops : public testing::TestWithParam<ClassicCase>
{
};

void ExpectMargin(const std::optional<Margin>& margin, Extended value, Extended frequency,
                  const char* what)
{
    if (std::isnan(value)) {
        EXPECT_FALSE(margin) << what << " " << static_cast<double>(margin->Value);
        return;
    }
    ASSERT_TRUE(margin) << what;
    EXPECT_NEAR(static_cast<double>(margin->Value), static_cast<double>(value),
                1e-12 * std::max(1.0, std::abs(static_cast<double>(value))))
        << what;
    EXPECT_NEAR(static_cast<double>(margin->Frequency), static_cast<double>(frequency), 1e-12)
        << what << " frequency";
}

TEST_P(ClassicLoops, VerdictCountsAndMargins)
{
    const ClassicCase& c = GetParam();
    const StabilityAnalysis result = AnalyseStability(Tf(c.tf, c.delay));
    ASSERT_EQ(result.Failure.English, "");
    EXPECT_EQ(result.Verdict, c.verdict) << VerdictName(result.Verdict);
    EXPECT_EQ(result.RightHalfPlanePoles, c.p);
    ASSERT_TRUE(result.Encirclements);
    EXPECT_EQ(*result.Encirclements, c.n);
    EXPECT_EQ(*result.ClosedLoopRightPoles, c.p + c.n);
    ExpectMargin(result.GainMargin, c.gainMargin, c.phaseCrossover, "gain margin");
    ExpectMargin(result.PhaseMargin, c.phaseMargin, c.gainCrossover, "phase margin");
}

INSTANTIATE_TEST_SUITE_P(Analysis, ClassicLoops, testing::ValuesIn(kClassicCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Stability, CurveThroughMinusOneIsTheBoundary)
{
    const StabilityAnalysis cube = AnalyseStability(Tf("8:1,3,3,1"));
    ASSERT_EQ(cube.Failure.English, "");
    EXPECT_EQ(cube.Verdict, StabilityVerdict::Boundary);
    EXPECT_FALSE(cube.Encirclements);
    ASSERT_TRUE(cube.GainMargin);
    EXPECT_NEAR(static_cast<double>(cube.GainMargin->Value), 1, 1e-15);
    EXPECT_NEAR(static_cast<double>(cube.GainMargin->Frequency), std::sqrt(3.0), 1e-15);
    ASSERT_TRUE(cube.PhaseMargin);
    EXPECT_NEAR(static_cast<double>(cube.PhaseMargin->Value), 0, 1e-12);

    // W(0) = −1: the closed loop s + 1 − 1 has its pole at s = 0.
    EXPECT_EQ(AnalyseStability(Tf("-1:1,1")).Verdict, StabilityVerdict::Boundary);
    // N and D share s: the closed loop keeps a pole at the origin.
    const StabilityAnalysis shared = AnalyseStability(Tf("1,0:1,1,0"));
    EXPECT_EQ(shared.Verdict, StabilityVerdict::Boundary);
    EXPECT_FALSE(shared.Notes.empty());
}

TEST(Stability, PolesOnTheImaginaryAxisArePassedOnTheRight)
{
    // (s²+1)(s+1) + 1 = s³ + s² + s + 2: Routh's first column 1, 1, −1, 2 changes sign twice.
    const StabilityAnalysis oscillator = AnalyseStability(Tf("1:1,1,1,1"));
    ASSERT_EQ(oscillator.Failure.English, "");
    EXPECT_EQ(oscillator.ImaginaryAxisPoles, 2);
    EXPECT_EQ(oscillator.RightHalfPlanePoles, 0);
    EXPECT_EQ(oscillator.Verdict, StabilityVerdict::Unstable);
    EXPECT_EQ(oscillator.ClosedLoopRightPoles, 2);

    // (s²+1)(s+2) + (s+1) = s³ + 2s² + 2s + 3: Routh 1, 2, 1/2, 3, no sign change.
    const StabilityAnalysis damped = AnalyseStability(Tf("1,1:1,2,1,2"));
    ASSERT_EQ(damped.Failure.English, "");
    EXPECT_EQ(damped.Verdict, StabilityVerdict::Stable);
    EXPECT_EQ(damped.Encirclements, 0);

    // (s+1)/s²: s² + s + 1 is stable; the double pole at 0 turns W by −2π on its semicircle.
    const StabilityAnalysis doubleIntegrator = AnalyseStability(Tf("1,1:1,0,0"));
    ASSERT_EQ(doubleIntegrator.Failure.English, "");
    EXPECT_EQ(doubleIntegrator.ImaginaryAxisPoles, 2);
    EXPECT_EQ(doubleIntegrator.Verdict, StabilityVerdict::Stable);
    EXPECT_FALSE(doubleIntegrator.GainMargin);
    ASSERT_TRUE(doubleIntegrator.PhaseMargin);
    const Extended gc = std::sqrt((1 + std::sqrt(5.0L)) / 2);
    EXPECT_NEAR(static_cast<double>(doubleIntegrator.PhaseMargin->Value),
                static_cast<double>(std::atan(gc) * kDegree), 1e-12);
}

TEST(Stability, WithADelayTheLeftmostCrossingDecidesTheGainMargin)
{
    // 10·exp(−s)/(s+1) meets the negative axis where atan ω + ω = (2k+1)π, at U = −10/√(1+ω²):
    // about −4.4 at ω ≈ 2.0, then −1.24 at ω ≈ 8.0, then ever closer to 0. Only a gain
    // 1/4.4 of this one puts every crossing right of −1.
    const StabilityAnalysis result = AnalyseStability(Tf("10:1,1", 1));
    ASSERT_EQ(result.Failure.English, "");
    ASSERT_GE(result.PhaseCrossovers.size(), 2u);
    for (const Crossover& c : result.PhaseCrossovers) {
        const Extended turns = ((std::atan(c.Frequency) + c.Frequency) / kPi - 1) / 2;
        EXPECT_NEAR(static_cast<double>(turns), std::nearbyint(static_cast<double>(turns)), 1e-12);
        EXPECT_NEAR(static_cast<double>(c.U),
                    static_cast<double>(-10 / std::sqrt(1 + c.Frequency * c.Frequency)), 1e-12);
    }
    EXPECT_LT(result.PhaseCrossovers[1].U, -1);
    ASSERT_TRUE(result.GainMargin);
    EXPECT_EQ(result.GainMargin->Frequency, result.PhaseCrossovers[0].Frequency);
    EXPECT_NEAR(static_cast<double>(result.GainMargin->Value),
                static_cast<double>(-1 / result.PhaseCrossovers[0].U), 1e-15);
    // Both crossings left of −1 encircle it twice each over the whole contour.
    EXPECT_EQ(result.Encirclements, 4);
    EXPECT_EQ(result.Verdict, StabilityVerdict::Unstable);
}

TEST(Stability, NearTheBoundaryTheVerdictFollowsTheGain)
{
    // K/(s+1)³ passes 1e-7 from −1 on either side of K = 8.
    const StabilityAnalysis below = AnalyseStability(Tf("7.9999992:1,3,3,1"));
    const StabilityAnalysis above = AnalyseStability(Tf("8.0000008:1,3,3,1"));
    EXPECT_EQ(below.Verdict, StabilityVerdict::Stable);
    EXPECT_EQ(above.Verdict, StabilityVerdict::Unstable);
    EXPECT_EQ(above.ClosedLoopRightPoles, 2);
}

TEST(Stability, ZeroLeadingCoefficientsAreDropped)
{
    const StabilityAnalysis padded = AnalyseStability(Tf("0,4:0,1,3,3,1"));
    const StabilityAnalysis plain = AnalyseStability(Tf("4:1,3,3,1"));
    ASSERT_EQ(padded.Failure.English, "");
    EXPECT_EQ(padded.Poles.size(), 3u);
    EXPECT_EQ(padded.GainMargin->Value, plain.GainMargin->Value);
}

TEST(Stability, VariantsThatCannotBeAnalysedSayWhy)
{
    for (const auto& [text, delay] : {std::pair<const char*, Extended>{"1,0:0,1,1", 0},
                                      {"1:1,1", -0.5L},
                                      {"1:0,0", 0},
                                      {"1:0,2", 0}}) {
        const StabilityAnalysis result = AnalyseStability(Tf(text, delay));
        EXPECT_NE(result.Failure.English, "") << text;
        EXPECT_TRUE(result.Poles.empty()) << text;
    }
}

TEST(Stability, ReportTextsAreAlsoInRussian)
{
    EXPECT_STREQ(RussianVerdictName(StabilityVerdict::Stable), "устойчива");
    EXPECT_STREQ(RussianVerdictName(StabilityVerdict::Unstable), "неустойчива");
    EXPECT_STREQ(RussianVerdictName(StabilityVerdict::Boundary), "на границе");

    const StabilityAnalysis shared = AnalyseStability(Tf("1,0:1,1,0"));
    const Message sharedNote{
        "N(s) and D(s) share the factor s: the closed loop keeps 1 pole at s = 0",
        "у N(s) и D(s) общий множитель s: у замкнутой системы остаётся 1 полюс в s = 0"};
    EXPECT_EQ(shared.Notes, std::vector<Message>{sharedNote});
    const std::vector<Message> square = AnalyseStability(Tf("1,0,0:1,1,0,0")).Notes;
    ASSERT_EQ(square.size(), 1u);
    EXPECT_EQ(square[0].Russian,
              "у N(s) и D(s) общий множитель s^2: у замкнутой системы остаётся 2 полюса в s = 0");

    // (s+1)/s²: one note, on the double pole at the origin and its semicircle.
    const StabilityAnalysis doubleIntegrator = AnalyseStability(Tf("1,1:1,0,0"));
    ASSERT_EQ(doubleIntegrator.Notes.size(), 1u);
    const std::string& note = doubleIntegrator.Notes[0].Russian;
    EXPECT_TRUE(note.starts_with("полюс кратности 2 в s = 0 обойдён справа полуокружностью "
                                 "радиуса "))
        << note;
    EXPECT_TRUE(note.ends_with(" и в P не входит")) << note;

    const struct
    {
        const char* tf;
        Extended delay;
        const char* failure;
    } failures[] = {
        {"1:1,1", -0.5L,
         "отрицательное запаздывание физически невозможно; такой вариант не исследуется"},
        {"1:0,0", 0, "знаменатель равен нулю"},
        {"1:0,2", 0, "знаменатель — постоянная: у W(s) нет полюсов"},
        {"1,0:0,1,1", 0,
         "степень числителя (1) должна быть ниже степени знаменателя (1) после отбрасывания "
         "нулевых старших коэффициентов"},
    };
    for (const auto& f : failures)
        EXPECT_EQ(AnalyseStability(Tf(f.tf, f.delay)).Failure.Russian, f.failure) << f.tf;
}

TEST(Stability, ZeroNumeratorKeepsTheOpenLoopPoles)
{
    const StabilityAnalysis result = AnalyseStability(Tf("0:1,-3,2"));
    ASSERT_EQ(result.Failure.English, "");
    EXPECT_EQ(result.RightHalfPlanePoles, 2);
    EXPECT_EQ(result.Verdict, StabilityVerdict::Unstable);
    EXPECT_FALSE(result.GainMargin);
    EXPECT_FALSE(result.PhaseMargin);
}

} // namespace
} // namespace nirdal

namespace nirdal {
namespace {

// Without a delay the closed loop's poles are the roots of D + N: the count of encirclements
// must agree with them for any loop not too near the boundary.
TEST(Stability, WithoutDelayTheCountAgreesWithTheClosedLoopRoots)
{
    std::mt19937 random(20240611);
    std::uniform_real_distribution<double> coefficient(-3, 3);
    std::uniform_int_distribution<int> degree(1, 9), integrators(0, 2);
    int compared = 0;
    for (int trial = 0; trial < 400; ++trial) {
        TransferFunction tf;
        const int n = degree(random);
        const int m = std::uniform_int_distribution<int>(0, n - 1)(random);
        const int k = std::min(integrators(random), n - m);
        tf.DenominatorDegree = static_cast<std::uint8_t>(n);
        tf.NumeratorDegree = static_cast<std::uint8_t>(m);
        for (int i = k; i <= n; ++i)
            tf.A[static_cast<std::size_t>(i)] = coefficient(random);
        for (int i = 0; i <= m; ++i)
            tf.B[static_cast<std::size_t>(i)] = coefficient(random);
        std::vector<Extended> closedLoop(tf.A.begin(), tf.A.begin() + n + 1);
        for (int i = 0; i <= m; ++i)
            closedLoop[static_cast<std::size_t>(i)] += tf.B[static_cast<std::size_t>(i)];
        int right = 0;
        Extended nearest = 1;
        for (const auto& root : PolynomialRoots(closedLoop)) {
            right += root.real() > 0;
            nearest =
                std::min(nearest, std::abs(root.real()) / std::max<Extended>(1, std::abs(root)));
        }
        if (nearest < 1e-6L)
            continue;
        const StabilityAnalysis result = AnalyseStability(tf);
        ASSERT_EQ(result.Failure.English, "") << "trial " << trial;
        ASSERT_TRUE(result.ClosedLoopRightPoles) << "trial " << trial;
        EXPECT_EQ(*result.ClosedLoopRightPoles, right) << "trial " << trial;
        ++compared;
    }
    EXPECT_GT(compared, 350);
}

// Runs the analysis aside, so that a hang fails the test instead of blocking the suite; the
// wait is generous against a loaded machine, the second is what a teacher may wait.
StabilityAnalysis AnalysedInTime(const char* text, Extended delay = 0)
{
    const TransferFunction variant = Tf(text, delay);
    const auto start = std::chrono::steady_clock::now();
    auto analysis = std::async(std::launch::async, [&] { return AnalyseStability(variant); });
    if (analysis.wait_for(test_support::TimeLimit(std::chrono::seconds(5))) !=
        std::future_status::ready) {
        ADD_FAILURE() << text << " still runs after 5 s (50 s with sanitizers)";
        std::abort(); // the thread cannot be stopped, and the test cannot return without it
    }
    const StabilityAnalysis result = analysis.get();
    // A guard against a walk gone quadratic, loose enough for a loaded machine; the figures
    // themselves (well under a second) are the benchmarks'.
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              test_support::TimeLimit(std::chrono::seconds(3)))
        << text;
    return result;
}

TEST(Stability, GainsBeyondTheSquareRootOfTheRangeAreAnalysed)
{
    // K/(s+1) with K = 1e2470: |W|² overflows at ω = 0 already. The closed loop s + 1 + K has
    // its pole at −1 − K; the phase is −atan ω, −90° + 1/ω rad at the gain crossover
    // ω = √(K² − 1) ≈ K, and never reaches −180°.
    const StabilityAnalysis lag = AnalysedInTime("1e2470:1,1");
    ASSERT_EQ(lag.Failure.English, "");
    EXPECT_EQ(lag.Verdict, StabilityVerdict::Stable);
    EXPECT_EQ(lag.Encirclements, 0);
    EXPECT_EQ(lag.ClosedLoopRightPoles, 0);
    EXPECT_FALSE(lag.GainMargin);
    ASSERT_TRUE(lag.PhaseMargin);
    EXPECT_NEAR(static_cast<double>(lag.PhaseMargin->Value), 90, 1e-12);
    EXPECT_NEAR(static_cast<double>(std::log10(lag.PhaseMargin->Frequency)), 2470, 1e-12);

    // K/(s² + s + 1) with K = 1e4900: s² + s + 1 + K is stable for every K > 0, and the phase
    // −atan2(ω, 1 − ω²) only tends to −180°: no gain margin. At the gain crossover ω ≈ √K the
    // curve passes −1 at W ≈ −1 − j/ω, a phase margin of 1/ω rad = 5.73e−2449°, far below
    // the 1e-9 rad within which the analysis takes a crossover for −1 itself.
    const StabilityAnalysis second = AnalysedInTime("1e4900:1,1,1");
    ASSERT_EQ(second.Failure.English, "");
    EXPECT_EQ(second.Verdict, StabilityVerdict::Boundary);
    EXPECT_EQ(second.RightHalfPlanePoles, 0);
    EXPECT_FALSE(second.GainMargin);
    ASSERT_TRUE(second.PhaseMargin);
    EXPECT_NEAR(static_cast<double>(std::log10(second.PhaseMargin->Frequency)), 2450, 1e-12);
    const Extended byHand = kDegree / std::sqrt(1e4900L);
    EXPECT_NEAR(static_cast<double>(second.PhaseMargin->Value / byHand), 1, 1e-9);

    // Fifteen poles on the unit circle and K = 1e4931: ω^15 overflows from ω = 1e329 on,
    // where |W| is still about 1e−4. D(s) = (s^16 − 1)/(s − 1) has its roots at the 16th
    // roots of unity but 1: ±j on the axis, six right of it. The closed loop's roots lie
    // near those of s^15 = −K, at angles (2k + 1)·12°: eight of them right of the axis.
    const StabilityAnalysis fifteen =
        AnalysedInTime("1e4931:1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1");
    ASSERT_EQ(fifteen.Failure.English, "");
    EXPECT_EQ(fifteen.RightHalfPlanePoles, 6);
    EXPECT_EQ(fifteen.ImaginaryAxisPoles, 2);
    EXPECT_EQ(fifteen.Verdict, StabilityVerdict::Unstable);
    EXPECT_EQ(fifteen.ClosedLoopRightPoles, 8);
}

TEST(Stability, CoefficientsAtTheEndsOfTheRangeAreAnalysedInTime)
{
    // Degree 15 with one subnormal coefficient and two near the largest: plain arithmetic
    // overflows at every point of the hodograph and must not be tried point after point.
    TransferFunction variant;
    variant.DenominatorDegree = 15;
    variant.NumeratorDegree = 14;
    variant.A[6] = 0x0.000000000001828p-16385L; // about 2.3e-4947
    variant.A[11] = -0x8.cb119eee4f7b8d4p+16368L; // about −1.6e4928
    variant.B[7] = -0x9.738ee0e9ec103e9p+16368L;
    variant.B[9] = 25;
    // It follows the hodograph to the end of the range (ω ≈ 1e4932), where it gives up; that
    // took two seconds of processor time, and now about a quarter of one. Processor time, as
    // the machine may be busy with other tests.
    const auto processorTime = [] {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
    };
    const auto start = processorTime();
    const StabilityAnalysis result = AnalyseStability(variant);
    EXPECT_LT(processorTime() - start, test_support::TimeLimit(std::chrono::seconds(1)));
    EXPECT_NE(result.Failure.English, "");
}

TEST(Stability, AHodographTooLongToFollowIsRefusedInTime)
{
    // 10·exp(−sT)/(s+1) with T = 1e5 turns once every 2π·1e-5 rad/s while |W| > 1, up to
    // ω ≈ 10: about 1.6e5 turns, ten million steps of 0.1 rad, beyond the cap on the work.
    const StabilityAnalysis result = AnalysedInTime("10:1,1", 1e5L);
    EXPECT_NE(result.Failure.English.find("hodograph"), std::string::npos)
        << result.Failure.English;
    EXPECT_NE(result.Failure.Russian.find("годограф"), std::string::npos);
    EXPECT_TRUE(result.Poles.empty());
}

} // namespace
} // namespace nirdal

namespace nirdal {
namespace {

// Delay margins worked from the phase margin and the gain crossover: ΔT = PM/ω_c, PM in rad.
struct DelayMarginCase
{
    const char* name;
    const char* tf;
    Extended delay;
    Extended seconds; ///< NaN: no delay margin
    Extended frequency;
};

void PrintTo(const DelayMarginCase& c, std::ostream* out)
{
    *out << c.name;
}

// 2/(s+1)³: |W| = 1 where 1 + ω² = 2^(2/3); arg W = −3·atan ω − ωT.
const Extended kTwoCubeGc = std::sqrt(std::cbrt(4.0L) - 1);

const DelayMarginCase kDelayMarginCases[] = {
    {"CubeGain2Delay1", "2:1,3,3,1", 1, (kPi - 3 * std::atan(kTwoCubeGc) - kTwoCubeGc) / kTwoCubeGc,
     kTwoCubeGc},
    {"CubeGain4", "4:1,3,3,1", 0, (kPi - 3 * std::atan(kCubeGc)) / kCubeGc, kCubeGc},
    // 1/(s(s+1)): PM = π/2 − atan ω_c.
    {"Integrator", "1:1,1,0", 0, (kPi / 2 - std::atan(kIntegratorGc)) / kIntegratorGc,
     kIntegratorGc},
    // 1.25/(s+1)·exp(−sT), T = 3π/4: ω_c = 0.75, PM = π − atan 0.75 − 0.75·T.
    {"LagWithDelay", "1.25:1,1", kLagDelay, (kPi - std::atan(0.75L) - 0.75L * kLagDelay) / 0.75L,
     0.75L},
    {"Unstable", "16:1,3,3,1", 0, kNone, 0},
    {"NeverReachesUnitGain", "0.5:1,1", 1, kNone, 0},
};

class DelayMargins : public testing::TestWithParam<DelayMarginCase>
{
};

TEST_P(DelayMargins, FromThePhaseMarginAndTheCrossover)
{
    const DelayMarginCase& c = GetParam();
    const StabilityAnalysis result = AnalyseStability(Tf(c.tf, c.delay));
    ASSERT_EQ(result.Failure.English, "");
    if (std::isnan(c.seconds)) {
        EXPECT_FALSE(result.DelayMargin);
        return;
    }
    ASSERT_TRUE(result.DelayMargin);
    EXPECT_NEAR(static_cast<double>(result.DelayMargin->Seconds), static_cast<double>(c.seconds),
                1e-12);
    EXPECT_NEAR(static_cast<double>(result.DelayMargin->Frequency),
                static_cast<double>(c.frequency), 1e-12);
    // Independently, by the Nyquist count: a little less extra delay stays stable, a little
    // more does not.
    EXPECT_EQ(AnalyseStability(Tf(c.tf, c.delay + c.seconds * 0.999L)).Verdict,
              StabilityVerdict::Stable);
    EXPECT_EQ(AnalyseStability(Tf(c.tf, c.delay + c.seconds * 1.001L)).Verdict,
              StabilityVerdict::Unstable);
}

INSTANTIATE_TEST_SUITE_P(Analysis, DelayMargins, testing::ValuesIn(kDelayMarginCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A fixed point x = f(x) by iteration, f a contraction near it.
template <typename Function> Extended FixedPoint(Function f, Extended x)
{
    for (int i = 0; i < 200; ++i)
        x = f(x);
    return x;
}

TEST(Stability, LongDelaysAreAnalysedUpToTheCrossingsThatMatter)
{
    // 1/(s+1)³·exp(−sT): |W| < 1 for every ω > 0, so the loop is stable for any T; the gain
    // margin is read at the first crossing, 3·atan ω + ωT = π, where |W| = (1 + ω²)^(−3/2).
    // With T = 1e6 it is 1 + 1.5e-11, within the tolerance that puts the curve through −1.
    for (const Extended delay : {1e3L, 1e4L, 1e6L}) {
        const StabilityAnalysis result = AnalysedInTime("1:1,3,3,1", delay);
        ASSERT_EQ(result.Failure.English, "") << double(delay);
        const Extended omega =
            FixedPoint([&](Extended w) { return (kPi - 3 * std::atan(w)) / delay; }, 0);
        EXPECT_EQ(result.Verdict,
                  delay < 1e6L ? StabilityVerdict::Stable : StabilityVerdict::Boundary);
        ASSERT_TRUE(result.GainMargin);
        EXPECT_NEAR(double(result.GainMargin->Value - 1),
                    double(std::pow(1 + omega * omega, 1.5L) - 1), 1e-6 * double(omega * omega));
        EXPECT_NEAR(double(result.GainMargin->Frequency / omega), 1, 1e-12);
        // a few dozen steps over the first turn, not the million turns to ω = 2
        EXPECT_LT(result.Evaluations, 200) << double(delay);
    }
    // 1e-4·exp(−sT)/(s(s+1)³) with T = 1e4: |W| = 1 where ω(1 + ω²)^(3/2) = 1e-4; there the
    // phase is −π/2 − 3·atan ω − ωT, π/2 − 1 rad and a little above −π: the delay margin is
    // that phase margin over ω.
    const StabilityAnalysis slow = AnalysedInTime("1e-4:1,3,3,1,0", 1e4L);
    ASSERT_EQ(slow.Failure.English, "");
    EXPECT_EQ(slow.Verdict, StabilityVerdict::Stable);
    const Extended crossover =
        FixedPoint([](Extended w) { return 1e-4L / std::pow(1 + w * w, 1.5L); }, 1e-4L);
    const Extended phaseMargin = kPi / 2 - 3 * std::atan(crossover) - crossover * 1e4L;
    ASSERT_TRUE(slow.PhaseMargin);
    EXPECT_NEAR(double(slow.PhaseMargin->Value), double(phaseMargin * kDegree), 1e-9);
    ASSERT_TRUE(slow.DelayMargin);
    EXPECT_NEAR(double(slow.DelayMargin->Seconds / (phaseMargin / crossover)), 1, 1e-12);
    EXPECT_NEAR(double(slow.DelayMargin->Frequency / crossover), 1, 1e-12);
}

TEST(Stability, TheWalkStaysCheap)
{
    // Evaluations of W(jω) of a few loops, with room: each crossing is refined in about ten
    // (bisection took sixty), and the walk ends where the tail can change nothing.
    const struct
    {
        const char* tf;
        Extended delay;
        long most;
    } loops[] = {{"2:1,3,3,1", 0, 90},
                 {"2:1,3,3,1", 1, 120},
                 {"1.2:1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,105,15,1", 1, 600},
                 {"1:1,3,3,1", 100, 400}};
    for (const auto& loop : loops) {
        const StabilityAnalysis result = AnalyseStability(Tf(loop.tf, loop.delay));
        ASSERT_EQ(result.Failure.English, "") << loop.tf;
        EXPECT_GT(result.Evaluations, 0) << loop.tf;
        EXPECT_LE(result.Evaluations, loop.most) << loop.tf << " T = " << double(loop.delay);
    }
}

TEST(Stability, TheDelayMarginOfTheWorkedExampleIsAboutHalfASecond)
{
    const StabilityAnalysis result = AnalyseStability(Tf("2:1,3,3,1", 1));
    ASSERT_TRUE(result.DelayMargin);
    EXPECT_NEAR(static_cast<double>(result.DelayMargin->Seconds), 0.5394, 5e-5);
}

} // namespace
} // namespace nirdal

namespace nirdal {
namespace {

TEST(Stability, NumbersThatAreNotFiniteAreRefusedAtOnce)
{
    // A coefficient or delay no parser gives but a corrupted variant may hold: refused with its
    // reason, not walked (such a walk once ran for 25 s).
    TransferFunction tf = Tf("1:1,2,1");
    tf.A[1] = std::numeric_limits<Extended>::quiet_NaN();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(AnalyseStability(tf).Failure.English, "a coefficient is not a finite number");
    tf = Tf("1:1,2,1");
    tf.B[0] = std::numeric_limits<Extended>::infinity();
    EXPECT_EQ(AnalyseStability(tf).Failure.English, "a coefficient is not a finite number");
    tf = Tf("1:1,2,1", std::numeric_limits<Extended>::infinity());
    EXPECT_EQ(AnalyseStability(tf).Failure.English, "the delay is not a finite number of seconds");
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              test_support::TimeLimit(std::chrono::seconds(3)));
}

} // namespace
} // namespace nirdal
