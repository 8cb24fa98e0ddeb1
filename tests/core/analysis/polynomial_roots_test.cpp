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

} // namespace
} // namespace nirdal
