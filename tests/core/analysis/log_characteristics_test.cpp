// SPDX-License-Identifier: MIT
#include "core/analysis/log_characteristics.h"
#include "core/tf/tf_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace nirdal {
namespace {

constexpr Extended kPi = std::numbers::pi_v<Extended>;
constexpr Extended kDegree = 180 / kPi;

TransferFunction Tf(const char* text, Extended delay = 0)
{
    TransferFunction tf;
    std::string error;
    EXPECT_TRUE(ParseTransferFunctionText(text, tf, error)) << text << ": " << error;
    tf.Delay = delay;
    return tf;
}

// L, φ and L_a of simple factors, worked by hand at chosen ω.
struct LogCase
{
    const char* name;
    const char* tf;
    Extended delay;
    Extended omega;
    Extended decibels, degrees, asymptote;
};

void PrintTo(const LogCase& c, std::ostream* out)
{
    *out << c.name;
}

const Extended kLg2 = std::log10(2.0L);

const LogCase kLogCases[] = {
    // 1/(s+1) at its corner: |W| = 1/√2 against 0 dB on the asymptote.
    {"LagAtCorner", "1:1,1", 0, 1, -10 * kLg2, -45, 0},
    {"LagDecadeAbove", "1:1,1", 0, 10, -10 * std::log10(101.0L), -std::atan(10.0L) * kDegree, -20},
    {"LagDecadeBelow", "1:1,1", 0, 0.1L, -10 * std::log10(1.01L), -std::atan(0.1L) * kDegree, 0},
    // 10/s: −20 dB per decade through 20 dB at ω = 1, −90° everywhere.
    {"Integrator", "10:1,0", 0, 100, -20, -90, -20},
    // 5/(s+2) = 2.5/(0.5s+1): asymptote 20 lg 2.5 below ω = 2.
    {"LagGainBelowCorner", "5:1,2", 0, 0.5L, 20 * std::log10(5 / std::sqrt(4.25L)),
     -std::atan(0.25L) * kDegree, 20 * std::log10(2.5L)},
    // The delay takes ωT rad without wrapping: at ω = 10 with T = 2 the phase is far below −180°.
    {"LagWithDelay", "1:1,1", 2, 10, -10 * std::log10(101.0L),
     -std::atan(10.0L) * kDegree - 20 * kDegree, -20},
    // (s − 1)/(s + 1)²: the zero in the right half-plane adds 180° − atan ω.
    {"RightZero", "1,-1:1,2,1", 0, 1, -10 * kLg2, 135 - 90, 0},
    // −2/(s+1): the negative gain starts the phase at 180°.
    {"NegativeGain", "-2:1,1", 0, 1, 20 * std::log10(2 / std::sqrt(2.0L)), 180 - 45, 20 * kLg2},
    // 1/(s² + 0.2s + 1): at ω = 1 |W| = 1/0.2 = 5, φ = −90°, asymptote 0 dB.
    {"Resonance", "1:1,0.2,1", 0, 1, 20 * std::log10(5.0L), -90, 0},
};

class LogCharacteristicCases : public testing::TestWithParam<LogCase>
{
};

TEST_P(LogCharacteristicCases, AgreeWithTheFactorsWorkedByHand)
{
    const LogCase& c = GetParam();
    const FactoredVariant w = FactorVariant(Tf(c.tf, c.delay));
    ASSERT_EQ(w.Failure, "");
    const LogPoint p = LogCharacteristicAt(w, c.omega);
    EXPECT_NEAR(double(p.Decibels), double(c.decibels), 1e-12);
    EXPECT_NEAR(double(p.Degrees), double(c.degrees), 1e-10);
    EXPECT_NEAR(double(p.AsymptoteDecibels), double(c.asymptote), 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Log, LogCharacteristicCases, testing::ValuesIn(kLogCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LogCharacteristics, ACornerLiesThreeDecibelsBelowTheAsymptote)
{
    const FactoredVariant w = FactorVariant(Tf("1:1,1"));
    EXPECT_NEAR(double(LogCharacteristicAt(w, 1).Decibels), -3.0103, 1e-4);
}

TEST(LogCharacteristics, CornersAndTheAsymptoteCrossover)
{
    // 10/(s(s+1)(s+10)): −20 dB/dec through 0 dB at ω = 1, then −40 dB/dec.
    const FactoredVariant w = FactorVariant(Tf("10:1,11,10,0"));
    const std::vector<Extended> corners = CornerFrequencies(w);
    ASSERT_EQ(corners.size(), 2u);
    EXPECT_NEAR(double(corners[0]), 1, 1e-15);
    EXPECT_NEAR(double(corners[1]), 10, 1e-14);
    ASSERT_TRUE(AsymptoteCrossover(w));
    EXPECT_NEAR(double(*AsymptoteCrossover(w)), 1, 1e-14);
    EXPECT_NEAR(double(AsymptoteDecibels(w, 0.01L)), 40, 1e-12);
    // At ω = 100: 20 lg 10 less 20 lg 100 for each of the three poles.
    EXPECT_NEAR(double(AsymptoteDecibels(w, 100)), 20 - 3 * 40, 1e-12);

    // 100/(s+1)²: +40 dB below ω = 1, −40 dB/dec above, 0 dB at ω = 10; the double pole is
    // one corner.
    const FactoredVariant twice = FactorVariant(Tf("100:1,2,1"));
    EXPECT_EQ(CornerFrequencies(twice).size(), 1u);
    ASSERT_TRUE(AsymptoteCrossover(twice));
    EXPECT_NEAR(double(*AsymptoteCrossover(twice)), 10, 1e-12);

    // 0.5/(s+1) never reaches 0 dB.
    EXPECT_FALSE(AsymptoteCrossover(FactorVariant(Tf("0.5:1,1"))));

    // 1000(s+1)/((s+0.1)(s+100)²): 0 dB up to ω = 0.1, −20 dB/dec to ω = 1, flat at −20 dB
    // to ω = 100, then −40 dB/dec: the highest ω with L_a = 0 is the first corner.
    const FactoredVariant middle = FactorVariant(Tf("1000,1000:1,200.1,10020,1000"));
    EXPECT_NEAR(double(AsymptoteDecibels(middle, 10)), -20, 1e-12);
    ASSERT_TRUE(AsymptoteCrossover(middle));
    EXPECT_NEAR(double(*AsymptoteCrossover(middle)), 0.1, 1e-12);
}

TEST(LogCharacteristics, DefaultRangeAndLogSpacing)
{
    const TransferFunction tf = Tf("10:1,11,10,0");
    Extended from = 0, to = 0;
    DefaultFrequencyRange(FactorVariant(tf), from, to);
    EXPECT_NEAR(double(from), 0.1, 1e-15);
    EXPECT_NEAR(double(to), 100, 1e-13);
    const LogCharacteristics c = ComputeLogCharacteristics(tf, from, to, 4);
    ASSERT_EQ(c.Points.size(), 4u);
    const double expected[] = {0.1, 1, 10, 100};
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(double(c.Points[std::size_t(k)].Frequency), expected[k], 1e-13 * expected[k]);
    // A pure gain over s has no corner: 0.01 to 100.
    DefaultFrequencyRange(FactorVariant(Tf("3:1,0")), from, to);
    EXPECT_EQ(double(from), 0.01);
    EXPECT_EQ(double(to), 100);
}

TEST(LogCharacteristics, VariantsWithoutCharacteristicsSayWhy)
{
    TransferFunction proper; // (s + 0)/(s + 1): m = n
    proper.A[0] = proper.A[1] = proper.B[1] = 1;
    proper.DenominatorDegree = proper.NumeratorDegree = 1;
    EXPECT_NE(FactorVariant(proper).Failure, "");
    EXPECT_NE(FactorVariant(Tf("0:1,1")).Failure, "");
    EXPECT_NE(ComputeLogCharacteristics(Tf("1:1,1", -1), 1, 10, 5).Failure, "");
}

} // namespace
} // namespace nirdal
