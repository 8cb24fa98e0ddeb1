// SPDX-License-Identifier: MIT
#include "core/analysis/polynomial_roots.h"

#include <Eigen/Eigenvalues>

#include <algorithm>
#include <optional>
#include <utility>
#include <unsupported/Eigen/Polynomials>

namespace nirdal {

namespace {

using Complex = std::complex<Extended>;

// p(z) and p'(z) by Horner's rule; c by power.
void Evaluate(std::span<const Extended> c, const Complex& z, Complex& value, Complex& slope)
{
    value = c.back();
    slope = 0;
    for (std::size_t k = c.size() - 1; k-- > 0;) {
        slope = slope * z + value;
        value = value * z + c[k];
    }
}

// A few Newton steps on the polynomial itself, each kept only while it makes |p| smaller.
// Over a wide range of root sizes the eigenvalues lose the small roots' digits (down to a
// plain 0); a step or two from there restores those of a simple root.
Complex Polished(std::span<const Extended> c, Complex z)
{
    Complex value, slope;
    Evaluate(c, z, value, slope);
    for (int step = 0; step < 8 && value != Complex(0) && slope != Complex(0); ++step) {
        const Complex next = z - value / slope;
        Complex nextValue, nextSlope;
        Evaluate(c, next, nextValue, nextSlope);
        if (!(std::abs(nextValue) < std::abs(value)))
            break;
        z = next;
        value = nextValue;
        slope = nextSlope;
    }
    return z;
}

// The eigenvalues of the balanced companion matrix, as Eigen's polynomial solver finds them
// but without the eigenvectors it asks for and never uses, which took more than half the time.
Eigen::Matrix<Complex, Eigen::Dynamic, 1>
Eigenvalues(const Eigen::Matrix<Extended, Eigen::Dynamic, 1>& polynomial)
{
    if (polynomial.size() == 2)
        return Eigen::Matrix<Complex, Eigen::Dynamic, 1>::Constant(1, -polynomial[0] / polynomial[1]);
    Eigen::internal::companion<Extended, Eigen::Dynamic> companion(polynomial);
    companion.balance();
    const Eigen::EigenSolver<Eigen::Matrix<Extended, Eigen::Dynamic, Eigen::Dynamic>> solver(
        companion.denseMatrix(), false);
    Eigen::Matrix<Complex, Eigen::Dynamic, 1> roots = solver.eigenvalues();
    // The noise in the imaginary part of a real root is dropped where the real part alone
    // leaves the polynomial no larger.
    const Extended coarse =
        std::pow(Extended{4}, static_cast<Extended>(polynomial.size() + 1)) *
        std::numeric_limits<Extended>::epsilon();
    for (Eigen::Index i = 0; i < roots.size(); ++i) {
        if (Eigen::internal::isMuchSmallerThan(std::abs(roots[i].imag()), std::abs(roots[i].real()),
                                               coarse)) {
            const Complex real(roots[i].real());
            if (std::abs(Eigen::poly_eval(polynomial, real)) <=
                std::abs(Eigen::poly_eval(polynomial, roots[i])))
                roots[i] = real;
        }
    }
    return roots;
}

// The Taylor coefficients c^(j)(z)/j! for j ≤ last, by repeated synthetic division, and the
// same sums over the terms' moduli, which bound their rounding.
void TaylorCoefficients(std::span<const Extended> c, const Complex& z, std::size_t last,
                        std::vector<Complex>& taylor, std::vector<Extended>& terms)
{
    taylor.assign(c.begin(), c.end());
    terms.resize(c.size());
    for (std::size_t i = 0; i < c.size(); ++i)
        terms[i] = std::abs(c[i]);
    const Extended modulus = std::abs(z);
    for (std::size_t j = 0; j <= last && j + 1 < c.size(); ++j) {
        for (std::size_t i = c.size() - 1; i-- > j;) {
            taylor[i] += taylor[i + 1] * z;
            terms[i] += terms[i + 1] * modulus;
        }
    }
}

// The k-fold root of c near z, as the simple root of c^(k−1) that it is: Newton's steps from
// the mean of the scattered eigenvalues (whose own polishing has moved them apart); none
// unless the first k Taylor coefficients vanish there within a margin over their rounding.
std::optional<Complex> RootOfMultiplicity(std::span<const Extended> c, Complex z, std::size_t k)
{
    constexpr Extended kVanishing = 1e-12L;
    if (k + 1 > c.size())
        return std::nullopt;
    std::vector<Complex> taylor;
    std::vector<Extended> terms;
    for (int step = 0; step < 8; ++step) {
        TaylorCoefficients(c, z, k, taylor, terms);
        const Complex slope = static_cast<Extended>(k) * taylor[k];
        if (slope == Complex(0))
            break;
        const Complex next = z - taylor[k - 1] / slope;
        if (next == z)
            break;
        z = next;
    }
    TaylorCoefficients(c, z, k - 1, taylor, terms);
    for (std::size_t j = 0; j < k; ++j)
        if (!(std::abs(taylor[j]) <= kVanishing * terms[j]))
            return std::nullopt;
    return z;
}

// Groups of the roots (by index) closer than `reach` times their modulus, chained.
std::vector<std::vector<std::size_t>> NearbyGroups(const std::vector<Complex>& roots,
                                                   const std::vector<std::size_t>& among,
                                                   Extended reach)
{
    std::vector<std::vector<std::size_t>> groups;
    std::vector<bool> taken(among.size(), false);
    for (std::size_t first = 0; first < among.size(); ++first) {
        if (taken[first])
            continue;
        taken[first] = true;
        std::vector<std::size_t> group{first};
        for (std::size_t g = 0; g < group.size(); ++g) {
            const Complex& r = roots[among[group[g]]];
            for (std::size_t other = 0; other < among.size(); ++other) {
                const Complex& q = roots[among[other]];
                if (!taken[other] &&
                    std::abs(r - q) <= reach * std::max(std::abs(r), std::abs(q))) {
                    taken[other] = true;
                    group.push_back(other);
                }
            }
        }
        for (std::size_t& index : group)
            index = among[index];
        std::sort(group.begin(), group.end());
        groups.push_back(std::move(group));
    }
    return groups;
}

void GatherMultipleRoots(std::span<const Extended> c, const std::vector<Complex>& roots,
                         const std::vector<std::size_t>& among, Extended reach,
                         std::vector<std::pair<std::size_t, MultipleRoot>>& found)
{
    // Below this reach roots are told apart as the eigenvalues give them.
    constexpr Extended kClosestReach = 1e-5L;
    for (const std::vector<std::size_t>& group : NearbyGroups(roots, among, reach)) {
        Complex mean = 0;
        for (const std::size_t i : group)
            mean += roots[i];
        mean /= static_cast<Extended>(group.size());
        if (group.size() == 1) {
            found.push_back({group[0], {roots[group[0]], 1}});
        } else if (auto root = RootOfMultiplicity(c, mean, group.size())) {
            // A real polynomial's multiple root off the real axis has its conjugate twin.
            if (std::abs(root->imag()) <= kClosestReach * std::abs(root->real()))
                root = root->real();
            found.push_back({group[0], {*root, static_cast<int>(group.size())}});
        } else if (reach > kClosestReach) {
            GatherMultipleRoots(c, roots, group, reach / 4, found);
        } else {
            for (const std::size_t i : group)
                found.push_back({i, {roots[i], 1}});
        }
    }
}

} // namespace

std::vector<MultipleRoot> MultipleRoots(std::span<const Extended> c,
                                        const std::vector<Complex>& roots)
{
    std::size_t top = c.size();
    while (top > 0 && c[top - 1] == 0)
        --top;
    std::vector<std::size_t> all(roots.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    std::vector<std::pair<std::size_t, MultipleRoot>> found;
    GatherMultipleRoots(c.first(top), roots, all, 0.5L, found);
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<MultipleRoot> result;
    for (const auto& [index, root] : found)
        result.push_back(root);
    return result;
}

bool RootsHoldUp(std::span<const Extended> c, const std::vector<Complex>& roots)
{
    // |p(z)| and |p'(z)| against the sums of their terms' moduli.
    const auto residuals = [&](const Complex& z, Extended& value, Extended& slope) {
        Complex p = 0, dp = 0;
        Extended terms = 0, slopeTerms = 0;
        const Extended modulus = std::abs(z);
        for (std::size_t k = c.size(); k-- > 0;) {
            dp = dp * z + p;
            slopeTerms = slopeTerms * modulus + terms;
            p = p * z + c[k];
            terms = terms * modulus + std::abs(c[k]);
        }
        value = terms > 0 ? std::abs(p) / terms : 0;
        slope = slopeTerms > 0 ? std::abs(dp) / slopeTerms : 0;
    };
    for (std::size_t i = 0; i < roots.size(); ++i) {
        Extended value = 0, slope = 0;
        residuals(roots[i], value, slope);
        if (!(value <= 1e-12L))
            return false;
        for (std::size_t j = 0; j < roots.size(); ++j) {
            if (j != i && std::abs(roots[i] - roots[j]) <= 1e-9L * std::abs(roots[i]) &&
                !(slope <= 1e-6L))
                return false;
        }
    }
    return true;
}

std::vector<std::complex<Extended>> PolynomialRoots(std::span<const Extended> c)
{
    std::size_t top = c.size();
    while (top > 0 && c[top - 1] == 0)
        --top;
    std::size_t bottom = 0;
    while (bottom < top && c[bottom] == 0)
        ++bottom;
    if (top == 0)
        return {};

    // A factor s^bottom is exact in the coefficients; leaving it to the eigenvalues would
    // blur a multiple root at the origin into a small circle of roots around it.
    std::vector<std::complex<Extended>> roots(bottom, std::complex<Extended>(0));
    const std::size_t degree = top - 1 - bottom;
    if (degree == 0)
        return roots;
    Eigen::Matrix<Extended, Eigen::Dynamic, 1> polynomial(static_cast<Eigen::Index>(degree + 1));
    for (std::size_t k = 0; k <= degree; ++k)
        polynomial[static_cast<Eigen::Index>(k)] = c[bottom + k];
    const std::span<const Extended> reduced = c.subspan(bottom, degree + 1);
    const Eigen::Matrix<Complex, Eigen::Dynamic, 1> found = Eigenvalues(polynomial);
    for (Eigen::Index i = 0; i < found.size(); ++i) {
        // The eigenvalues of a multiple root scatter around it in a pattern whose product
        // keeps the coefficients; Newton steps would break the pattern, so only a root
        // standing apart from the others is polished.
        bool apart = true;
        for (Eigen::Index j = 0; j < found.size(); ++j)
            apart = apart && (i == j || std::abs(found[i] - found[j]) > 1e-3L * std::abs(found[i]));
        roots.push_back(apart ? Polished(reduced, found[i]) : Complex(found[i]));
    }
    return roots;
}

} // namespace nirdal
