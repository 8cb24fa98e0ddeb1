// SPDX-License-Identifier: MIT
#include "core/analysis/polynomial_roots.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <type_traits>
#include <utility>
#include <unsupported/Eigen/Polynomials>

namespace nirdal {

namespace {

using Complex = std::complex<Extended>;

// p(z) and p'(z) by Horner's rule; c by power. In real and imaginary parts, rounded as
// std::complex rounds them, without its checks of every product for NaN.
void Evaluate(std::span<const Extended> c, const Complex& z, Complex& value, Complex& slope)
{
    const Extended x = z.real(), y = z.imag();
    Extended valueRe = c.back(), valueIm = 0, slopeRe = 0, slopeIm = 0;
    for (std::size_t k = c.size() - 1; k-- > 0;) {
        const Extended nextSlopeRe = slopeRe * x - slopeIm * y + valueRe;
        slopeIm = slopeRe * y + slopeIm * x + valueIm;
        slopeRe = nextSlopeRe;
        const Extended nextValueRe = valueRe * x - valueIm * y + c[k];
        valueIm = valueRe * y + valueIm * x;
        valueRe = nextValueRe;
    }
    value = {valueRe, valueIm};
    slope = {slopeRe, slopeIm};
}

// A few Newton steps on the polynomial itself, each kept only while it makes |p| smaller.
// Over a wide range of root sizes the eigenvalues lose the small roots' digits (down to a
// plain 0); a step or two from there restores those of a simple root.
Complex Polished(std::span<const Extended> c, Complex z)
{
    Complex value, slope;
    Evaluate(c, z, value, slope);
    Extended size = std::abs(value);
    for (int step = 0; step < 8 && value != Complex(0) && slope != Complex(0); ++step) {
        const Complex next = z - value / slope;
        Complex nextValue, nextSlope;
        Evaluate(c, next, nextValue, nextSlope);
        const Extended nextSize = std::abs(nextValue);
        if (!(nextSize < size))
            break;
        z = next;
        value = nextValue;
        slope = nextSlope;
        size = nextSize;
    }
    return z;
}

// The eigenvalues of the n×n upper Hessenberg matrix h (row by row) by Francis double-shift
// QR steps: the steps of Eigen's real Schur decomposition, rounding for rounding, so that the
// eigenvalues are those of its generic solver to the last bit, but applied only to the rows
// and columns not yet split off and without the Schur vectors, in plain loops. Eigen's generic
// code took most of the time of an analysis of n = 15. NaN where the steps do not converge.
// Real is Extended, or double where a first guess is all that is wanted.
template <typename Real>
class FrancisSteps
{
public:
    FrancisSteps(std::vector<Real> h, std::size_t n) : h_(std::move(h)), n_(n) {}

    std::vector<Complex> Eigenvalues()
    {
        const Index n = static_cast<Index>(n_);
        Real scale = 0;
        for (const Real x : h_)
            scale = std::max(scale, std::abs(x));
        if (scale < kTiny)
            return std::vector<Complex>(n_, Complex(0));
        for (Real& x : h_)
            x /= scale;
        if (!Converged())
            return std::vector<Complex>(n_, Complex(kNaN, kNaN));
        for (Real& x : h_)
            x *= scale;
        // The converged blocks: 1×1 where the entry below the diagonal is 0, else 2×2 with a
        // pair of complex eigenvalues.
        std::vector<Complex> values(n_);
        for (Index i = 0; i < n;) {
            if (i == n - 1 || at(i + 1, i) == 0) {
                values[static_cast<std::size_t>(i)] = at(i, i);
                ++i;
                continue;
            }
            const Real p = Real{0.5} * (at(i, i) - at(i + 1, i + 1));
            const Real maxval =
                std::max(std::abs(p), std::max(std::abs(at(i + 1, i)), std::abs(at(i, i + 1))));
            const Real t0 = at(i + 1, i) / maxval, t1 = at(i, i + 1) / maxval, p0 = p / maxval;
            const Real z = maxval * std::sqrt(std::abs(p0 * p0 + t0 * t1));
            values[static_cast<std::size_t>(i)] = Complex(at(i + 1, i + 1) + p, z);
            values[static_cast<std::size_t>(i) + 1] = Complex(at(i + 1, i + 1) + p, -z);
            i += 2;
        }
        for (const Complex& value : values)
            if (!std::isfinite(value.real()) || !std::isfinite(value.imag()))
                return std::vector<Complex>(n_, Complex(kNaN, kNaN));
        return values;
    }

private:
    using Index = std::ptrdiff_t;
    static constexpr Real kEpsilon = std::numeric_limits<Real>::epsilon();
    static constexpr Real kTiny = std::numeric_limits<Real>::min();
    static constexpr Real kNaN = std::numeric_limits<Real>::quiet_NaN();

    Real& at(Index i, Index j)
    {
        return h_[static_cast<std::size_t>(i) * n_ + static_cast<std::size_t>(j)];
    }

    // A reflector I − τ·(1, e)(1, e)ᵀ that takes v onto (β, 0, …).
    template <std::size_t N>
    static void MakeReflector(const std::array<Real, N>& v, std::array<Real, N - 1>& e,
                              Real& tau, Real& beta)
    {
        Real tail = 0;
        for (std::size_t i = 1; i < N; ++i)
            tail = i == 1 ? v[i] * v[i] : tail + v[i] * v[i];
        if (tail <= kTiny) {
            tau = 0;
            beta = v[0];
            e.fill(0);
            return;
        }
        beta = std::sqrt(v[0] * v[0] + tail);
        if (v[0] >= 0)
            beta = -beta;
        const Real divisor = v[0] - beta;
        for (std::size_t i = 1; i < N; ++i)
            e[i - 1] = v[i] / divisor;
        tau = (beta - v[0]) / beta;
    }

    // The reflector on rows k … k+N−1 from column `from` to `to`, and on the same columns
    // down to row `bottom`. The rows above the active ones are kept up to date: a subdiagonal
    // entry taken as negligible may count again once its neighbours on the diagonal shrink.
    template <std::size_t N>
    void Reflect(const std::array<Real, N - 1>& e, Real tau, Index k, Index from, Index to,
                 Index bottom)
    {
        if (tau == 0)
            return;
        std::array<Real, N - 1> scaledE;
        std::array<Real*, N> rows;
        for (std::size_t r = 0; r < N; ++r) {
            rows[r] = &at(k + static_cast<Index>(r), 0);
            if (r > 0)
                scaledE[r - 1] = tau * e[r - 1];
        }
        for (Index j = from; j <= to; ++j) {
            Real sum = e[0] * rows[1][j];
            if constexpr (N == 3)
                sum = sum + e[1] * rows[2][j];
            sum = sum + rows[0][j];
            rows[0][j] -= tau * sum;
            for (std::size_t r = 1; r < N; ++r)
                rows[r][j] -= scaledE[r - 1] * sum;
        }
        Real* row = &at(0, k);
        for (Index i = 0; i <= bottom; ++i, row += n_) {
            Real sum = row[1] * e[0];
            if constexpr (N == 3)
                sum = sum + row[2] * e[1];
            sum = sum + row[0];
            const Real scaled = tau * sum;
            row[0] -= scaled;
            for (std::size_t c = 1; c < N; ++c)
                row[c] -= scaled * e[c - 1];
        }
    }

    bool Converged()
    {
        const Index n = static_cast<Index>(n_);
        Real norm = 0;
        for (Index j = 0; j < n; ++j) {
            Real column = std::abs(at(0, j));
            for (Index i = 1; i < std::min(n, j + 2); ++i)
                column += std::abs(at(i, j));
            norm += column;
        }
        if (norm == 0)
            return true;
        const Real negligible = std::max(norm * (kEpsilon * kEpsilon), kTiny);
        Index iu = n - 1, iter = 0, totalIter = 0;
        Real exshift = 0;
        while (iu >= 0) {
            Index il = iu;
            for (; il > 0; --il) {
                const Real s = std::max(
                    (std::abs(at(il - 1, il - 1)) + std::abs(at(il, il))) * kEpsilon, negligible);
                if (std::abs(at(il, il - 1)) <= s)
                    break;
            }
            if (il == iu) {
                at(iu, iu) = at(iu, iu) + exshift;
                if (iu > 0)
                    at(iu, iu - 1) = 0;
                --iu;
                iter = 0;
            } else if (il == iu - 1) {
                SplitOffTwoRows(iu, exshift);
                iu -= 2;
                iter = 0;
            } else {
                std::array<Real, 3> shift = Shift(iu, iter, exshift);
                ++iter;
                if (++totalIter > 40 * n)
                    return false;
                FrancisStep(il, iu, shift);
            }
        }
        return true;
    }

    void SplitOffTwoRows(Index iu, Real exshift)
    {
        const Real p = Real{0.5} * (at(iu - 1, iu - 1) - at(iu, iu));
        const Real q = p * p + at(iu, iu - 1) * at(iu - 1, iu);
        at(iu, iu) += exshift;
        at(iu - 1, iu - 1) += exshift;
        if (q >= 0) {
            // The Givens rotation that makes the block upper triangular.
            const Real z = std::sqrt(std::abs(q));
            const Real a = p >= 0 ? p + z : p - z, b = at(iu, iu - 1);
            Real c = 0, s = 0;
            if (b == 0) {
                c = a < 0 ? -1 : 1;
            } else if (a == 0) {
                s = b < 0 ? 1 : -1;
            } else if (std::abs(a) > std::abs(b)) {
                const Real t = b / a;
                Real u = std::sqrt(1 + t * t);
                if (a < 0)
                    u = -u;
                c = 1 / u;
                s = -t * c;
            } else {
                const Real t = a / b;
                Real u = std::sqrt(1 + t * t);
                if (b < 0)
                    u = -u;
                s = -1 / u;
                c = -t * s;
            }
            if (!(c == 1 && -s == 0)) {
                for (Index j = iu - 1; j <= iu; ++j) {
                    const Real x = at(iu - 1, j), y = at(iu, j);
                    at(iu - 1, j) = c * x + -s * y;
                    at(iu, j) = -(-s) * x + c * y;
                }
                for (Index i = iu - 1; i <= iu; ++i) {
                    const Real x = at(i, iu - 1), y = at(i, iu);
                    at(i, iu - 1) = c * x + -s * y;
                    at(i, iu) = -(-s) * x + c * y;
                }
            }
            at(iu, iu - 1) = 0;
        }
        if (iu > 1)
            at(iu - 1, iu - 2) = 0;
    }

    // The shifts from the trailing 2×2 block, with an exceptional shift after 10 and 30
    // iterations without convergence.
    std::array<Real, 3> Shift(Index iu, Index iter, Real& exshift)
    {
        std::array<Real, 3> shift{at(iu, iu), at(iu - 1, iu - 1),
                                      at(iu, iu - 1) * at(iu - 1, iu)};
        if (iter == 10) {
            exshift += shift[0];
            for (Index i = 0; i <= iu; ++i)
                at(i, i) -= shift[0];
            const Real s = std::abs(at(iu, iu - 1)) + std::abs(at(iu - 1, iu - 2));
            shift[0] = Real{0.75} * s;
            shift[1] = Real{0.75} * s;
            shift[2] = -Real{0.4375} * s * s;
        }
        if (iter == 30) {
            Real s = (shift[1] - shift[0]) / 2;
            s = s * s + shift[2];
            if (s > 0) {
                s = std::sqrt(s);
                if (shift[1] < shift[0])
                    s = -s;
                s = s + (shift[1] - shift[0]) / 2;
                s = shift[0] - shift[2] / s;
                exshift += s;
                for (Index i = 0; i <= iu; ++i)
                    at(i, i) -= s;
                shift.fill(Real{0.964}); // a double, as Eigen has it
            }
        }
        return shift;
    }

    void FrancisStep(Index il, Index iu, const std::array<Real, 3>& shift)
    {
        // Where the step starts: the first column of the double-shift polynomial, from the
        // lowest row where it leaves the subdiagonal negligible.
        std::array<Real, 3> first{};
        Index im = iu - 2;
        for (; im >= il; --im) {
            const Real tmm = at(im, im);
            const Real r = shift[0] - tmm;
            const Real s = shift[1] - tmm;
            first[0] = (r * s - shift[2]) / at(im + 1, im) + at(im, im + 1);
            first[1] = at(im + 1, im + 1) - tmm - r - s;
            first[2] = at(im + 2, im + 1);
            if (im == il)
                break;
            const Real lhs = at(im, im - 1) * (std::abs(first[1]) + std::abs(first[2]));
            const Real rhs = first[0] * (std::abs(at(im - 1, im - 1)) + std::abs(tmm) +
                                             std::abs(at(im + 1, im + 1)));
            if (std::abs(lhs) < kEpsilon * rhs)
                break;
        }
        for (Index k = im; k <= iu - 2; ++k) {
            const std::array<Real, 3> v =
                k == im ? first
                        : std::array<Real, 3>{at(k, k - 1), at(k + 1, k - 1), at(k + 2, k - 1)};
            std::array<Real, 2> e{};
            Real tau = 0, beta = 0;
            MakeReflector(v, e, tau, beta);
            if (beta == 0)
                continue;
            if (k == im && k > il)
                at(k, k - 1) = -at(k, k - 1);
            else if (k != im)
                at(k, k - 1) = beta;
            Reflect<3>(e, tau, k, k, iu, std::min(iu, k + 3));
        }
        std::array<Real, 1> e{};
        Real tau = 0, beta = 0;
        MakeReflector(std::array<Real, 2>{at(iu - 1, iu - 2), at(iu, iu - 2)}, e, tau, beta);
        if (beta != 0) {
            at(iu - 1, iu - 2) = beta;
            Reflect<2>(e, tau, iu - 1, iu - 1, iu, iu);
        }
        // What rounding left below the subdiagonal.
        for (Index i = im + 2; i <= iu; ++i) {
            at(i, i - 2) = 0;
            if (i > im + 2)
                at(i, i - 3) = 0;
        }
    }

    std::vector<Real> h_;
    std::size_t n_;
};

// The eigenvalues of the balanced companion matrix, which is upper Hessenberg already, from
// Francis steps in Real.
template <typename Real>
Eigen::Matrix<Complex, Eigen::Dynamic, 1>
Eigenvalues(const Eigen::Matrix<Extended, Eigen::Dynamic, 1>& polynomial)
{
    if (polynomial.size() == 2)
        return Eigen::Matrix<Complex, Eigen::Dynamic, 1>::Constant(1, -polynomial[0] / polynomial[1]);
    Eigen::internal::companion<Extended, Eigen::Dynamic> companion(polynomial);
    companion.balance();
    const auto dense = companion.denseMatrix();
    const std::size_t n = static_cast<std::size_t>(dense.rows());
    std::vector<Extended> h(n * n);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j)
            h[i * n + j] = dense(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(j));
    std::vector<Complex> values;
    if constexpr (std::is_same_v<Real, Extended>) {
        values = FrancisSteps<Extended>(std::move(h), n).Eigenvalues();
    } else {
        // Scaled to entries of at most 1 while still in Extended, so that none overflows Real;
        // where the entries span more than Real holds with room for the squares of the steps,
        // the steps run in Extended.
        Extended largest = 0, smallest = std::numeric_limits<Extended>::infinity();
        for (const Extended x : h) {
            largest = std::max(largest, std::abs(x));
            if (x != 0)
                smallest = std::min(smallest, std::abs(x));
        }
        if (largest == 0 || smallest / largest < std::sqrt(std::numeric_limits<Real>::min()) * 0x1p64L)
            return Eigenvalues<Extended>(polynomial);
        std::vector<Real> inReal(h.size());
        for (std::size_t i = 0; i < h.size(); ++i)
            inReal[i] = static_cast<Real>(h[i] / largest);
        values = FrancisSteps<Real>(std::move(inReal), n).Eigenvalues();
        for (Complex& value : values)
            value *= largest;
    }
    Eigen::Matrix<Complex, Eigen::Dynamic, 1> roots(static_cast<Eigen::Index>(n));
    for (std::size_t i = 0; i < n; ++i)
        roots[static_cast<Eigen::Index>(i)] = values[i];
    // The noise in the imaginary part of a real root is dropped where the real part alone
    // leaves the polynomial no larger.
    const Extended coarse = std::pow(Extended{4}, static_cast<Extended>(polynomial.size() + 1)) *
                            std::numeric_limits<Real>::epsilon();
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

// c without its zero coefficients at the top and the `zeros` at the bottom.
std::span<const Extended> Reduced(std::span<const Extended> c, std::size_t zeros)
{
    std::size_t top = c.size();
    while (top > zeros && c[top - 1] == 0)
        --top;
    return c.subspan(zeros, top - zeros);
}

// The roots of c as the eigenvalues (from Francis steps in Real) give them, after the roots
// at s = 0 that the zero coefficients at the bottom give exactly: a factor s^zeros left to
// the eigenvalues would blur into a small circle of roots around the origin.
template <typename Real>
std::vector<Complex> UnpolishedRoots(std::span<const Extended> c, std::size_t& zeros)
{
    zeros = 0;
    while (zeros < c.size() && c[zeros] == 0)
        ++zeros;
    if (zeros == c.size()) {
        zeros = 0;
        return {};
    }
    const std::span<const Extended> reduced = Reduced(c, zeros);
    std::vector<Complex> roots(zeros, Complex(0));
    if (reduced.size() < 2)
        return roots;
    Eigen::Matrix<Extended, Eigen::Dynamic, 1> polynomial(static_cast<Eigen::Index>(reduced.size()));
    for (std::size_t k = 0; k < reduced.size(); ++k)
        polynomial[static_cast<Eigen::Index>(k)] = reduced[k];
    const Eigen::Matrix<Complex, Eigen::Dynamic, 1> found = Eigenvalues<Real>(polynomial);
    roots.insert(roots.end(), found.begin(), found.end());
    return roots;
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

namespace {

// The roots of c from eigenvalues found in Real, a root standing apart from the others
// polished. The eigenvalues of a multiple root scatter around it in a pattern whose product
// keeps the coefficients; Newton steps would break the pattern.
template <typename Real>
std::vector<Complex> PolishedApart(std::span<const Extended> c)
{
    std::size_t zeros = 0;
    const std::vector<Complex> found = UnpolishedRoots<Real>(c, zeros);
    const std::span<const Extended> reduced = Reduced(c, zeros);
    std::vector<Complex> roots = found;
    std::vector<Extended> moduli(found.size());
    for (std::size_t i = 0; i < found.size(); ++i)
        moduli[i] = std::abs(found[i]);
    for (std::size_t i = zeros; i < found.size(); ++i) {
        // Roots whose moduli differ by more than the distance asked are that far apart.
        const Extended near = 1e-3L * moduli[i];
        bool apart = true;
        for (std::size_t j = zeros; j < found.size() && apart; ++j)
            apart = i == j || std::abs(moduli[i] - moduli[j]) > near ||
                    std::abs(found[i] - found[j]) > near;
        if (apart)
            roots[i] = Polished(reduced, found[i]);
    }
    return roots;
}

} // namespace

std::vector<std::complex<Extended>> PolynomialRoots(std::span<const Extended> c)
{
    return PolishedApart<Extended>(c);
}

std::vector<std::complex<Extended>> QuickPolynomialRoots(std::span<const Extended> c)
{
    return PolishedApart<double>(c);
}

} // namespace nirdal
