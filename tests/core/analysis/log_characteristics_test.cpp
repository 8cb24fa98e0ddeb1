// SPDX-License-Identifier: MIT
#include "core/analysis/log_characteristics.h"
#include "core/tf/tf_text.h"

#include "support/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace nirdal {
namespace {

constexpr Extended kPi = std::numbers::pi_v<Extended>;
constexpr Extended kDegree = 180 / kPi;

using test_support::Tf;

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

TEST(LogCharacteristics, TheAsymptoteIsExactAtACornerOnTheGrid)
{
    // (s − 1)/(s + 1)²: every corner at 1 and a gain of 1, so L_a(1) = 0 dB; the 201st of 401
    // points from 0.1 to 10 lies there, lg ω = 0 on the grid (a logarithm of the ω reached by
    // multiplying up gave −9·10⁻¹⁹ dB).
    const LogCharacteristics c = ComputeLogCharacteristics(Tf("1,-1:1,2,1"), 0.1L, 10, 401);
    ASSERT_EQ(c.Points.size(), 401u);
    EXPECT_NEAR(double(c.Points[200].Frequency), 1, 1e-15);
    EXPECT_EQ(c.Points[200].AsymptoteDecibels, 0);
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

// (s + 1)^k from its binomial coefficients, with a gain of 1.
TransferFunction RepeatedLag(int k)
{
    TransferFunction tf;
    tf.DenominatorDegree = static_cast<std::uint8_t>(k);
    tf.B[0] = 1;
    Extended binomial = 1;
    for (int i = 0; i <= k; ++i) {
        tf.A[static_cast<std::size_t>(i)] = binomial;
        binomial = binomial * (k - i) / (i + 1);
    }
    return tf;
}

TEST(LogCharacteristics, RepeatedLagsAreExact)
{
    for (int k = 2; k <= 15; ++k) {
        const TransferFunction tf = RepeatedLag(k);
        const LogCharacteristics c = ComputeLogCharacteristics(tf, 0.01L, 100, 41);
        ASSERT_EQ(c.Failure, "") << k;
        for (const LogPoint& p : c.Points) {
            const Extended w = p.Frequency;
            EXPECT_NEAR(double(p.Decibels), double(-10 * k * std::log10(1 + w * w)), 1e-12)
                << "k = " << k << ", ω = " << double(w);
            EXPECT_NEAR(double(p.Degrees), double(-k * std::atan(w) * kDegree), 1e-12)
                << "k = " << k << ", ω = " << double(w);
            EXPECT_NEAR(double(p.AsymptoteDecibels), w < 1 ? 0 : double(-20 * k * std::log10(w)),
                        1e-12);
        }
        // One point alone, far above the corner: the whole turns without a neighbour.
        const LogPoint far = LogCharacteristicAt(FactorVariant(tf), 1e3L);
        EXPECT_NEAR(double(far.Degrees), double(-k * std::atan(1e3L) * kDegree), 1e-12) << k;
        // The k-fold pole is one corner at 1.
        ASSERT_EQ(c.Corners.size(), 1u) << k;
        EXPECT_NEAR(double(c.Corners[0]), 1, 1e-15) << k;
        EXPECT_EQ(c.CornerMultiplicities[0], k);
    }
}

TEST(LogCharacteristics, CornersOfRepeatedRootsCountTheirMultiplicity)
{
    // (s + 2)(s² + 2s + 2)²·(s + 10)³: a double complex pair at |−1 ± j| = √2 (four roots), a
    // simple pole at 2, a triple one at 10, and the zero of s + 0.5 below them.
    const TransferFunction tf = Tf("1,0.5:1,36,496,3304,11540,23808,30240,22400,8000");
    const std::vector<Corner> corners = CornersOf(FactorVariant(tf));
    ASSERT_EQ(corners.size(), 4u);
    const double frequency[] = {0.5, std::sqrt(2.0), 2, 10};
    const int multiplicity[] = {1, 4, 1, 3};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(double(corners[i].Frequency), frequency[i], 1e-12 * frequency[i]) << i;
        EXPECT_EQ(corners[i].Multiplicity, multiplicity[i]) << i;
    }
    // Two distinct poles 1 % apart stay two corners.
    EXPECT_EQ(CornersOf(FactorVariant(Tf("1:1,2.01,1.01"))).size(), 2u);
}

TEST(LogCharacteristics, ExactFromTheSmallestToTheLargestFrequencies)
{
    // 10/(s(s+1)(s+10)): |W| = 1/ω below ω = 1e-100, so L = 4000 dB at ω = 1e-200 (it was
    // cut at 3000 dB), φ → −90°; far above every corner |W| = 10/ω³ and φ = −270°, where
    // ω³ leaves the range of numbers (above 1e1644).
    const FactoredVariant w = FactorVariant(Tf("10:1,11,10,0"));
    const struct
    {
        Extended omega, decibels, degrees;
    } points[] = {{1e-200L, 4000, -90}, {1e-4900L, 98000, -90}, {1e2470L, 20 - 60 * 2470, -270},
                  {1e4900L, 20 - 60 * 4900, -270}};
    for (const auto& p : points) {
        const LogPoint at = LogCharacteristicAt(w, p.omega);
        EXPECT_NEAR(double(at.Decibels / p.decibels), 1, 1e-15) << double(std::log10(p.omega));
        EXPECT_NEAR(double(at.Degrees), double(p.degrees), 1e-9) << double(std::log10(p.omega));
        EXPECT_NEAR(double(at.AsymptoteDecibels / p.decibels), 1, 1e-15);
    }
    const LogCharacteristics c = ComputeLogCharacteristics(Tf("10:1,11,10,0"), 1e-4900L, 1e4900L, 99);
    for (const LogPoint& p : c.Points) {
        EXPECT_TRUE(std::isfinite(p.Decibels)) << double(std::log10(p.Frequency));
        EXPECT_GE(p.Degrees, -270.000001L);
        EXPECT_LE(p.Degrees, -89.999999L);
    }
}

// Each variant's range runs from a decade below its lowest corner to a decade above its
// highest (0.01 to 100 rad/s without one); several share the widest. 0/(s + 1) has no
// logarithm and no characteristics, so it leaves the range alone.
TEST(LogCharacteristics, CommonRangeSpansTheVariantsThatHaveOne)
{
    const struct
    {
        std::vector<TransferFunction> variants;
        Extended from, to;
    } cases[] = {
        {{Tf("1:1,1")}, 0.1L, 10},
        {{Tf("1:1,1"), Tf("1:1,100")}, 0.1L, 1000},
        {{Tf("1:1,0"), Tf("1:1,1000")}, 0.01L, 10000},
        {{Tf("1:1,100"), Tf("0:1,1")}, 10, 1000},
        {{Tf("0:1,1")}, 0.01L, 100},
        {{}, 0.01L, 100},
    };
    for (const auto& c : cases) {
        Extended from = 0, to = 0;
        CommonFrequencyRange(c.variants, from, to);
        EXPECT_NEAR(from, c.from, 1e-15L * c.from) << c.variants.size();
        EXPECT_NEAR(to, c.to, 1e-15L * c.to) << c.variants.size();
    }
}

} // namespace
} // namespace nirdal
