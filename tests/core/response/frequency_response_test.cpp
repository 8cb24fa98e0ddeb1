// SPDX-License-Identifier: MIT
#include "core/response/frequency_response.h"
#include "response_test_support.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <complex>

namespace nirdal {
namespace {

using testing_support::Variant;
using Complex = std::complex<Extended>;

// W(jω) by Horner's rule over complex numbers, as an independent reference.
Complex Reference(const TransferFunction& tf, Extended omega)
{
    const Complex s(0, omega);
    Complex n = 0, d = 0;
    for (int k = tf.NumeratorDegree; k >= 0; --k)
        n = n * s + tf.B[k];
    for (int k = tf.DenominatorDegree; k >= 0; --k)
        d = d * s + tf.A[k];
    return n / d * std::exp(Complex(0, -tf.Delay * omega));
}

TEST(EvaluateResponse, FirstOrderLagAtEighteenIsExact)
{
    TransferFunction tf = Variant("1:1,1");
    ResponsePoint point{18, 0, 0};
    ASSERT_TRUE(EvaluateResponse(point, tf));
    EXPECT_EQ(point.Frequency, 18);
    EXPECT_EQ(point.U, 1.0L / 325);
    EXPECT_EQ(point.V, -18.0L / 325);
}

struct ReferenceCase
{
    const char* tf;
    Extended omega;
};

void PrintTo(const ReferenceCase& c, std::ostream* out)
{
    *out << c.tf << " at " << static_cast<double>(c.omega);
}

class EvaluateAgainstReference : public testing::TestWithParam<ReferenceCase>
{
};

// Every sign of the powers of j, both parts of both polynomials, and the delay.
TEST_P(EvaluateAgainstReference, MatchesComplexArithmetic)
{
    const TransferFunction tf = Variant(GetParam().tf);
    ResponsePoint point{GetParam().omega, 0, 0};
    ASSERT_TRUE(EvaluateResponse(point, tf));
    const Complex expected = Reference(tf, GetParam().omega);
    const Extended scale = std::abs(expected);
    EXPECT_NEAR(point.U, expected.real(), 1e-15L * scale);
    EXPECT_NEAR(point.V, expected.imag(), 1e-15L * scale);
}

INSTANTIATE_TEST_SUITE_P(
    Polynomials, EvaluateAgainstReference,
    testing::Values(ReferenceCase{"1:1,4,6,4,1", 2.7069L},
                    ReferenceCase{"1:1,4,6,4,1:0.5", 3.3836L},
                    ReferenceCase{"3,-2,5,7:1,2,3,4,5,6", 0.73L},
                    ReferenceCase{"2,1:1,0,0,0,-1,0,0,2,0", 1.9L},
                    ReferenceCase{"1,-1,1,-1,1,-1,1,-1,1,-1,1,-1,1,-1,1:"
                                  "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16:0.25",
                                  1.3L},
                    ReferenceCase{"1:1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,"
                                  "105,15,1",
                                  0.6L}));

// Values left over from earlier entries above the degrees must not count.
TEST(EvaluateResponse, IgnoresCoefficientsAboveTheDegrees)
{
    const TransferFunction clean = Variant("2:1,3,1:0.1");
    TransferFunction leftover = clean;
    leftover.B[1] = 5;
    leftover.B[14] = -3;
    leftover.A[3] = 9;
    leftover.A[15] = 1e30L;
    for (Extended omega : {0.1L, 1.0L, 40.0L}) {
        ResponsePoint a{omega, 0, 0}, b{omega, 0, 0};
        ASSERT_TRUE(EvaluateResponse(a, clean));
        ASSERT_TRUE(EvaluateResponse(b, leftover));
        EXPECT_EQ(a, b) << static_cast<double>(omega);
    }
}

TEST(EvaluateResponse, ReportsZeroAndOverflowingDenominator)
{
    ResponsePoint onPole{1, 0, 0}; // 20s² + 20 vanishes at ω = 1
    EXPECT_FALSE(EvaluateResponse(onPole, Variant("1:20,0,20")));
    ResponsePoint huge{1e300L, 0, 0}; // ω^30 overflows
    EXPECT_FALSE(EvaluateResponse(huge, Variant("1:1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1")));
}

TEST(PolynomialPart, DegreeZeroHasNoOddPart)
{
    std::array<Extended, kCoefficientCount> c{};
    c[0] = 3;
    c[1] = 5; // above the degree
    EXPECT_EQ(PolynomialPart(0, c, PolynomialPartKind::Even, 2), 3);
    EXPECT_EQ(PolynomialPart(0, c, PolynomialPartKind::Odd, 2), 0);
    EXPECT_EQ(PolynomialPart(1, c, PolynomialPartKind::Odd, 2), 10);
}

TEST(PolynomialPart, DegreeAboveFifteenStopsAtTheLastCoefficient)
{
    std::array<Extended, kCoefficientCount> c{};
    c.fill(1);
    EXPECT_EQ(PolynomialPart(200, c, PolynomialPartKind::Even, 1),
              PolynomialPart(15, c, PolynomialPartKind::Even, 1));
}

// Older point at ω = 1, newer at ω = 0.9, newer on the unit circle; the distance sets ρ.
struct StepCase
{
    Extended distance;
    Extended factor; // expected next frequency / 0.9
    Extended tolerance;
};

void PrintTo(const StepCase& c, std::ostream* out)
{
    *out << "distance " << static_cast<double>(c.distance);
}

class StepRule : public testing::TestWithParam<StepCase>
{
};

TEST_P(StepRule, FactorFollowsRelativeDistanceWithinTheClamps)
{
    const ResponsePoint older{1, 1 + GetParam().distance, 0};
    const ResponsePoint newer{0.9L, 1, 0};
    const SweepStep step = NextSweepFrequency(older, newer);
    ASSERT_EQ(step.Fault, SweepStepFault::None);
    EXPECT_NEAR(step.RelativeDistance, GetParam().distance, 1e-12L);
    EXPECT_NEAR(step.Frequency / 0.9L, GetParam().factor, GetParam().tolerance);
}

INSTANTIATE_TEST_SUITE_P(WorkedFactors, StepRule,
                         testing::Values(StepCase{0.01L, 0.6328L, 1e-4L}, // inside the clamps
                                         StepCase{0.05L, 0.9L, 0},        // 0.9125 clamped to 0.9
                                         StepCase{0.005L, 0.5L, 0}));     // 0.4005 clamped to 0.5

TEST(StepRule, FirstStepOfFirstOrderLag)
{
    const ResponsePoint older{40, 0.0006246096189881324L, -0.02498438475952529L};
    const ResponsePoint newer{20, 0.002493765586034913L, -0.04987531172069825L};
    const SweepStep step = NextSweepFrequency(older, newer);
    EXPECT_NEAR(step.RelativeDistance, 0.4998L, 1e-4L);
    EXPECT_EQ(step.Frequency, 18); // g ≈ 0.9416, clamped to 0.9
}

TEST(StepRule, RefusesCoincidentPointsAndAPointAtTheOrigin)
{
    const ResponsePoint point{2, 0.25L, -0.5L};
    EXPECT_EQ(NextSweepFrequency(point, ResponsePoint{1, 0.25L, -0.5L}).Fault,
              SweepStepFault::PointsCoincide);
    EXPECT_EQ(NextSweepFrequency(point, ResponsePoint{1, 0, 0}).Fault,
              SweepStepFault::PointAtOrigin);
    EXPECT_EQ(NextSweepFrequency(ResponsePoint{0, 1, 1}, ResponsePoint{0, 0.5L, 0.5L}).Fault,
              SweepStepFault::NotFinite);
}

} // namespace
} // namespace nirdal
