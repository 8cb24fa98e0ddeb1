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

// Each expected root matched to its own computed root within tolerance·max(1, |root|).
void ExpectRootSet(const std::vector<Extended>& c, const std::vector<Complex>& expected,
                   Extended tolerance,
                   std::vector<Complex> (*find)(std::span<const Extended>) = PolynomialRoots)
{
    std::vector<Complex> roots = find(c);
    ASSERT_EQ(roots.size(), expected.size());
    for (const Complex& r : expected) {
        const auto nearest =
            std::min_element(roots.begin(), roots.end(), [&](const Complex& a, const Complex& b) {
                return std::abs(a - r) < std::abs(b - r);
            });
        EXPECT_LE(std::abs(*nearest - r), tolerance * std::max<Extended>(1, std::abs(r)))
            << "degree " << c.size() - 1 << ", root " << static_cast<double>(r.real()) << " "
            << static_cast<double>(r.imag());
        roots.erase(nearest);
    }
}

TEST(PolynomialRoots, RootsOfUnity)
{
    // s^k − 1 and s^k + 1: the companion matrix is a cyclic permutation, on which the QR steps
    // stall until the exceptional shifts after 10 and 30 of them move it.
    const Extended pi = std::acos(Extended{-1});
    for (std::size_t k = 2; k <= 15; ++k) {
        for (const Extended sign : {Extended{-1}, Extended{1}}) {
            std::vector<Extended> c(k + 1, 0);
            c[0] = sign;
            c[k] = 1;
            std::vector<Complex> expected;
            for (std::size_t m = 0; m < k; ++m)
                expected.push_back(std::polar(Extended{1}, (2 * m + (sign > 0 ? 1 : 0)) * pi / k));
            ExpectRootSet(c, expected, 1e-15L);
        }
    }
}

// The product of (s − r) over the roots, a complex root taken with its conjugate: its
// coefficients by power.
std::vector<Extended> FromRoots(const std::vector<Complex>& roots)
{
    std::vector<Extended> c{1};
    for (const Complex& r : roots) {
        const std::vector<Extended> factor =
            r.imag() == 0 ? std::vector<Extended>{-r.real(), 1}
                          : std::vector<Extended>{std::norm(r), -2 * r.real(), 1};
        std::vector<Extended> product(c.size() + factor.size() - 1, 0);
        for (std::size_t i = 0; i < c.size(); ++i)
            for (std::size_t j = 0; j < factor.size(); ++j)
                product[i + j] += c[i] * factor[j];
        c = product;
    }
    return c;
}

TEST(PolynomialRoots, KnownRootsOfDegreeFifteen)
{
    const struct
    {
        const char* name;
        std::vector<Complex> roots; // the upper one of each complex pair
        Extended tolerance;
    } cases[] = {
        // −1 … −15: integer coefficients up to 15!, held exactly, yet the rounding of p(z)
        // alone moves the middle roots by about 1e-9 (Wilkinson's polynomial).
        {"Wilkinson", {-1, -2, -3, -4, -5, -6, -7, -8, -9, -10, -11, -12, -13, -14, -15}, 1e-8L},
        // Seven complex pairs of growing damping and a real root.
        {"ComplexPairs",
         {{-0.1L, 1}, {-0.2L, 2}, {-0.3L, 3}, {-0.5L, 4}, {-1, 5}, {-2, 6}, {-3, 7}, -4},
         1e-13L},
        // Moduli from 1e-6 to 1e6, a pair among them.
        {"SpreadMagnitudes", {-1e-6L, -1e-4L, {-1e-2L, 1e-2L}, -1, -1e2L, -1e4L, -1e6L}, 1e-15L},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Complex> expected;
        for (const Complex& r : c.roots) {
            expected.push_back(r);
            if (r.imag() != 0)
                expected.push_back(std::conj(r));
        }
        ExpectRootSet(FromRoots(c.roots), expected, c.tolerance);
    }
}

TEST(PolynomialRoots, QuickRootsEndInExtendedPrecision)
{
    // Eigenvalues from double, polished in extended: to 1e-18, where double's own roots
    // would be off by 1e-16.
    ExpectRootSet({-30, -7, 1, 3, 1}, {{-3, 0}, {-1, -2}, {-1, 2}, {2, 0}}, 1e-18L,
                  QuickPolynomialRoots);
    ExpectRootSet(FromRoots({-1e-6L, -1e-4L, {-1e-2L, 1e-2L}, -1, -1e2L, -1e4L, -1e6L}),
                  {-1e-6L, -1e-4L, {-1e-2L, 1e-2L}, {-1e-2L, -1e-2L}, -1, -1e2L, -1e4L, -1e6L},
                  1e-18L, QuickPolynomialRoots);
    // Double roots at 1e±400, beyond double's range: found all the same, as the matrix is
    // brought into that range before it is rounded to double; the eigenvalues of a double root
    // scatter by the square root of double's precision, 1e-8.
    for (const Extended root : {-1e-400L, -1e400L}) {
        const std::vector<Complex> roots = QuickPolynomialRoots(FromRoots({root, root}));
        ASSERT_EQ(roots.size(), 2u);
        for (const Complex& r : roots)
            EXPECT_NEAR(static_cast<double>(std::abs(r / root)), 1, 3e-8);
    }
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
