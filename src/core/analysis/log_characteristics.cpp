// SPDX-License-Identifier: MIT
#include "core/analysis/log_characteristics.h"

#include "core/analysis/polynomial_roots.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <span>

namespace nirdal {

namespace {

using Complex = std::complex<Extended>;

constexpr Extended kPi = std::numbers::pi_v<Extended>;
// Moduli of computed roots this close (relative) are one corner: the eigenvalues of a
// multiple root scatter by about the cube root of the precision.
constexpr Extended kSameCorner = 1e-5L;
// The distance from jω to a root on the axis at that very ω: keeps L finite.
constexpr Extended kSmallestDistance = 1e-300L;
// tan(π/8): the angle of a + jb (a > 0) is within π/8 when |b| ≤ a·tan(π/8).
constexpr Extended kTanEighth = 0.414213562373095048801688724209698079L;
// L_a this close to 0 dB at a corner is 0 there: the sums of logarithms round.
constexpr Extended kFlatZero = 1e-12L;

int TopIndex(const std::array<Extended, kCoefficientCount>& c, int degree)
{
    int k = std::clamp(degree, 0, kCoefficientCount - 1);
    while (k >= 0 && c[static_cast<std::size_t>(k)] == 0)
        --k;
    return k;
}

// A product of many moduli as a mantissa and a power of 2, so that no partial product
// overflows; one logarithm at the end.
class ScaledProduct
{
public:
    void Multiply(Extended x) { Scale(std::max(x, kSmallestDistance)); }
    void Divide(Extended x) { Scale(1 / std::max(x, kSmallestDistance)); }
    Extended Lg() const { return std::log10(m_mantissa) + m_exponent * kLg2; }

private:
    static constexpr Extended kLg2 = 0.301029995663981195213738894724493027L;
    // The factors are at most 1e600 or so (squares of moduli up to 1e300); the mantissa is
    // brought back to [0.5, 1) before a few more could overflow.
    static constexpr Extended kRescale = 1e1000L;
    void Scale(Extended x)
    {
        m_mantissa *= x;
        if (m_mantissa > kRescale || m_mantissa < 1 / kRescale) {
            int e = 0;
            m_mantissa = std::frexp(m_mantissa, &e);
            m_exponent += e;
        }
    }
    Extended m_mantissa = 1;
    long m_exponent = 0;
};

} // namespace

FactoredVariant FactorVariant(const TransferFunction& variant)
{
    FactoredVariant w;
    const int n = TopIndex(variant.A, variant.DenominatorDegree);
    const int m = TopIndex(variant.B, variant.NumeratorDegree);
    if (!(variant.Delay >= 0) || !std::isfinite(variant.Delay))
        w.Failure = "the delay must be a finite number of seconds, at least 0";
    else if (n < 1)
        w.Failure = "the denominator must be of degree 1 or more";
    else if (m < 0)
        w.Failure = "the numerator is zero: W(jω) = 0 has no logarithm";
    else if (m >= n)
        w.Failure = "the numerator degree (" + std::to_string(m) +
                    ") must be below the denominator degree (" + std::to_string(n) + ")";
    if (!w.Failure.empty())
        return w;
    w.Gain = variant.B[static_cast<std::size_t>(m)] / variant.A[static_cast<std::size_t>(n)];
    w.Zeros = PolynomialRoots(std::span<const Extended>(variant.B.data(), std::size_t(m) + 1));
    w.Poles = PolynomialRoots(std::span<const Extended>(variant.A.data(), std::size_t(n) + 1));
    w.Delay = variant.Delay;
    for (const Complex& z : w.Zeros)
        w.ZeroModuli.push_back(std::abs(z));
    for (const Complex& p : w.Poles)
        w.PoleModuli.push_back(std::abs(p));
    if (!std::isfinite(w.Gain) || w.Gain == 0)
        w.Failure = "the ratio of the leading coefficients is not a finite nonzero number";
    return w;
}

LogPoint LogCharacteristicAt(const FactoredVariant& w, Extended omega)
{
    // |W|² and the asymptote as products above and below the line, one logarithm each.
    ScaledProduct squares, squaresBelow, asymptote, asymptoteBelow;
    squares.Multiply(w.Gain * w.Gain);
    asymptote.Multiply(std::abs(w.Gain));
    Extended radians = w.Gain < 0 ? kPi : 0;
    // The factors jω − r of roots in the left half-plane lie right of the imaginary axis. Each is
    // turned by a right angle where that brings it within ±π/4, its angle is bounded by
    // comparisons in eighths of π, and factors are multiplied while their bounds add up to less
    // than π: one atan2 then gives the sum of several angles.
    Complex group = 1;
    int eighths = 0;
    const auto add = [&](const Complex& r, Extended size, bool zero) {
        const Complex f(-r.real(), omega - r.imag());
        const Extended square = f.real() * f.real() + f.imag() * f.imag();
        (zero ? squares : squaresBelow).Multiply(square);
        (zero ? asymptote : asymptoteBelow).Multiply(std::max(size, omega));
        Complex g = zero ? f : std::conj(f);
        if (!(g.real() > 0)) {
            radians += std::arg(g);
            return;
        }
        // Steeper than π/4: turned by a right angle, exactly, toward the real axis.
        if (std::abs(g.imag()) > g.real()) {
            const bool up = g.imag() > 0;
            radians += up ? kPi / 2 : -kPi / 2;
            g = up ? Complex(g.imag(), -g.real()) : Complex(-g.imag(), g.real());
        }
        const int bound = std::abs(g.imag()) <= kTanEighth * g.real() ? 1 : 2;
        if (eighths + bound >= 8) {
            radians += std::arg(group);
            group = 1;
            eighths = 0;
        }
        group *= g;
        eighths += bound;
    };
    for (std::size_t i = 0; i < w.Zeros.size(); ++i)
        add(w.Zeros[i], w.ZeroModuli[i], true);
    for (std::size_t i = 0; i < w.Poles.size(); ++i)
        add(w.Poles[i], w.PoleModuli[i], false);
    if (eighths > 0)
        radians += std::arg(group);
    radians -= omega * w.Delay;
    LogPoint point;
    point.Frequency = omega;
    point.Decibels = 10 * (squares.Lg() - squaresBelow.Lg());
    point.Degrees = radians * 180 / kPi;
    point.AsymptoteDecibels = 20 * (asymptote.Lg() - asymptoteBelow.Lg());
    return point;
}

Extended AsymptoteDecibels(const FactoredVariant& w, Extended omega)
{
    ScaledProduct product;
    product.Multiply(std::abs(w.Gain));
    for (const Complex& z : w.Zeros)
        product.Multiply(std::max(std::abs(z), omega));
    for (const Complex& p : w.Poles)
        product.Divide(std::max(std::abs(p), omega));
    return 20 * product.Lg();
}

std::vector<Extended> CornerFrequencies(const FactoredVariant& w)
{
    std::vector<Extended> all;
    for (const auto* roots : {&w.Zeros, &w.Poles})
        for (const Complex& r : *roots)
            if (std::abs(r) > 0)
                all.push_back(std::abs(r));
    std::sort(all.begin(), all.end());
    std::vector<Extended> corners;
    for (Extended r : all)
        if (corners.empty() || r - corners.back() > kSameCorner * r)
            corners.push_back(r);
    return corners;
}

std::optional<Extended> AsymptoteCrossover(const FactoredVariant& w)
{
    if (!w.Failure.empty())
        return std::nullopt;
    // L_a is straight in lg ω between corners; walk the segments from the top down. Each
    // segment is [lo, hi] with hi = ∞ for the last; its slope is read inside it.
    const std::vector<Extended> corners = CornerFrequencies(w);
    const auto slopeBetween = [&](Extended inside) {
        int slope = 0;
        for (const Complex& z : w.Zeros)
            slope += std::abs(z) < inside ? 20 : 0;
        for (const Complex& p : w.Poles)
            slope -= std::abs(p) < inside ? 20 : 0;
        return slope;
    };
    for (std::size_t k = corners.size() + 1; k-- > 0;) {
        const bool last = k == corners.size();
        const bool first = k == 0;
        // Anchor: the right end of the segment, or its left end for the last one.
        const Extended anchor = last ? (corners.empty() ? 1 : corners.back()) : corners[k];
        const Extended inside =
            last ? anchor * 2 : (first ? anchor / 2 : std::sqrt(corners[k - 1] * anchor));
        const int slope = slopeBetween(inside);
        const Extended value = AsymptoteDecibels(w, anchor);
        if (std::abs(value) <= kFlatZero)
            return anchor;
        if (slope == 0)
            continue;
        // L_a(ω) = value + slope·lg(ω/anchor) = 0.
        const Extended omega = anchor * std::pow(10.0L, -value / slope);
        const Extended lo = first ? 0 : corners[k - 1];
        const Extended hi = last ? std::numeric_limits<Extended>::infinity() : anchor;
        if (omega > lo * (1 - kFlatZero) && omega <= hi && std::isfinite(omega))
            return omega;
    }
    return std::nullopt;
}

void DefaultFrequencyRange(const FactoredVariant& w, Extended& from, Extended& to)
{
    const std::vector<Extended> corners = CornerFrequencies(w);
    if (corners.empty()) {
        from = 0.01L;
        to = 100;
        return;
    }
    from = corners.front() / 10;
    to = corners.back() * 10;
}

LogCharacteristics ComputeLogCharacteristics(const TransferFunction& variant, Extended from,
                                             Extended to, int count)
{
    LogCharacteristics result;
    const FactoredVariant w = FactorVariant(variant);
    if (!w.Failure.empty()) {
        result.Failure = w.Failure;
        return result;
    }
    result.Corners = CornerFrequencies(w);
    result.Crossover = AsymptoteCrossover(w);
    if (!(from > 0) || !(to > from) || count < 2 || !std::isfinite(to))
        return result;
    // ω_k = from·ratio^k: powers taken afresh every 32 points and multiplied up between, so
    // that a point costs no pow yet rounding grows over 32 products only.
    const Extended lgFrom = std::log10(from);
    const Extended lgStep = (std::log10(to) - lgFrom) / (count - 1);
    const Extended ratio = std::pow(10.0L, lgStep);
    result.Points.reserve(static_cast<std::size_t>(count));
    Extended omega = from;
    for (int k = 0; k < count; ++k) {
        if (k == count - 1)
            omega = to;
        else if (k > 0)
            omega = k % 32 == 0 ? std::pow(10.0L, lgFrom + k * lgStep) : omega * ratio;
        result.Points.push_back(LogCharacteristicAt(w, omega));
    }
    return result;
}

} // namespace nirdal
