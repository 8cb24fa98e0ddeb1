// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nirdal {

/// Raised when an exact computation would need a divisor of more than 64 bits or a number of
/// more than 900 digits, before or after the point.
class ExactOverflow : public std::runtime_error
{
public:
    ExactOverflow() : std::runtime_error("the numbers grow too long to be computed exactly") {}
};

/// A rational number as a template's arithmetic needs it, exact: ±M / (10^Scale · Divisor),
/// with M a natural number of any size and Divisor a whole number below 2^64 (1 unless the
/// value was divided by a number that is not a power of ten times 2s and 5s).
class ExactNumber
{
public:
    ExactNumber() = default;

    /// Reads "12", "-0.05", "3.", ".5" (digits with at most one point, an optional '-'). False
    /// when text is anything else.
    static bool FromDecimal(std::string_view text, ExactNumber& number);
    static ExactNumber Whole(std::uint32_t value);

    bool IsZero() const { return m_magnitude.empty(); }
    bool IsNegative() const { return m_negative; }

    ExactNumber operator-() const;
    friend ExactNumber operator+(const ExactNumber& a, const ExactNumber& b);
    friend ExactNumber operator-(const ExactNumber& a, const ExactNumber& b) { return a + -b; }
    friend ExactNumber operator*(const ExactNumber& a, const ExactNumber& b);
    /// Divides by a nonzero divisor; throws ExactOverflow when the divisor's digits do not fit.
    ExactNumber DividedBy(const ExactNumber& divisor) const;
    friend bool operator==(const ExactNumber& a, const ExactNumber& b);

    /// The value rounded to at most 6 significant digits and at most 7 digits after the
    /// separator, nearest with ties to even, decided on the exact value; written plainly
    /// ("-12,5", "0,0000003", "1234570", "0") without trailing zeros or an exponent.
    std::string RoundedText(char separator = ',') const;

    /// The value as the student types it: rounded to at most 10 significant digits (nearest,
    /// ties to even, decided on the exact value), trailing zeros dropped; plain ("-12,5",
    /// "0,000125") while the leading digit stands from the 10^-4 place to the 10^9 place, else
    /// a mantissa and a power of ten ("6,34E-8", "1,5E12"). Ten digits keep it within 5e-10
    /// of the value, relative.
    std::string TypedText(char separator = ',') const;

    /// The value to the precision of long double, for checking what a text reads as.
    long double Approximate() const;

    /// The exact value in decimal when Divisor is 1, all its digits ("0.125"); for tests and
    /// messages. A value with another divisor is written as a quotient "M/D".
    std::string ExactText() const;

private:
    using Magnitude = std::vector<std::uint32_t>; // base 10^9, least significant limb first

    bool m_negative = false;
    Magnitude m_magnitude; // empty for zero
    int m_scale = 0;
    std::uint64_t m_divisor = 1;

    void Normalise();
    /// The value's leading `count` significant digits, rounded to nearest with ties to even,
    /// and the place of the first of them (0 for units, -1 for tenths…); the value nonzero.
    std::pair<std::string, int> Significant(int count) const;
    friend struct ExactArithmetic;
};

} // namespace nirdal
