// SPDX-License-Identifier: MIT
#include "core/analysis/log_characteristics.h"

#include "core/analysis/polynomial_roots.h"
#include "core/analysis/scaled_complex.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <span>

namespace nirdal {

namespace {

using namespace scaled;

constexpr Extended kPi = std::numbers::pi_v<Extended>;
constexpr Extended kLg2 = 0.301029995663981195213738894724493027L;
constexpr Extended kLnToLg = 0.434294481903251827651128918916605082L; // lg e
// Moduli of multiple roots this close (relative) are one corner: a complex pair, or roots
// that the eigenvalues could not tell apart.
constexpr Extended kSameCorner = 1e-5L;
// L_a this close to 0 dB at a corner is 0 there: the sums of logarithms round.
constexpr Extended kFlatZero = 1e-12L;
// lg of a value that is exactly 0 (a root on the axis at this very ω): finite, below any
// value there is, so that L stays a number.
constexpr Extended kLgOfZero = -20000 * kLg2;

int TopIndex(const std::array<Extended, kCoefficientCount>& c, int degree)
{
    int k = std::clamp(degree, 0, kCoefficientCount - 1);
    while (k >= 0 && c[static_cast<std::size_t>(k)] == 0)
        --k;
    return k;
}

// c[0..top] with the signs turned so that c[top] > 0.
std::vector<Extended> Turned(const std::array<Extended, kCoefficientCount>& c, int top)
{
    std::vector<Extended> turned(c.begin(), c.begin() + top + 1);
    if (turned.back() < 0)
        for (Extended& x : turned)
            x = -x;
    return turned;
}

// lg(|N̂(jω)|²/|D̂(jω)|²) and the principal value of arg N̂(jω) − arg D̂(jω).
struct Ratio
{
    Extended DoubleLg = 0;
    Extended Radians = 0;
};

// The ranges of ω where N̂ and D̂ are evaluated in plain arithmetic.
struct PlainRanges
{
    PlainRange Numerator, Denominator;
};

PlainRanges PlainRangesOf(const FactoredVariant& w)
{
    return {PlainRangeOf(w.Numerator), PlainRangeOf(w.Denominator)};
}

Ratio RatioAt(const FactoredVariant& w, const PlainRanges& plain, Extended omega)
{
    if (plain.Numerator.Contains(omega) && plain.Denominator.Contains(omega)) {
        Extended unused = 0;
        const Complex n = PlainOnAxis(w.Numerator, omega, unused);
        const Complex d = PlainOnAxis(w.Denominator, omega, unused);
        const Extended squareN = n.real() * n.real() + n.imag() * n.imag();
        const Extended squareD = d.real() * d.real() + d.imag() * d.imag();
        if (squareN >= 0x1p-8000L && squareN <= 0x1p8000L && squareD >= 0x1p-8000L &&
            squareD <= 0x1p8000L)
            return {std::log10(squareN / squareD),
                    std::atan2(n.imag() * d.real() - n.real() * d.imag(),
                               n.real() * d.real() + n.imag() * d.imag())};
    }
    // Beyond the plain range (ω³ overflows from ω = 1e1644 on) or near a root on the axis.
    const Scaled n = PolynomialOnAxis(w.Numerator, omega).Value;
    const Scaled d = PolynomialOnAxis(w.Denominator, omega).Value;
    const auto lg = [](const Scaled& z) {
        return z.M == Complex(0) ? kLgOfZero : LogModulus(z) * kLnToLg;
    };
    return {2 * (lg(n) - lg(d)),
            std::atan2(n.M.imag() * d.M.real() - n.M.real() * d.M.imag(),
                       n.M.real() * d.M.real() + n.M.imag() * d.M.imag())};
}

// Σ k·arg(jω − z) − Σ k·arg(jω − p): arg N̂ − arg D̂ with its whole turns, accurate enough to
// count them.
Extended RootPhase(const FactoredVariant& w, Extended omega)
{
    Extended radians = 0;
    for (const MultipleRoot& z : w.Zeros)
        radians += z.Multiplicity * std::atan2(omega - z.Value.imag(), -z.Value.real());
    for (const MultipleRoot& p : w.Poles)
        radians -= p.Multiplicity * std::atan2(omega - p.Value.imag(), -p.Value.real());
    return radians;
}

// A bound on how far arg N̂ − arg D̂ turns from `from` to `to`: each factor jω − r turns by
// at most the length of the way over its distance from r.
Extended TurnBound(const FactoredVariant& w, Extended from, Extended to)
{
    Extended bound = 0;
    for (const auto* roots : {&w.Zeros, &w.Poles}) {
        for (const MultipleRoot& r : *roots) {
            const Extended im = r.Value.imag();
            const Extended beside = im < from ? from - im : im > to ? im - to : 0;
            bound += r.Multiplicity / std::max(std::abs(r.Value.real()), beside);
        }
    }
    return bound * (to - from);
}

// arg N̂ − arg D̂ at omega with its whole turns: taken from the previous point where the way
// from there cannot turn by a quarter turn, else from the roots.
Extended ContinuousPhase(const FactoredVariant& w, Extended omega, Extended principal,
                         const LogPoint* previous, Extended previousRadians)
{
    const Extended estimate = previous && TurnBound(w, previous->Frequency, omega) < kPi / 2
                                  ? previousRadians
                                  : RootPhase(w, omega);
    return principal + 2 * kPi * std::rint((estimate - principal) / (2 * kPi));
}

// The roots by their corners: modulus, lg modulus and the slope they add above it.
struct Break
{
    Extended Modulus = 0;
    Extended Lg = 0;
    int Slope = 0; // +k for a k-fold zero, −k for a pole
};

std::vector<Break> BreaksOf(const FactoredVariant& w)
{
    std::vector<Break> breaks;
    for (const MultipleRoot& z : w.Zeros)
        breaks.push_back({std::abs(z.Value), std::log10(std::abs(z.Value)), z.Multiplicity});
    for (const MultipleRoot& p : w.Poles)
        breaks.push_back({std::abs(p.Value), std::log10(std::abs(p.Value)), -p.Multiplicity});
    return breaks;
}

// L_a at ω = 10^lgOmega without the gain: Σ ±k·20 lg max(|r|, ω).
Extended AsymptoteWithoutGain(const std::vector<Break>& breaks, Extended omega, Extended lgOmega)
{
    Extended sum = 0;
    for (const Break& b : breaks)
        sum += b.Slope * (omega > b.Modulus ? lgOmega : b.Lg);
    return 20 * sum;
}

// lgOmega = lg ω, which a grid knows without a logarithm.
LogPoint PointAt(const FactoredVariant& w, const PlainRanges& plain,
                 const std::vector<Break>& breaks, Extended gainLg, Extended omega,
                 Extended lgOmega, const LogPoint* previous, Extended& radians)
{
    const Ratio ratio = RatioAt(w, plain, omega);
    radians = ContinuousPhase(w, omega, ratio.Radians, previous, radians);
    LogPoint point;
    point.Frequency = omega;
    point.Decibels = 20 * (gainLg + w.LeadingLg) + 10 * ratio.DoubleLg;
    point.Degrees = (radians + (w.Gain < 0 ? kPi : 0) - omega * w.Delay) * 180 / kPi;
    point.AsymptoteDecibels = 20 * gainLg + AsymptoteWithoutGain(breaks, omega, lgOmega);
    return point;
}

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
    if (!std::isfinite(w.Gain) || w.Gain == 0) {
        w.Failure = "the ratio of the leading coefficients is not a finite nonzero number";
        return w;
    }
    w.Numerator = Turned(variant.B, m);
    w.Denominator = Turned(variant.A, n);
    w.LeadingLg = std::log10(w.Denominator.back()) - std::log10(w.Numerator.back());
    w.Zeros = MultipleRoots(w.Numerator, QuickPolynomialRoots(w.Numerator));
    w.Poles = MultipleRoots(w.Denominator, QuickPolynomialRoots(w.Denominator));
    w.Delay = variant.Delay;
    return w;
}

LogPoint LogCharacteristicAt(const FactoredVariant& w, Extended omega)
{
    Extended radians = 0;
    return PointAt(w, PlainRangesOf(w), BreaksOf(w), std::log10(std::abs(w.Gain)), omega,
                   std::log10(omega), nullptr, radians);
}

Extended AsymptoteDecibels(const FactoredVariant& w, Extended omega)
{
    return 20 * std::log10(std::abs(w.Gain)) +
           AsymptoteWithoutGain(BreaksOf(w), omega, std::log10(omega));
}

std::vector<Corner> CornersOf(const FactoredVariant& w)
{
    std::vector<Corner> all;
    for (const auto* roots : {&w.Zeros, &w.Poles})
        for (const MultipleRoot& r : *roots)
            if (std::abs(r.Value) > 0)
                all.push_back({std::abs(r.Value), r.Multiplicity});
    std::sort(all.begin(), all.end(),
              [](const Corner& a, const Corner& b) { return a.Frequency < b.Frequency; });
    std::vector<Corner> corners;
    for (const Corner& c : all) {
        if (!corners.empty() && c.Frequency - corners.back().Frequency <= kSameCorner * c.Frequency)
            corners.back().Multiplicity += c.Multiplicity;
        else
            corners.push_back(c);
    }
    return corners;
}

std::vector<Extended> CornerFrequencies(const FactoredVariant& w)
{
    std::vector<Extended> frequencies;
    for (const Corner& c : CornersOf(w))
        frequencies.push_back(c.Frequency);
    return frequencies;
}

std::optional<Extended> AsymptoteCrossover(const FactoredVariant& w)
{
    if (!w.Failure.empty())
        return std::nullopt;
    // L_a is straight in lg ω between corners; walk the segments from the top down. Each
    // segment is [lo, hi] with hi = ∞ for the last; its slope is read inside it.
    const std::vector<Extended> corners = CornerFrequencies(w);
    const std::vector<Break> breaks = BreaksOf(w);
    const auto slopeBetween = [&](Extended inside) {
        int slope = 0;
        for (const Break& b : breaks)
            slope += b.Modulus < inside ? 20 * b.Slope : 0;
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

void CommonFrequencyRange(const std::vector<TransferFunction>& variants, Extended& from,
                          Extended& to)
{
    from = std::numeric_limits<Extended>::infinity();
    to = 0;
    for (const TransferFunction& variant : variants) {
        const FactoredVariant w = FactorVariant(variant);
        if (!w.Failure.empty())
            continue;
        Extended low = 0, high = 0;
        DefaultFrequencyRange(w, low, high);
        from = std::min(from, low);
        to = std::max(to, high);
    }
    if (!(to > from)) {
        from = 0.01L;
        to = 100;
    }
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
    for (const Corner& c : CornersOf(w)) {
        result.Corners.push_back(c.Frequency);
        result.CornerMultiplicities.push_back(c.Multiplicity);
    }
    result.Crossover = AsymptoteCrossover(w);
    if (!(from > 0) || !(to > from) || count < 2 || !std::isfinite(to))
        return result;
    const PlainRanges plain = PlainRangesOf(w);
    const std::vector<Break> breaks = BreaksOf(w);
    const Extended gainLg = std::log10(std::abs(w.Gain));
    // ω_k = from·ratio^k: powers taken afresh every 32 points and multiplied up between, so
    // that a point costs no pow yet rounding grows over 32 products only.
    const Extended lgFrom = std::log10(from);
    const Extended lgTo = std::log10(to);
    const Extended lgStep = (lgTo - lgFrom) / (count - 1);
    const Extended ratio = std::pow(10.0L, lgStep);
    result.Points.reserve(static_cast<std::size_t>(count));
    Extended omega = from, radians = 0;
    for (int k = 0; k < count; ++k) {
        const Extended lgOmega = k == count - 1 ? lgTo : lgFrom + k * lgStep;
        if (k == count - 1)
            omega = to;
        else if (k > 0)
            omega = k % 32 == 0 ? std::pow(10.0L, lgOmega) : omega * ratio;
        result.Points.push_back(PointAt(w, plain, breaks, gainLg, omega, lgOmega,
                                        k > 0 ? &result.Points.back() : nullptr, radians));
    }
    return result;
}

} // namespace nirdal
