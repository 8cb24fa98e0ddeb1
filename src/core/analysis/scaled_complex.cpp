// SPDX-License-Identifier: MIT
#include "core/analysis/scaled_complex.h"

#include <array>
#include <limits>

namespace nirdal::scaled {

namespace {

// Terms up to 2^±kPlainExponent keep Horner's partial sums, the squares of the values and the
// quotients of two of them inside the normal range of Extended.
constexpr long kPlainExponent = 4000;

} // namespace

PlainRange PlainRangeOf(std::span<const Extended> c)
{
    PlainRange range;
    // ω = 2^t: every nonzero term has the exponent e_k + k·t within ±kPlainExponent.
    Extended low = -std::numeric_limits<Extended>::infinity();
    Extended high = std::numeric_limits<Extended>::infinity();
    for (std::size_t k = 0; k < c.size(); ++k) {
        if (c[k] == 0)
            continue;
        if (!std::isfinite(c[k]))
            return {};
        const long e = BinaryExponent(c[k]);
        if (k == 0) {
            // c[0] is a term at every ω
            if (std::abs(e) > kPlainExponent)
                return {};
            range.AtZero = true;
            continue;
        }
        low = std::max(low, static_cast<Extended>(-kPlainExponent - e) / static_cast<Extended>(k));
        high = std::min(high, static_cast<Extended>(kPlainExponent - e) / static_cast<Extended>(k));
    }
    if (low > high)
        return range;
    range.From = std::exp2(low);
    range.To = std::exp2(high);
    return range;
}

AxisValue PolynomialOnAxis(std::span<const Extended> c, Extended omega)
{
    if (c.empty())
        return {};
    // Scaling every step of Horner's rule cost twenty times as much.
    struct Term
    {
        Extended M; // c[k]·ω^k = M·2^E, 2^−17 < |M| < 1
        long E;
        std::size_t K;
    };
    std::array<Term, 64> scaledTerms;
    std::size_t count = 0;
    const int omegaExponent = omega == 0 ? 0 : BinaryExponent(omega);
    const Extended omegaMantissa = TimesPowerOfTwo(omega, -omegaExponent);
    Extended power = 1; // omegaMantissa^k
    long top = std::numeric_limits<long>::min();
    for (std::size_t k = 0; k < c.size() && k < scaledTerms.size(); ++k, power *= omegaMantissa) {
        if (c[k] == 0 || (omega == 0 && k > 0))
            continue;
        const int exponent = BinaryExponent(c[k]);
        const Term term{TimesPowerOfTwo(c[k], -exponent) * power,
                        exponent + static_cast<long>(k) * omegaExponent, k};
        scaledTerms[count++] = term;
        top = std::max(top, term.E);
    }
    if (count == 0)
        return {};
    Extended real = 0, imaginary = 0, magnitude = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Term& term = scaledTerms[i];
        // Far below the largest term, a term vanishes in the sum's precision and range.
        if (term.E - top < -kExponentGap)
            continue;
        const Extended part = TimesPowerOfTwo(term.M, term.E - top);
        // (jω)^k: 1, j, −1, −j.
        switch (term.K % 4) {
        case 0: real += part; break;
        case 1: imaginary += part; break;
        case 2: real -= part; break;
        default: imaginary -= part; break;
        }
        magnitude += std::abs(part);
    }
    return {Normalised(Complex(real, imaginary), top), Normalised(Complex(magnitude), top)};
}

} // namespace nirdal::scaled
