// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <span>

// Complex values far beyond the range of Extended, as a mantissa and a binary exponent, and
// polynomials evaluated on the imaginary axis with them.
namespace nirdal::scaled {

using Complex = std::complex<Extended>;

// |z| without the care of hypot for overflow: only for mantissas of Scaled and values near 1.
inline Extended Modulus(const Complex& z)
{
    return std::sqrt(std::norm(z));
}

// M·2^E with max(|Re M|, |Im M|) in [1/2, 1), or M = 0: the values of N(jω), D(jω) and W(jω)
// reach far beyond the range of Extended (1e2470/(s+1) has |W|² = 1e4940 at ω = 0, and
// ω^15 overflows from ω = 1e329 on), their mantissas never do.
struct Scaled
{
    Complex M;
    long E = 0;
};

// Beyond any exponent of Extended, subnormals included.
constexpr long kExponentGap = 20000;

// 2^k for k in [−16382, 16383], straight from the bits of the x87 format: the walk scales
// every value it computes, and ldexp and frexp took most of its time.
inline Extended PowerOfTwo(int k)
{
    Extended x = 0;
    const std::uint64_t mantissa = std::uint64_t{1} << 63;
    const auto field = static_cast<std::uint16_t>(k + 16383);
    std::memcpy(&x, &mantissa, sizeof mantissa);
    std::memcpy(reinterpret_cast<char*>(&x) + sizeof mantissa, &field, sizeof field);
    return x;
}

// x·2^k, exact unless the result leaves the normal range.
inline Extended TimesPowerOfTwo(Extended x, long k)
{
    // Most shifts are small: a double 2^k, made from its bits in a register, multiplies
    // exactly and saves the trip of the ten-byte format through memory.
    if (k >= -1022 && k <= 1023)
        return x * std::bit_cast<double>(static_cast<std::uint64_t>(k + 1023) << 52);
    if (k >= -16382 && k <= 16383)
        return x * PowerOfTwo(static_cast<int>(k));
    return std::ldexp(x, static_cast<int>(std::clamp(k, -2 * kExponentGap, 2 * kExponentGap)));
}

// e with x = m·2^e and |m| in [1/2, 1), for a finite x ≠ 0.
inline int BinaryExponent(Extended x)
{
    std::uint16_t top = 0;
    std::memcpy(&top, reinterpret_cast<const char*>(&x) + sizeof(std::uint64_t), sizeof top);
    const int field = top & 0x7fff;
    if (field != 0)
        return field - 16382;
    int e = 0;
    std::frexp(x, &e); // subnormal
    return e;
}

inline Scaled Normalised(const Complex& m, long e)
{
    const Extended size = std::max(std::abs(m.real()), std::abs(m.imag()));
    if (size == 0 || !std::isfinite(size))
        return {size == 0 ? Complex(0) : m, 0};
    const int shift = BinaryExponent(size);
    return {Complex(TimesPowerOfTwo(m.real(), -shift), TimesPowerOfTwo(m.imag(), -shift)),
            e + shift};
}

inline Scaled Scale(Extended x)
{
    return Normalised(Complex(x), 0);
}

// m·2^by for by ≤ 0. A part far below the other one's size still counts: 1 + jω keeps its 1
// beside ω = 1e2450, and with it the phase of D(jω).
inline Complex Shifted(const Complex& m, long by)
{
    if (by == 0)
        return m;
    return {TimesPowerOfTwo(m.real(), by), TimesPowerOfTwo(m.imag(), by)};
}

inline Scaled Sum(const Scaled& a, const Scaled& b)
{
    if (a.M == Complex(0))
        return b;
    if (b.M == Complex(0))
        return a;
    const long top = std::max(a.E, b.E);
    return Normalised(Shifted(a.M, a.E - top) + Shifted(b.M, b.E - top), top);
}

// Written out: std::complex's operators take the slow path that cares for infinities, which
// mantissas never are.
inline Scaled Product(const Scaled& a, const Scaled& b)
{
    const Complex m(a.M.real() * b.M.real() - a.M.imag() * b.M.imag(),
                    a.M.real() * b.M.imag() + a.M.imag() * b.M.real());
    return Normalised(m, a.E + b.E);
}

// a/b for b ≠ 0; both mantissas lie within a factor 2 of 1, so the quotient cannot overflow.
inline Scaled Quotient(const Scaled& a, const Scaled& b)
{
    const Extended size = std::norm(b.M);
    const Complex m((a.M.real() * b.M.real() + a.M.imag() * b.M.imag()) / size,
                    (a.M.imag() * b.M.real() - a.M.real() * b.M.imag()) / size);
    return Normalised(m, a.E - b.E);
}

// |z| as a Scaled real.
inline Scaled Size(const Scaled& z)
{
    return Normalised(Complex(Modulus(z.M)), z.E);
}

// |a| > |b|.
inline bool Exceeds(const Scaled& a, const Scaled& b)
{
    if (b.M == Complex(0))
        return a.M != Complex(0);
    if (a.M == Complex(0))
        return false;
    // Mantissas' moduli lie in [1/2, √2).
    if (a.E - b.E > 2)
        return true;
    if (b.E - a.E > 2)
        return false;
    return Modulus(a.M) * PowerOfTwo(static_cast<int>(a.E - b.E)) > Modulus(b.M);
}

// ln |z|; −∞ for 0.
inline Extended LogModulus(const Scaled& z)
{
    return std::log(Modulus(z.M)) + static_cast<Extended>(z.E) * std::numbers::ln2_v<Extended>;
}

// The value itself; infinite parts where it lies beyond the range of Extended.
inline Complex Unscaled(const Scaled& z)
{
    return {TimesPowerOfTwo(z.M.real(), z.E), TimesPowerOfTwo(z.M.imag(), z.E)};
}

// 1 + z, exact where z is small and z itself (in direction and size) where the 1 is lost.
inline Scaled OnePlus(const Scaled& z)
{
    return Sum(Scale(1), z);
}

/// The frequencies at which every nonzero term |c[k]|·ω^k lies far inside the range of
/// Extended, so that c(jω) may be evaluated in plain arithmetic, its square and a quotient of
/// two such values included; decided once from the exponents of the coefficients.
struct PlainRange
{
    Extended From = 1; ///< an empty range unless set
    Extended To = 0;
    bool AtZero = false; ///< ω = 0, where c(0) = c[0]
    bool Contains(Extended omega) const
    {
        return omega == 0 ? AtZero : omega >= From && omega <= To;
    }
};

PlainRange PlainRangeOf(std::span<const Extended> c);

/// c(jω) by Horner's rule in plain arithmetic, and terms = Σ|c[k]|·ω^k; for ω in PlainRangeOf(c).
/// Inline, so that a caller that leaves terms unused does not pay for them.
inline Complex PlainOnAxis(std::span<const Extended> c, Extended omega, Extended& terms)
{
    Extended re = 0, im = 0;
    terms = 0;
    for (std::size_t k = c.size(); k-- > 0;) {
        const Extended times = re * omega; // (re + j·im)·jω
        re = c[k] - im * omega;
        im = times;
        terms = terms * omega + std::abs(c[k]);
    }
    return {re, im};
}

/// c(jω) for the coefficients c[0..k] (index = power), and the sum of its terms' moduli
/// Σ|c[i]|·ω^i that bounds its rounding error.
struct AxisValue
{
    Scaled Value;
    Scaled Terms;
};

/// c(jω) term by term, each term a mantissa and a binary exponent, summed at the largest one:
/// right for any finite coefficients and ω ≥ 0, where plain arithmetic would overflow.
AxisValue PolynomialOnAxis(std::span<const Extended> c, Extended omega);

} // namespace nirdal::scaled
