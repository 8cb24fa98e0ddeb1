// SPDX-License-Identifier: MIT
#include "core/analysis/stability.h"

#include "core/analysis/polynomial_roots.h"
#include "core/analysis/scaled_complex.h"
#include "core/common/number_text.h"
#include "core/common/russian_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <numbers>
#include <optional>
#include <span>
#include <string>

namespace nirdal {

namespace {

using namespace scaled;

constexpr Extended kPi = std::numbers::pi_v<Extended>;

// A pole with |Re s| up to this fraction of |s| lies on the imaginary axis. The eigenvalues
// of a double root are accurate only to about the square root of the precision (1e-10).
constexpr Extended kAxisTolerance = 1e-7L;
// Roots this close to an axis pole (relative to its frequency) are copies of it.
constexpr Extended kSamePoleTolerance = 1e-5L;
// A crossover this close to −1 (gain factor less 1, or phase in radians) puts the curve
// through −1.
constexpr Extended kBoundaryTolerance = 1e-9L;
// Largest change of ln W(jω) over one step of the walk: phase steps stay near 0.1 rad and
// modulus steps near 10 %, so no crossing of the axis or the unit circle falls unseen
// between two samples.
constexpr Extended kStepSize = 0.1L;
// The rate of change of ln W is bounded at the start of a step; within the step the distance
// to any root shrinks by at most a tenth, so the rate grows by at most this factor.
constexpr Extended kRateSlack = 1.2L;
// Halvings of a step before the curve counts as passing through −1 (2^-48 of a step).
constexpr int kMaxRefinement = 48;
// Values of W with binary exponents below this are turned in plain arithmetic.
constexpr long kPlainTurnExponent = 4000;
// Samples of one variant; a curve that needs more winds around too often to be counted.
constexpr long kMaxSamples = 200000;
// Evaluations of W(jω) for one variant, refinements and bisections included: what keeps the
// analysis of any variant within a second or so, whatever its numbers.
constexpr long kMaxEvaluations = 250000;
// |W| on both ends of an indentation must be at least this, so that 1 + W turns as W does.
constexpr Extended kIndentModulus = 1e3L;
// The bounds on |W| take the moduli of computed roots this much larger: the eigenvalues of a
// multiple root scatter by up to a few per cent.
constexpr Extended kModulusSlack = 1.1L;
// Rounding errors of W(jω) below this are too small to worry about even near −1, where the
// boundary tolerance takes over.
constexpr Extended kAbsoluteNoise = 1e-12L;
// |V| up to this fraction of |W| is rounding noise of a value that is real.
constexpr Extended kRoundingNoise = 1e-15L;
// Without a delay a crossing of the negative real axis is not searched beyond this multiple
// of the largest root modulus: the phase is there within 1e-5 rad of its limit.
constexpr Extended kTailReach = 1e6L;

struct AnalysisError
{
    std::string Message;        // English
    std::string RussianMessage; // for the class report
};

std::string FrequencyText(Extended omega)
{
    return SignificantText(omega, 10);
}

std::string RadiusText(Extended radius)
{
    return SignificantText(radius, 3);
}

// The turn congruent to `turn` modulo 2π nearest to −order·π: how arg(1 + W) changes on a
// semicircle around a pole of that order, where W turns by −order·π and dominates the 1.
Extended IndentationTurn(Extended turn, int order)
{
    return turn + 2 * kPi * std::nearbyint((-order * kPi - turn) / (2 * kPi));
}

bool ChangesSign(Extended a, Extended b)
{
    return (a < 0 && b > 0) || (a > 0 && b < 0) || (b == 0 && a != 0);
}

struct Sample
{
    Extended Omega = 0;
    Scaled W;
    Extended LogModulus = 0; // ln |W|
};

// A pole of W on the imaginary axis at jFrequency (Frequency ≥ 0), passed on the right by a
// semicircle of Radius.
struct Indentation
{
    Extended Frequency = 0;
    int Order = 0;
    Extended Radius = 0;
};

// Index of the highest non-zero coefficient up to degree; −1 for a zero polynomial.
int TopIndex(const std::array<Extended, kCoefficientCount>& c, int degree)
{
    for (int k = std::min(degree, kCoefficientCount - 1); k >= 0; --k) {
        if (c[k] != 0)
            return k;
    }
    return -1;
}

int BottomIndex(const std::array<Extended, kCoefficientCount>& c, int top)
{
    int k = 0;
    while (k < top && c[k] == 0)
        ++k;
    return k;
}

bool NearImaginaryAxis(const Complex& pole)
{
    return std::abs(pole.real()) <= kAxisTolerance * std::abs(pole);
}

// Follows W(jω) from ω = 0 (or the edge of the indentation around s = 0) upward, summing the
// turn of 1 + W and collecting the crossovers. Steps are bounded by the rate of change of
// ln W, |d ln W/dω| ≤ T + Σ 1/|jω − root| over zeros and poles, so that each step moves W by
// a bounded factor and the path between two samples stays inside a known disc.
class NyquistWalk
{
public:
    NyquistWalk(const TransferFunction& reduced, std::vector<Complex> zeros,
                std::vector<Complex> poles)
        : variant_(reduced),
          numerator_(reduced.B.data(), std::size_t{reduced.NumeratorDegree} + 1),
          denominator_(reduced.A.data(), std::size_t{reduced.DenominatorDegree} + 1),
          plainN_(PlainRangeOf(numerator_)), plainD_(PlainRangeOf(denominator_)),
          zeros_(std::move(zeros)), poles_(std::move(poles)),
          delay_(reduced.Delay)
    {
        Extended largest = 0;
        for (const Complex& root : zeros_) {
            zeroModuli_.push_back(kModulusSlack * std::abs(root));
            largest = std::max(largest, zeroModuli_.back());
        }
        for (const Complex& root : poles_) {
            poleModuli_.push_back(kModulusSlack * std::abs(root));
            largest = std::max(largest, poleModuli_.back());
        }
        tailStart_ = 2 * largest;
        rootFloor_ = std::max(1e-12L * largest, std::numeric_limits<Extended>::min());
        logLeadingRatio_ = std::log(std::abs(variant_.B[variant_.NumeratorDegree])) -
                           std::log(std::abs(variant_.A[variant_.DenominatorDegree]));
        squareN_ = SquareOnAxis(numerator_);
        squareD_ = SquareOnAxis(denominator_);
        if (squareN_.empty())
            squareD_.clear();
    }

    // Runs the walk; the results are read with the accessors below.
    void Run()
    {
        const std::vector<Indentation> axis = AxisPoles();
        std::size_t next = 0;
        Sample a;
        if (!axis.empty() && axis[0].Frequency == 0) {
            // The path from −jε to +jε: W(−jω) is the conjugate of W(jω), so 1 + W turns
            // by twice its argument at +jε, give or take whole turns.
            a = Evaluate(axis[0].Radius);
            originTurn_ = IndentationTurn(2 * std::arg(OnePlus(a.W).M), axis[0].Order);
            next = 1;
        } else {
            a = Evaluate(0);
            // W(0) is real: on the negative axis it is a phase crossover. |W(0)| = 1 is not a
            // gain crossover: the curve does not cross the circle there but starts on it.
            if (a.W.M.real() < 0)
                AddPhaseCrossover(a);
        }
        for (; next < axis.size(); ++next) {
            const Indentation& pole = axis[next];
            const Sample before = WalkSegment(a, pole.Frequency - pole.Radius);
            const Sample after = Evaluate(pole.Frequency + pole.Radius);
            upperTurn_ += IndentationTurn(
                std::arg(OnePlus(after.W).M) - std::arg(OnePlus(before.W).M), pole.Order);
            a = after;
        }
        const Sample end = WalkSegment(a, std::nullopt);
        // From here on |W| < 1/2, so 1 + W stays in the right half-plane and ends at 1.
        upperTurn_ -= std::arg(OnePlus(end.W).M);
    }

    // Counterclockwise turn of 1 + W(s) in radians over the whole contour, from −j∞ to +j∞;
    // the large semicircle adds nothing because W vanishes there.
    Extended TotalTurn() const { return 2 * upperTurn_ + originTurn_; }
    bool PassesThroughMinusOne() const { return throughMinusOne_; }
    long Evaluations() const { return evaluations_; }
    const std::vector<Crossover>& PhaseCrossovers() const { return phase_; }
    const std::vector<Crossover>& GainCrossovers() const { return gain_; }
    const std::vector<Indentation>& Indentations() const { return indentations_; }

private:
    Sample Evaluate(Extended omega)
    {
        if (++evaluations_ > kMaxEvaluations)
            throw AnalysisError{
                "the hodograph needs more than " + std::to_string(kMaxEvaluations) +
                    " points to be followed (beyond ω = " + FrequencyText(omega) + ")",
                "годограф требует больше " + std::to_string(kMaxEvaluations) +
                    " точек, чтобы его проследить (за ω = " + DecimalComma(FrequencyText(omega)) +
                    ")"};
        const Extended phi = delay_ * omega;
        if (!std::isfinite(phi))
            throw Unevaluable(omega);
        // Without a delay exp(−jωT) = 1 exactly.
        const Complex turn = phi == 0 ? Complex(1) : Complex(std::cos(phi), -std::sin(phi));
        if (plainN_.Contains(omega) && plainD_.Contains(omega))
            if (const std::optional<Sample> sample = PlainSample(omega, turn))
                return *sample;

        const AxisValue n = PolynomialOnAxis(numerator_, omega);
        const AxisValue d = PolynomialOnAxis(denominator_, omega);
        if (d.Value.M == Complex(0))
            throw Unevaluable(omega);
        Sample sample{omega, Quotient(n.Value, d.Value)};
        if (phi != 0)
            sample.W = Product(sample.W, Normalised(turn, 0));
        sample.LogModulus = LogModulus(sample.W);
        const Scaled sizeD = Size(d.Value);
        const Scaled error = Product(Scale(ErrorUnit()),
                                     Quotient(Sum(n.Terms, Product(Size(sample.W), d.Terms)), sizeD));
        if (Exceeds(error, Scale(kAbsoluteNoise)) &&
            Exceeds(error, Product(Scale(0.01L), Size(OnePlus(sample.W)))))
            throw DigitsLost(omega);
        return sample;
    }

    // W(jω) in plain arithmetic, where the terms of N and D are far inside the range; none
    // when a value comes too near its ends after all (D near a root, say).
    std::optional<Sample> PlainSample(Extended omega, const Complex& turn) const
    {
        Extended termsN = 0, termsD = 0;
        const Complex n = PlainOnAxis(numerator_, omega, termsN);
        const Complex d = PlainOnAxis(denominator_, omega, termsD);
        const Extended squareD = d.real() * d.real() + d.imag() * d.imag();
        if (!(squareD >= 0x1p-8000L && squareD <= 0x1p8000L))
            return std::nullopt;
        Complex w((n.real() * d.real() + n.imag() * d.imag()) / squareD,
                  (n.imag() * d.real() - n.real() * d.imag()) / squareD);
        w = Complex(w.real() * turn.real() - w.imag() * turn.imag(),
                    w.real() * turn.imag() + w.imag() * turn.real());
        const Extended size = Modulus(w);
        const Extended error = ErrorUnit() * (termsN + size * termsD) / std::sqrt(squareD);
        if (!std::isfinite(error) || !(size > 0x1p-12000L))
            return std::nullopt;
        if (error > kAbsoluteNoise && error > 0.01L * Modulus(Complex(1 + w.real(), w.imag())))
            throw DigitsLost(omega);
        Sample sample{omega, Normalised(w, 0)};
        sample.LogModulus = LogModulus(sample.W);
        return sample;
    }

    // Coefficients of very different sizes can cancel to a value that has lost its digits;
    // then where 1 + W points is not known and the count would be a guess. Horner's rule errs
    // by up to about 2(k+1)·ε times the sum of the terms' moduli, and the division adds the
    // relative errors of N and D.
    Extended ErrorUnit() const
    {
        return 2 * (variant_.DenominatorDegree + 1) * std::numeric_limits<Extended>::epsilon();
    }

    static AnalysisError Unevaluable(Extended omega)
    {
        return {"W(jω) cannot be evaluated at ω = " + FrequencyText(omega),
                "W(jω) не вычисляется при ω = " + DecimalComma(FrequencyText(omega))};
    }

    static AnalysisError DigitsLost(Extended omega)
    {
        return {"at ω = " + FrequencyText(omega) +
                    " the coefficients cancel to a W(jω) that has lost its digits",
                "при ω = " + DecimalComma(FrequencyText(omega)) +
                    " слагаемые взаимно гасятся, и в W(jω) не остаётся верных цифр"};
    }

    // Bound on |d ln W(jω)/dω| at omega.
    Extended Rate(Extended omega) const
    {
        Extended rate = delay_;
        for (const auto* roots : {&zeros_, &poles_}) {
            for (const Complex& root : *roots) {
                const Extended re = root.real(), im = omega - root.imag();
                // hypot only where the squares would leave the range: it is many times slower.
                constexpr Extended kSquarable = 1e2400L;
                const Extended distance = std::abs(re) < kSquarable && std::abs(im) < kSquarable
                                              ? std::sqrt(re * re + im * im)
                                              : std::hypot(re, im);
                rate += 1 / std::max(distance, rootFloor_);
            }
        }
        return rate;
    }

    // Upper bound of ln |W(jω)| for ω ≥ tailStart_; it decreases with ω because m < n.
    Extended LogModulusBound(Extended omega) const
    {
        Extended bound = logLeadingRatio_;
        for (const Extended modulus : zeroModuli_)
            bound += std::log(omega + modulus);
        for (const Extended modulus : poleModuli_)
            bound -= std::log(omega - modulus);
        return bound;
    }

    // Without a delay, whether the phase of W can still reach an odd multiple of π above
    // omega (above every root, where no angle below is read across its branch): each factor
    // jω − root turns monotonically towards π/2 from here on, so the remaining phase lies
    // between the sums of the negative and of the positive remainders.
    bool PhaseCanReachMinusOne(const Sample& a) const
    {
        Extended low = 0, high = 0;
        auto add = [&](const std::vector<Complex>& roots, int sign) {
            for (const Complex& root : roots) {
                const Extended rest =
                    sign * (kPi / 2 - std::atan2(a.Omega - root.imag(), -root.real()));
                (rest < 0 ? low : high) += rest;
            }
        };
        add(zeros_, 1);
        add(poles_, -1);
        constexpr Extended kMargin = 1e-12L; // the limits are approached, never reached
        const Extended phase = std::arg(a.W.M);
        const Extended from = phase + low + kMargin, to = phase + high - kMargin;
        const Extended oddMultiple = kPi + 2 * kPi * std::ceil((from - kPi) / (2 * kPi));
        return oddMultiple < to;
    }

    // Past the last crossover that matters and where 1 + W can no longer turn around 0.
    bool CanStop(const Sample& a)
    {
        if (a.Omega > tailStart_) {
            const Extended bound = LogModulusBound(a.Omega);
            // A later phase crossover has |U| ≤ bound and so lies right of the leftmost one.
            if (bound < std::log(0.5L) &&
                (bound < leftmostPhaseLog_ ||
                 (delay_ == 0 && (!PhaseCanReachMinusOne(a) || a.Omega > kTailReach * tailStart_))))
                return true;
        }
        // Below the roots (a long delay winds the curve there): |W| below 1 from here on keeps
        // 1 + W in the right half-plane, and below the leftmost phase crossover no later one
        // changes the gain margin.
        if (squareD_.empty() || !(a.LogModulus < 0) || samples_ < nextTailCheck_)
            return false;
        const Extended level = leftmostPhaseLog_ > -std::numeric_limits<Extended>::infinity()
                                   ? std::min<Extended>(0, leftmostPhaseLog_)
                               : delay_ == 0 && a.Omega > tailStart_ && !PhaseCanReachMinusOne(a)
                                   ? 0
                                   : -std::numeric_limits<Extended>::infinity();
        if (!(a.LogModulus < level))
            return false;
        // The test costs a dozen evaluations: tried again after ever more samples.
        tailCheckInterval_ *= 2;
        nextTailCheck_ = samples_ + tailCheckInterval_;
        return ModulusStaysBelow(std::exp(2 * level), a.Omega * a.Omega);
    }

    // Whether |W(jω)|² < level for every ω² ≥ x: the polynomial level·|D|² − |N|² in x = ω²,
    // shifted to x, has only positive coefficients (with room for their rounding).
    bool ModulusStaysBelow(Extended level, Extended x) const
    {
        if (squareD_.empty())
            return false;
        std::vector<Extended> h(squareD_.size()), size(squareD_.size());
        for (std::size_t k = 0; k < h.size(); ++k) {
            const Extended n = k < squareN_.size() ? squareN_[k] : 0;
            h[k] = level * squareD_[k] - n;
            size[k] = level * std::abs(squareD_[k]) + std::abs(n);
        }
        for (std::size_t j = 0; j < h.size(); ++j) {
            for (std::size_t i = h.size() - 1; i-- > j;) {
                h[i] += h[i + 1] * x;
                size[i] += size[i + 1] * x;
            }
            if (!(h[j] > 1e-15L * size[j]))
                return false;
        }
        return true;
    }

    // |c(jω)|² as a polynomial in ω²: (Σ (−1)^k c_2k x^k)² + x·(Σ (−1)^k c_2k+1 x^k)²; empty
    // where its coefficients would leave the range.
    static std::vector<Extended> SquareOnAxis(std::span<const Extended> c)
    {
        std::vector<Extended> even, odd;
        for (std::size_t k = 0; k < c.size(); ++k)
            ((k % 2 == 0) ? even : odd).push_back((k / 2) % 2 == 0 ? c[k] : -c[k]);
        std::vector<Extended> square(c.size(), 0);
        for (std::size_t i = 0; i < even.size(); ++i)
            for (std::size_t j = 0; j < even.size(); ++j)
                square[i + j] += even[i] * even[j];
        for (std::size_t i = 0; i < odd.size(); ++i)
            for (std::size_t j = 0; j < odd.size(); ++j)
                square[i + j + 1] += odd[i] * odd[j];
        for (const Extended x : square)
            if (!std::isfinite(x) || std::abs(x) > 1e1000L)
                return {};
        return square;
    }

    Sample WalkSegment(Sample a, std::optional<Extended> end)
    {
        for (;;) {
            const Extended rate = Rate(a.Omega);
            Extended omega = a.Omega + kStepSize / rate;
            const bool last = end && omega >= *end;
            if (last)
                omega = *end;
            if (!(omega > a.Omega) || !std::isfinite(omega))
                throw AnalysisError{"the frequency step vanished at ω = " + FrequencyText(a.Omega),
                                    "шаг по частоте исчез при ω = " +
                                        DecimalComma(FrequencyText(a.Omega))};
            const Sample b = Evaluate(omega);
            upperTurn_ += Turn(a, b, rate, 0);
            FindCrossovers(a, b);
            a = b;
            if (last || (!end && CanStop(a)))
                return a;
            if (++samples_ > kMaxSamples)
                throw AnalysisError{"the hodograph winds too often to be followed (beyond ω = " +
                                        FrequencyText(a.Omega) + ")",
                                    "годограф делает слишком много витков, чтобы их проследить "
                                    "(за ω = " +
                                        DecimalComma(FrequencyText(a.Omega)) + ")"};
        }
    }

    // The turn of 1 + W from a to b. Over the step W stays within |W(a)|·(e^(rate·h) − 1) of
    // W(a); when that disc around 1 + W(a) leaves out 0, the turn is the principal angle.
    Extended Turn(const Sample& a, const Sample& b, Extended rate, int depth)
    {
        const Extended growth = std::expm1(kRateSlack * rate * (b.Omega - a.Omega));
        bool clear = false;
        Complex from, to;
        if (std::abs(a.W.E) < kPlainTurnExponent && std::abs(b.W.E) < kPlainTurnExponent) {
            // Values of ordinary size, the most of them: the same numbers without the scaling.
            const Complex wa = Unscaled(a.W), wb = Unscaled(b.W);
            from = Complex(1 + wa.real(), wa.imag());
            to = Complex(1 + wb.real(), wb.imag());
            clear = Modulus(from) > Modulus(wa) * growth;
        } else {
            const Scaled fa = OnePlus(a.W), fb = OnePlus(b.W);
            // In logarithms: |W| overflows where the curve starts far out (1e2470/(s+1)), and
            // then an infinite reach would never let a step be small enough.
            clear = Exceeds(fa, Product(Size(a.W), Scale(growth)));
            from = fa.M;
            to = fb.M;
        }
        if (clear || depth == kMaxRefinement) {
            throughMinusOne_ = throughMinusOne_ || !clear;
            // the principal angle from 1 + W(a) to 1 + W(b)
            return std::atan2(to.imag() * from.real() - to.real() * from.imag(),
                              to.real() * from.real() + to.imag() * from.imag());
        }
        const Sample middle = Evaluate(a.Omega + (b.Omega - a.Omega) / 2);
        return Turn(a, middle, rate, depth + 1) + Turn(middle, b, rate, depth + 1);
    }

    // The frequency in (a, b] where f changes sign, down to adjacent numbers: regula falsi
    // with the Illinois weighting, which closes in on a simple root from both sides in a few
    // evaluations where bisection takes sixty, and a halving whenever a secant step gains too
    // little.
    template <typename Function> Extended Refine(const Sample& a, const Sample& b, Function f)
    {
        Extended low = a.Omega, high = b.Omega;
        Extended fLow = f(a), fHigh = f(b);
        if (fHigh == 0)
            return high;
        // the values at the ends, and those the secant is drawn through (halved when stale)
        Extended lowValue = std::abs(fLow), highValue = std::abs(fHigh);
        int stale = 0; // +1: the low end was kept at the last step; −1: the high end
        Extended widthBefore = high - low;
        for (int step = 1;; ++step) {
            const Extended half = low + (high - low) / 2;
            if (!(half > low && half < high))
                return lowValue < highValue ? low : high;
            Extended omega = low + fLow / (fLow - fHigh) * (high - low);
            if (step % 3 == 0) {
                // a secant that crawls from one side: halve instead
                if (high - low > widthBefore / 4)
                    omega = half;
                widthBefore = high - low;
            }
            if (!(omega > low && omega < high))
                omega = half;
            const Extended value = f(Evaluate(omega));
            if (value == 0)
                return omega;
            if ((value < 0) == (fLow < 0)) {
                low = omega;
                fLow = value;
                lowValue = std::abs(value);
                if (stale == -1)
                    fHigh /= 2;
                stale = -1;
            } else {
                high = omega;
                fHigh = value;
                highValue = std::abs(value);
                if (stale == 1)
                    fLow /= 2;
                stale = 1;
            }
        }
    }

    void FindCrossovers(const Sample& a, const Sample& b)
    {
        // sin arg W: the sign of V, smooth for the secant whatever the size of W
        auto imaginary = [](const Sample& s) { return s.W.M.imag() / Modulus(s.W.M); };
        auto modulus = [](const Sample& s) { return s.LogModulus; };
        // A curve that lies on the real axis (W = K/s², or a cancelled pair of poles) changes
        // the sign of V only by rounding; it has no crossing to speak of.
        const bool onRealAxis = std::abs(a.W.M.imag()) <= kRoundingNoise * Modulus(a.W.M) &&
                                std::abs(b.W.M.imag()) <= kRoundingNoise * Modulus(b.W.M);
        // Over one step W moves by a few per cent, so both ends right of the imaginary axis
        // mean a crossing of the positive real axis, which is no phase crossover.
        const bool rightHalf = a.W.M.real() > 0 && b.W.M.real() > 0;
        if (ChangesSign(imaginary(a), imaginary(b)) && !onRealAxis && !rightHalf) {
            const Sample root = Evaluate(Refine(a, b, imaginary));
            if (root.W.M.real() < 0)
                AddPhaseCrossover(root);
        }
        if (ChangesSign(modulus(a), modulus(b))) {
            const Sample root = Evaluate(Refine(a, b, modulus));
            const Complex w = Unscaled(root.W);
            gain_.push_back({root.Omega, w.real(), w.imag()});
        }
    }

    void AddPhaseCrossover(const Sample& at)
    {
        const Complex w = Unscaled(at.W);
        // The gain margin is −1/U; beyond the range of numbers there is none to give.
        if (!std::isfinite(w.real()) || w.real() == 0)
            throw AnalysisError{"|W(jω)| = e^" + FrequencyText(at.LogModulus) +
                                    " at ω = " + FrequencyText(at.Omega) +
                                    " is beyond the range of numbers for a gain margin",
                                "|W(jω)| = e^" + DecimalComma(FrequencyText(at.LogModulus)) +
                                    " при ω = " + DecimalComma(FrequencyText(at.Omega)) +
                                    " выходит за пределы чисел, запас по усилению не вычислить"};
        phase_.push_back({at.Omega, w.real(), w.imag()});
        leftmostPhaseLog_ = std::max(leftmostPhaseLog_, at.LogModulus);
    }

    // Poles on the imaginary axis with their semicircles: s = 0 first (exact, from zero
    // coefficients), then the upper half-axis in ascending frequency; multiple poles merged.
    std::vector<Indentation> AxisPoles()
    {
        std::vector<Indentation> axis;
        int atOrigin = 0;
        std::vector<Extended> upper;
        for (const Complex& pole : poles_) {
            if (pole == Complex(0))
                ++atOrigin;
            else if (NearImaginaryAxis(pole) && pole.imag() > 0)
                upper.push_back(pole.imag());
        }
        std::sort(upper.begin(), upper.end());
        if (atOrigin > 0)
            axis.push_back({0, atOrigin, 0});
        for (std::size_t i = 0; i < upper.size();) {
            std::size_t j = i + 1;
            while (j < upper.size() && upper[j] - upper[i] <= kSamePoleTolerance * upper[i])
                ++j;
            Extended sum = 0;
            for (std::size_t k = i; k < j; ++k)
                sum += upper[k];
            axis.push_back({sum / static_cast<Extended>(j - i), static_cast<int>(j - i), 0});
            i = j;
        }
        // A pole just off the axis may be too far from it for W to dominate on a semicircle;
        // the walk then passes it like any other pole, close by.
        for (Indentation& pole : axis) {
            if (const auto radius = IndentationRadius(pole))
                indentations_.push_back({pole.Frequency, pole.Order, *radius});
            else if (pole.Frequency == 0)
                throw AnalysisError{"W(s) does not grow near its pole at s = 0",
                                    "W(s) не растёт вблизи своего полюса s = 0"};
        }
        return indentations_;
    }

    // Small against the distance to every other root and against 1/T, so that only the pole
    // itself turns W on the semicircle; small enough that |W| dominates 1 at its ends.
    std::optional<Extended> IndentationRadius(const Indentation& pole)
    {
        const Complex centre(0, pole.Frequency);
        Extended distance = delay_ > 0 ? 1 / delay_ : std::numeric_limits<Extended>::infinity();
        for (const auto* roots : {&zeros_, &poles_}) {
            for (const Complex& root : *roots) {
                const Extended d = std::abs(root - centre);
                if (d > kSamePoleTolerance * pole.Frequency)
                    distance = std::min(distance, d);
            }
        }
        if (!std::isfinite(distance))
            distance = std::max<Extended>(1, pole.Frequency);
        Extended radius = 1e-6L * distance;
        Extended smallest = 1e-13L * pole.Frequency; // a polished eigenvalue's accuracy
        if (pole.Frequency == 0) {
            // The exact pole of order k at s = 0: W ≈ (B0/Ak)/s^k, so the radius follows
            // from the modulus wanted at the ends.
            const Extended logRatio =
                std::log(std::abs(variant_.B[0])) - std::log(std::abs(variant_.A[pole.Order]));
            radius =
                std::min(radius, std::exp((logRatio - std::log(10 * kIndentModulus)) / pole.Order));
            smallest = radius * 1e-9L;
        }
        for (; radius >= smallest && radius > 0; radius *= 1e-3L) {
            const Extended wanted = std::log(kIndentModulus);
            if (Evaluate(pole.Frequency + radius).LogModulus >= wanted &&
                (pole.Frequency == 0 || Evaluate(pole.Frequency - radius).LogModulus >= wanted))
                return radius;
        }
        return std::nullopt;
    }

    const TransferFunction& variant_;
    const std::span<const Extended> numerator_, denominator_;
    const PlainRange plainN_, plainD_;
    const std::vector<Complex> zeros_, poles_;
    std::vector<Extended> zeroModuli_, poleModuli_;
    const Extended delay_;
    Extended tailStart_ = 0, rootFloor_ = 0, logLeadingRatio_ = 0;
    Extended upperTurn_ = 0, originTurn_ = 0;
    bool throughMinusOne_ = false;
    long samples_ = 0, evaluations_ = 0;
    std::vector<Extended> squareN_, squareD_; // |N(jω)|², |D(jω)|² in powers of ω²
    long nextTailCheck_ = 0, tailCheckInterval_ = 1;
    // ln(−U) of the leftmost phase crossover so far
    Extended leftmostPhaseLog_ = -std::numeric_limits<Extended>::infinity();
    std::vector<Crossover> phase_, gain_;
    std::vector<Indentation> indentations_;
};

std::vector<Complex> RootsOf(const std::array<Extended, kCoefficientCount>& c, int degree,
                             const char* polynomial)
{
    const std::span<const Extended> coefficients(c.data(), static_cast<std::size_t>(degree) + 1);
    std::vector<Complex> roots = PolynomialRoots(coefficients);
    if (!RootsHoldUp(coefficients, roots))
        throw AnalysisError{std::string("the roots of ") + polynomial +
                                " cannot be found accurately: its coefficients span too many "
                                "orders of magnitude",
                            std::string("корни ") + polynomial +
                                " не находятся точно: его коэффициенты различаются на слишком "
                                "много порядков"};
    return roots;
}

// P, and the poles on the imaginary axis: those at s = 0 and those the walk passed on
// semicircles. A pole just off the axis that the walk passed by counts by its side.
void ClassifyPoles(StabilityAnalysis& result, const std::vector<Indentation>& indentations)
{
    for (const Complex& pole : result.Poles) {
        const auto passedOnSemicircle = [&](const Indentation& i) {
            return i.Frequency > 0 && NearImaginaryAxis(pole) &&
                   std::abs(std::abs(pole.imag()) - i.Frequency) <=
                       2 * kSamePoleTolerance * i.Frequency;
        };
        if (pole == Complex(0) ||
            std::any_of(indentations.begin(), indentations.end(), passedOnSemicircle))
            ++result.ImaginaryAxisPoles;
        else if (pole.real() > 0)
            ++result.RightHalfPlanePoles;
    }
}

Extended PhaseMarginDegrees(const Crossover& crossover)
{
    return std::atan2(-crossover.V, -crossover.U) * 180 / kPi;
}

// The margins, and whether a crossover lies on −1.
bool ChooseMargins(StabilityAnalysis& result)
{
    bool throughMinusOne = false;
    for (const Crossover& c : result.PhaseCrossovers) {
        const Extended factor = -1 / c.U;
        if (!result.GainMargin || factor < result.GainMargin->Value)
            result.GainMargin = Margin{factor, c.Frequency};
        throughMinusOne = throughMinusOne || std::abs(factor - 1) <= kBoundaryTolerance;
    }
    for (const Crossover& c : result.GainCrossovers) {
        const Extended degrees = PhaseMarginDegrees(c);
        if (!result.PhaseMargin || std::abs(degrees) < std::abs(result.PhaseMargin->Value))
            result.PhaseMargin = Margin{degrees, c.Frequency};
        throughMinusOne = throughMinusOne || std::abs(degrees) * kPi / 180 <= kBoundaryTolerance;
    }
    return throughMinusOne;
}

// The extra delay that turns W(jω_c) onto −1: the lag from arg W to −π, taken modulo 2π.
void ChooseDelayMargin(StabilityAnalysis& result)
{
    for (const Crossover& c : result.GainCrossovers) {
        if (!(c.Frequency > 0))
            continue;
        Extended lag = std::fmod(std::atan2(c.V, c.U) + kPi, 2 * kPi);
        if (lag < 0)
            lag += 2 * kPi;
        const Extended seconds = lag / c.Frequency;
        if (!result.DelayMargin || seconds < result.DelayMargin->Seconds)
            result.DelayMargin = DelayMargin{seconds, c.Frequency};
    }
}

std::string CountText(int count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void AddNote(StabilityAnalysis& result, std::string english, std::string russian)
{
    result.Notes.push_back({std::move(english), std::move(russian)});
}

void Analyse(const TransferFunction& variant, StabilityAnalysis& result)
{
    if (!(variant.Delay >= 0))
        throw AnalysisError{"a negative delay looks into the future; it is not analysed",
                            "отрицательное запаздывание физически невозможно; такой вариант не "
                            "исследуется"};
    const int n = TopIndex(variant.A, variant.DenominatorDegree);
    const int m = TopIndex(variant.B, variant.NumeratorDegree);
    if (n < 0)
        throw AnalysisError{"the denominator is zero", "знаменатель равен нулю"};
    if (n == 0)
        throw AnalysisError{"the denominator is a constant: W(s) has no poles",
                            "знаменатель — постоянная: у W(s) нет полюсов"};
    if (!std::isfinite(variant.Delay))
        throw AnalysisError{"the delay is not a finite number of seconds",
                            "запаздывание не является конечным числом секунд"};
    for (int k = 0; k <= std::max(n, m); ++k)
        if ((k <= n && !std::isfinite(variant.A[static_cast<std::size_t>(k)])) ||
            (k <= m && !std::isfinite(variant.B[static_cast<std::size_t>(k)])))
            throw AnalysisError{"a coefficient is not a finite number",
                                "коэффициент не является конечным числом"};
    if (m >= n)
        throw AnalysisError{"the numerator degree (" + std::to_string(m) +
                                ") must be below the denominator degree (" + std::to_string(n) +
                                ") once zero leading coefficients are dropped",
                            "степень числителя (" + std::to_string(m) +
                                ") должна быть ниже степени знаменателя (" + std::to_string(n) +
                                ") после отбрасывания нулевых старших коэффициентов"};
    result.Poles = RootsOf(variant.A, n, "D(s)");

    if (m < 0) {
        // W = 0: the loop is open in effect and keeps the poles of D.
        for (const Complex& pole : result.Poles) {
            if (NearImaginaryAxis(pole))
                ++result.ImaginaryAxisPoles;
            else if (pole.real() > 0)
                ++result.RightHalfPlanePoles;
        }
        result.Encirclements = 0;
        result.ClosedLoopRightPoles = result.RightHalfPlanePoles;
        result.Verdict = result.RightHalfPlanePoles == 0 && result.ImaginaryAxisPoles == 0
                             ? StabilityVerdict::Stable
                         : result.RightHalfPlanePoles == 0 ? StabilityVerdict::Boundary
                                                           : StabilityVerdict::Unstable;
        AddNote(result, "the numerator is zero: the closed loop keeps the open loop's poles",
                "числитель равен нулю: замкнутая система сохраняет полюсы разомкнутой");
        return;
    }

    // A common factor s^k of N and D leaves W unchanged but stays in the closed loop's
    // characteristic polynomial D + N·exp(−sT).
    const int common = std::min(BottomIndex(variant.A, n), BottomIndex(variant.B, m));
    TransferFunction reduced;
    for (int k = common; k <= n; ++k)
        reduced.A[static_cast<std::size_t>(k - common)] = variant.A[static_cast<std::size_t>(k)];
    for (int k = common; k <= m; ++k)
        reduced.B[static_cast<std::size_t>(k - common)] = variant.B[static_cast<std::size_t>(k)];
    reduced.DenominatorDegree = static_cast<std::uint8_t>(n - common);
    reduced.NumeratorDegree = static_cast<std::uint8_t>(m - common);
    reduced.Delay = variant.Delay;

    std::vector<Complex> poles = result.Poles;
    poles.erase(std::remove(poles.begin(), poles.end(), Complex(0)), poles.end());
    poles.insert(poles.end(), static_cast<std::size_t>(BottomIndex(variant.A, n) - common),
                 Complex(0));
    NyquistWalk walk(reduced, RootsOf(reduced.B, m - common, "N(s)"), std::move(poles));
    walk.Run();
    result.Evaluations = walk.Evaluations();
    ClassifyPoles(result, walk.Indentations());
    result.PhaseCrossovers = walk.PhaseCrossovers();
    result.GainCrossovers = walk.GainCrossovers();
    bool boundary = ChooseMargins(result) || walk.PassesThroughMinusOne();

    for (const Indentation& pole : walk.Indentations()) {
        const std::string at = pole.Frequency == 0 ? "0" : "±j" + FrequencyText(pole.Frequency);
        AddNote(result,
                "pole of order " + std::to_string(pole.Order) + " at s = " + at +
                    ": passed on the right by a semicircle of radius " + RadiusText(pole.Radius) +
                    ", so not counted in P",
                "полюс кратности " + std::to_string(pole.Order) + " в s = " + DecimalComma(at) +
                    " обойдён справа полуокружностью радиуса " +
                    DecimalComma(RadiusText(pole.Radius)) + " и в P не входит");
    }

    if (common > 0) {
        boundary = true;
        const std::string factor =
            "s" + (common > 1 ? "^" + std::to_string(common) : std::string());
        AddNote(result,
                "N(s) and D(s) share the factor " + factor + ": the closed loop keeps " +
                    CountText(common, "pole", "poles") + " at s = 0",
                "у N(s) и D(s) общий множитель " + factor + ": у замкнутой системы остаётся " +
                    RussianCount(common, "полюс", "полюса", "полюсов") + " в s = 0");
    }
    if (boundary) {
        result.Verdict = StabilityVerdict::Boundary;
        return;
    }

    const Extended turns = walk.TotalTurn() / (2 * kPi);
    const Extended whole = std::nearbyint(turns);
    if (std::abs(turns - whole) > 0.01L)
        throw AnalysisError{"the turns of 1 + W(jω) do not add up to whole turns (" +
                                FrequencyText(turns) + ")",
                            "обороты 1 + W(jω) не складываются в целое число (" +
                                DecimalComma(FrequencyText(turns)) + ")"};
    const int encirclements = -static_cast<int>(whole);
    const int closedLoop = encirclements + result.RightHalfPlanePoles;
    if (closedLoop < 0)
        throw AnalysisError{"the count of encirclements gives a negative number of closed-loop "
                            "poles in the right half-plane",
                            "подсчёт охватов даёт отрицательное число полюсов замкнутой системы "
                            "в правой полуплоскости"};
    result.Encirclements = encirclements;
    result.ClosedLoopRightPoles = closedLoop;
    result.Verdict = closedLoop == 0 ? StabilityVerdict::Stable : StabilityVerdict::Unstable;
    if (result.Verdict == StabilityVerdict::Stable)
        ChooseDelayMargin(result);
}

} // namespace

const char* VerdictName(StabilityVerdict verdict)
{
    switch (verdict) {
    case StabilityVerdict::Stable:
        return "stable";
    case StabilityVerdict::Unstable:
        return "unstable";
    case StabilityVerdict::Boundary:
        break;
    }
    return "boundary";
}

const char* RussianVerdictName(StabilityVerdict verdict)
{
    switch (verdict) {
    case StabilityVerdict::Stable:
        return "устойчива";
    case StabilityVerdict::Unstable:
        return "неустойчива";
    case StabilityVerdict::Boundary:
        break;
    }
    return "на границе";
}

StabilityAnalysis AnalyseStability(const TransferFunction& variant)
{
    StabilityAnalysis result;
    try {
        Analyse(variant, result);
    } catch (const AnalysisError& error) {
        result = StabilityAnalysis{};
        result.Failure = {error.Message, error.RussianMessage};
    }
    return result;
}

} // namespace nirdal
