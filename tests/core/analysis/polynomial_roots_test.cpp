// SPDX-License-Identifier: MIT
#include "core/analysis/polynomial_roots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace nirdal {
namespace {

using Complex = std::complex<Extended>;

std::vector<Complex> Sorted(std::vector<Complex> roots)
{
    std::sort(roots.begin(), roots.end(), [](const Complex& a, const Complex& b) {
        return a.real() != b.real() ? a.real() < b.real() : a.imag() < b.imag();
    });
    return roots;
}

void ExpectRoots(const std::vector<Extended>& c, const std::vector<Complex>& expected,
                 Extended tolerance)
{
    const std::vector<Complex> roots = Sorted(PolynomialRoots(c));
    ASSERT_EQ(roots.size(), expected.size());
    for (std::size_t i = 0; i < roots.size(); ++i)
        EXPECT_LE(std::abs(roots[i] - expected[i]), tolerance)
            << "root " << i << ": " << static_cast<double>(roots[i].real()) << " "
            << static_cast<double>(roots[i].imag());
}

TEST(PolynomialRoots, SimpleRealAndComplexRootsToFullPrecision)
{
    // (s − 2)(s + 3)(s² + 2s + 5): roots 2, −3, −1 ± 2j.
    ExpectRoots({-30, -7, 1, 3, 1}, {{-3, 0}, {-1, -2}, {-1, 2}, {2, 0}}, 1e-15L);
    // s² + 1, given highest coefficient first as 4 s² + 4.
    ExpectRoots({4, 0, 4}, {{0, -1}, {0, 1}}, 1e-15L);
}

TEST(PolynomialRoots, RootsAtTheOriginAreExact)
{
    const std::vector<Complex> roots = Sorted(PolynomialRoots(std::vector<Extended>{0, 0, -2, 1}));
    ASSERT_EQ(roots.size(), 3u);
    EXPECT_EQ(roots[0], Complex(0));
    EXPECT_EQ(roots[1], Complex(0));
    EXPECT_NEAR(static_cast<double>(roots[2].real()), 2.0, 1e-15);
}

TEST(PolynomialRoots, ZeroTopCoefficientsLowerTheDegree)
{
    ExpectRoots({1, 1, 0, 0}, {{-1, 0}}, 0);
    EXPECT_TRUE(PolynomialRoots(std::vector<Extended>{5, 0, 0}).empty());
    EXPECT_TRUE(PolynomialRoots(std::vector<Extended>{0, 0}).empty());
}

TEST(PolynomialRoots, TripleRootStaysInTheLeftHalfPlane)
{
    // (s + 1)³: the eigenvalues scatter by about the cube root of the precision.
    ExpectRoots({1, 3, 3, 1}, {{-1, 0}, {-1, 0}, {-1, 0}}, 1e-5L);
}

TEST(PolynomialRoots, BadlyScaledCoefficientsAreBalanced)
{
    // (s + 1e-4)(s + 1)(s + 1e4)
    ExpectRoots({1, 10001.0001L, 10001.0001L, 1}, {{-1e4L, 0}, {-1, 0}, {-1e-4L, 0}}, 1e-12L);
}

TEST(PolynomialRoots, WidelySpreadRootsKeepTheirDigits)
{
    // (s + 1e-20)(s + 1e20): the eigenvalues alone lose the small root.
    const std::vector<Complex> roots =
        Sorted(PolynomialRoots(std::vector<Extended>{1, 1e20L + 1e-20L, 1}));
    ASSERT_EQ(roots.size(), 2u);
    EXPECT_NEAR(static_cast<double>(roots[0].real() / -1e20L), 1, 1e-15);
    EXPECT_NEAR(static_cast<double>(roots[1].real() / -1e-20L), 1, 1e-15);
}

TEST(PolynomialRoots, LostRootsAreNoticed)
{
    // (s + 0.5)^15: the eigenvalues scatter by a tenth, yet each is a root to the precision.
    std::vector<Extended> power{1};
    for (int k = 0; k < 15; ++k) {
        power.insert(power.begin(), 0);
        for (std::size_t i = 0; i + 1 < power.size(); ++i)
            power[i] += 0.5L * power[i + 1];
    }
    EXPECT_TRUE(RootsHoldUp(power, PolynomialRoots(power)));

    // Coefficients from 1e-21 to 1e18: most eigenvalues are lost, and Newton steps gather
    // them on the one small root that is simple.
    const std::vector<Extended> wild{
        0xb.a9cae7b1c768a26p-70L,  0xd.0fea336c4edd64p+6L,    -0xa.52eb3efde86b38ep-32L,
        0xe.72394809473faf6p-49L,  -0xb.2bdb3735d8d53b1p+12L, -0x9.96b6c527c462305p-68L,
        -0xd.b8f38128fc2ac72p+15L, 0xe.dbd7868344afbb1p+44L,  0x9.94cc5d7aab12a4p-37L,
        0x9.02c13a538fee20ep-42L,  0x8.f52b3c988927119p+13L,  -0xb.cc8d5793a873d27p+57L,
        0x9.a211254f67c9219p+16L,  -0xd.5e3ca63991cf825p+49L, -0xa.03c796c1e1e7638p-59L};
    EXPECT_FALSE(RootsHoldUp(wild, PolynomialRoots(wild)));
    // A made-up root set fails too.
    EXPECT_FALSE(RootsHoldUp(std::vector<Extended>{2, -3, 1}, {Complex(1), Complex(1)}));
}

} // namespace
} // namespace nirdal
