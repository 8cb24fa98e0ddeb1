// SPDX-License-Identifier: MIT
#include "core/analysis/scaled_complex.h"

#include <gtest/gtest.h>

#include <numbers>
#include <vector>

namespace nirdal::scaled {
namespace {

constexpr Extended kLn10 = std::numbers::ln10_v<Extended>;

TEST(ScaledComplex, PolynomialsOnTheAxisBeyondTheRange)
{
    // (1 + s)³ = 1 + 3s + 3s² + s³ at s = jω: |·| = (1 + ω²)^(3/2), arg = 3·atan ω. At
    // ω = 1e2000 the cube is 1e6000, beyond Extended; at ω = 1e-3000 the value is 1 + 3jω.
    const std::vector<Extended> cube{1, 3, 3, 1};
    const AxisValue far = PolynomialOnAxis(cube, 1e2000L);
    EXPECT_NEAR(double(LogModulus(far.Value) / (6000 * kLn10)), 1, 1e-18);
    EXPECT_NEAR(double(std::arg(far.Value.M)), double(3 * std::numbers::pi_v<Extended> / 2 -
                                                      2 * std::numbers::pi_v<Extended>),
                1e-15);
    EXPECT_NEAR(double(LogModulus(far.Terms) / (6000 * kLn10)), 1, 1e-18);
    const AxisValue near = PolynomialOnAxis(cube, 1e-3000L);
    const Complex value = Unscaled(near.Value);
    EXPECT_EQ(value.real(), 1);
    EXPECT_NEAR(double(value.imag() / 3e-3000L), 1, 1e-18);
}

TEST(ScaledComplex, PlainArithmeticOnlyWhereTheTermsStayInRange)
{
    // 1 + 3s + 3s² + s³: every term within 2^±4000 while ω³ ≤ 2^4000 and ω³ ≥ 2^-4000,
    // that is for 10^-401.4 ≤ ω ≤ 10^401.4.
    const PlainRange cube = PlainRangeOf(std::vector<Extended>{1, 3, 3, 1});
    EXPECT_TRUE(cube.AtZero);
    EXPECT_TRUE(cube.Contains(1e400L));
    EXPECT_FALSE(cube.Contains(1e402L));
    EXPECT_TRUE(cube.Contains(1e-400L));
    EXPECT_FALSE(cube.Contains(1e-402L));
    // A coefficient of 1e4000 (2^13288) is beyond the plain range at every ω.
    const PlainRange huge = PlainRangeOf(std::vector<Extended>{1e4000L, 1});
    EXPECT_FALSE(huge.AtZero);
    EXPECT_FALSE(huge.Contains(1));
    // Where it holds, Horner's rule gives the closed form: (1 + j)³ = −2 + 2j, terms 8.
    Extended terms = 0;
    EXPECT_EQ(PlainOnAxis(std::vector<Extended>{1, 3, 3, 1}, 1, terms), Complex(-2, 2));
    EXPECT_EQ(terms, 8);
}

} // namespace
} // namespace nirdal::scaled
