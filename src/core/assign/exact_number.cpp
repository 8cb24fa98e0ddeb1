// SPDX-License-Identifier: MIT
#include "core/assign/exact_number.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace nirdal {

// 128-bit whole numbers of GCC and Clang, for products of two 64-bit numbers.
__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

namespace {

using Magnitude = std::vector<std::uint32_t>;
constexpr std::uint32_t kBase = 1000000000;
// The most limbs a magnitude, and the most places a scale, may have: 900 digits, room for
// fifteen factors of 30 digits and short enough that any product takes microseconds.
constexpr std::size_t kMaxLimbs = 100;
constexpr int kMaxScale = 900;
constexpr std::uint32_t kPowersOfTen[] = {1,      10,      100,      1000,     10000,
                                          100000, 1000000, 10000000, 100000000};

void Trim(Magnitude& a)
{
    while (!a.empty() && a.back() == 0)
        a.pop_back();
}

int Compare(const Magnitude& a, const Magnitude& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

Magnitude Add(const Magnitude& a, const Magnitude& b)
{
    Magnitude sum(std::max(a.size(), b.size()) + 1, 0);
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < sum.size(); ++i) {
        const std::uint64_t digit =
            carry + (i < a.size() ? a[i] : 0) + (i < b.size() ? b[i] : 0);
        sum[i] = static_cast<std::uint32_t>(digit % kBase);
        carry = digit / kBase;
    }
    Trim(sum);
    return sum;
}

// a - b for a >= b.
Magnitude Subtract(const Magnitude& a, const Magnitude& b)
{
    Magnitude difference(a.size(), 0);
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::int64_t digit = static_cast<std::int64_t>(a[i]) - borrow - (i < b.size() ? b[i] : 0);
        borrow = digit < 0 ? 1 : 0;
        difference[i] = static_cast<std::uint32_t>(digit + borrow * kBase);
    }
    Trim(difference);
    return difference;
}

Magnitude Multiply(const Magnitude& a, const Magnitude& b)
{
    if (a.empty() || b.empty())
        return {};
    std::vector<std::uint64_t> product(a.size() + b.size() + 1, 0);
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::uint64_t carry = 0;
        for (std::size_t j = 0; j < b.size(); ++j) {
            const std::uint64_t digit =
                product[i + j] + static_cast<std::uint64_t>(a[i]) * b[j] + carry;
            product[i + j] = digit % kBase;
            carry = digit / kBase;
        }
        for (std::size_t k = i + b.size(); carry != 0; ++k) {
            const std::uint64_t digit = product[k] + carry;
            product[k] = digit % kBase;
            carry = digit / kBase;
        }
    }
    Magnitude result(product.begin(), product.end());
    Trim(result);
    if (result.size() > kMaxLimbs)
        throw ExactOverflow();
    return result;
}

Magnitude FromWide(std::uint64_t value)
{
    Magnitude result;
    for (; value != 0; value /= kBase)
        result.push_back(static_cast<std::uint32_t>(value % kBase));
    return result;
}

Magnitude TimesPowerOfTen(const Magnitude& a, int exponent)
{
    if (a.empty() || exponent <= 0)
        return a;
    Magnitude shifted(static_cast<std::size_t>(exponent / 9), 0);
    shifted.insert(shifted.end(), a.begin(), a.end());
    return Multiply(shifted, {kPowersOfTen[exponent % 9]});
}

// a / divisor rounded down; remainder gets what is left.
Magnitude DivideWide(const Magnitude& a, std::uint64_t divisor, std::uint64_t& remainder)
{
    Magnitude quotient(a.size(), 0);
    UInt128 rest = 0;
    for (std::size_t i = a.size(); i-- > 0;) {
        const UInt128 digit = rest * kBase + a[i];
        quotient[i] = static_cast<std::uint32_t>(digit / divisor);
        rest = digit % divisor;
    }
    remainder = static_cast<std::uint64_t>(rest);
    Trim(quotient);
    return quotient;
}

std::string DigitText(const Magnitude& a)
{
    if (a.empty())
        return "0";
    std::string text = std::to_string(a.back());
    for (std::size_t i = a.size() - 1; i-- > 0;) {
        char limb[16];
        std::snprintf(limb, sizeof limb, "%09u", a[i]);
        text += limb;
    }
    return text;
}

std::uint64_t CheckedProduct(std::uint64_t a, std::uint64_t b)
{
    std::uint64_t product = 0;
    if (__builtin_mul_overflow(a, b, &product))
        throw ExactOverflow();
    return product;
}

} // namespace

struct ExactArithmetic
{
    // a and b over the same scale and divisor.
    static void Align(ExactNumber& a, ExactNumber& b)
    {
        if (a.m_divisor != b.m_divisor) {
            const std::uint64_t common = CheckedProduct(a.m_divisor, b.m_divisor);
            a.m_magnitude = Multiply(a.m_magnitude, FromWide(b.m_divisor));
            b.m_magnitude = Multiply(b.m_magnitude, FromWide(a.m_divisor));
            a.m_divisor = b.m_divisor = common;
        }
        const int scale = std::max(a.m_scale, b.m_scale);
        a.m_magnitude = TimesPowerOfTen(a.m_magnitude, scale - a.m_scale);
        b.m_magnitude = TimesPowerOfTen(b.m_magnitude, scale - b.m_scale);
        a.m_scale = b.m_scale = scale;
    }
};

bool ExactNumber::FromDecimal(std::string_view text, ExactNumber& number)
{
    ExactNumber result;
    if (text.starts_with('-')) {
        result.m_negative = true;
        text.remove_prefix(1);
    }
    std::string digits;
    bool point = false;
    for (const char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            digits += c;
            result.m_scale += point ? 1 : 0;
        } else {
            return false;
        }
    }
    if (digits.empty() || result.m_scale > kMaxScale || digits.size() > kMaxLimbs * 9)
        return false;
    // Limbs from the right of the digit string.
    for (std::size_t end = digits.size(); end > 0;) {
        const std::size_t begin = end >= 9 ? end - 9 : 0;
        result.m_magnitude.push_back(
            static_cast<std::uint32_t>(std::stoul(digits.substr(begin, end - begin))));
        end = begin;
    }
    result.Normalise();
    number = result;
    return true;
}

ExactNumber ExactNumber::Whole(std::uint32_t value)
{
    ExactNumber result;
    result.m_magnitude = FromWide(value);
    return result;
}

void ExactNumber::Normalise()
{
    Trim(m_magnitude);
    if (m_magnitude.empty()) {
        m_negative = false;
        m_scale = 0;
        m_divisor = 1;
    }
}

ExactNumber ExactNumber::operator-() const
{
    ExactNumber result = *this;
    result.m_negative = !m_negative && !IsZero();
    return result;
}

ExactNumber operator+(const ExactNumber& a, const ExactNumber& b)
{
    if (a.IsZero())
        return b;
    if (b.IsZero())
        return a;
    ExactNumber x = a, y = b;
    ExactArithmetic::Align(x, y);
    if (x.m_negative == y.m_negative) {
        x.m_magnitude = Add(x.m_magnitude, y.m_magnitude);
    } else if (Compare(x.m_magnitude, y.m_magnitude) >= 0) {
        x.m_magnitude = Subtract(x.m_magnitude, y.m_magnitude);
    } else {
        x.m_magnitude = Subtract(y.m_magnitude, x.m_magnitude);
        x.m_negative = y.m_negative;
    }
    x.Normalise();
    return x;
}

ExactNumber operator*(const ExactNumber& a, const ExactNumber& b)
{
    ExactNumber product;
    if (a.IsZero() || b.IsZero())
        return product;
    product.m_negative = a.m_negative != b.m_negative;
    product.m_magnitude = Multiply(a.m_magnitude, b.m_magnitude);
    product.m_scale = a.m_scale + b.m_scale; // each at most kMaxScale: no overflow
    if (product.m_scale > kMaxScale)
        throw ExactOverflow();
    product.m_divisor = CheckedProduct(a.m_divisor, b.m_divisor);
    return product;
}

ExactNumber ExactNumber::DividedBy(const ExactNumber& divisor) const
{
    if (divisor.IsZero())
        throw std::domain_error("division by zero");
    // x / (D / (10^s q)) = x · 10^s q / D: D becomes part of the divisor, so it must be whole
    // and below 2^64; 10^s moves into the numerator.
    if (divisor.m_magnitude.size() > 3)
        throw ExactOverflow();
    std::uint64_t whole = 0;
    for (std::size_t i = divisor.m_magnitude.size(); i-- > 0;) {
        whole = CheckedProduct(whole, kBase);
        if (__builtin_add_overflow(whole, divisor.m_magnitude[i], &whole))
            throw ExactOverflow();
    }
    ExactNumber result = *this;
    if (IsZero())
        return result;
    result.m_negative = m_negative != divisor.m_negative;
    result.m_magnitude =
        Multiply(TimesPowerOfTen(m_magnitude, divisor.m_scale), FromWide(divisor.m_divisor));
    // A divisor of twos and fives only goes into the scale, so 1/4 stays a plain decimal
    // (0.25) rather than a quotient.
    int twos = 0, fives = 0;
    std::uint64_t rest = whole;
    for (; rest % 2 == 0; rest /= 2)
        ++twos;
    for (; rest % 5 == 0; rest /= 5)
        ++fives;
    if (rest == 1) {
        const int places = std::max(twos, fives);
        std::uint64_t multiplier = 1;
        for (int i = 0; i < places; ++i)
            multiplier = CheckedProduct(multiplier, 10);
        result.m_magnitude = Multiply(result.m_magnitude, FromWide(multiplier / whole));
        result.m_scale += places;
        if (result.m_scale > kMaxScale)
            throw ExactOverflow();
    } else {
        result.m_divisor = CheckedProduct(result.m_divisor, whole);
    }
    return result;
}

bool operator==(const ExactNumber& a, const ExactNumber& b)
{
    return (a - b).IsZero();
}

std::string ExactNumber::RoundedText(char separator) const
{
    if (IsZero())
        return "0";
    // Digits of the value to `fraction` places, rounded down, and whether anything was left:
    // enough places to decide the rounding at the seventh.
    const int fraction = std::max(m_scale, 8);
    std::uint64_t remainder = 0;
    const Magnitude scaled =
        DivideWide(TimesPowerOfTen(m_magnitude, fraction - m_scale), m_divisor, remainder);
    std::string digits = DigitText(scaled);
    const bool sticky = remainder != 0;
    if (digits.size() < static_cast<std::size_t>(fraction) + 1)
        digits.insert(0, static_cast<std::size_t>(fraction) + 1 - digits.size(), '0');
    const int integerDigits = static_cast<int>(digits.size()) - fraction;
    const std::size_t first = digits.find_first_not_of('0');
    // Decimal position of the leading digit: 1 for units, 0 for tenths, -1 for hundredths…
    const int leading = integerDigits - static_cast<int>(first);
    const int keep = std::min(7, 6 - leading); // places kept after the point (negative: tens…)
    const int dropped = fraction - keep;       // at least 1, since fraction >= 8
    std::string kept = digits.substr(0, digits.size() - static_cast<std::size_t>(dropped));
    const std::string_view rest = std::string_view(digits).substr(kept.size());
    const bool beyondHalf = rest.find_first_not_of('0', 1) != std::string_view::npos || sticky;
    const bool up = rest[0] > '5' || (rest[0] == '5' && (beyondHalf || (!kept.empty() &&
                                                                       (kept.back() - '0') % 2)));
    if (kept.empty())
        kept = "0";
    if (up) {
        std::size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9')
            kept[--i] = '0';
        if (i == 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[i - 1];
    }
    // kept holds the value times 10^keep.
    if (keep < 0)
        kept.append(static_cast<std::size_t>(-keep), '0');
    const int places = std::max(keep, 0);
    if (kept.size() < static_cast<std::size_t>(places) + 1)
        kept.insert(0, static_cast<std::size_t>(places) + 1 - kept.size(), '0');
    std::string whole = kept.substr(0, kept.size() - static_cast<std::size_t>(places));
    std::string part = kept.substr(whole.size());
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
    while (!part.empty() && part.back() == '0')
        part.pop_back();
    if (whole == "0" && part.empty())
        return "0";
    return (m_negative ? "-" : "") + whole + (part.empty() ? "" : separator + part);
}

std::pair<std::string, int> ExactNumber::Significant(int count) const
{
    // Enough places that the digits reach `count` past the leading one, whatever the
    // divisor (below 10^20) puts in front of it, and one more to round on.
    const int fraction = m_scale + 20 + count + 1;
    std::uint64_t remainder = 0;
    const Magnitude scaled =
        DivideWide(TimesPowerOfTen(m_magnitude, fraction - m_scale), m_divisor, remainder);
    const std::string digits = DigitText(scaled);
    int leading = static_cast<int>(digits.size()) - fraction - 1;
    std::string kept = digits.substr(0, static_cast<std::size_t>(count));
    const std::string_view rest = std::string_view(digits).substr(kept.size());
    const bool beyondHalf =
        remainder != 0 || rest.find_first_not_of('0', 1) != std::string_view::npos;
    const bool up = !rest.empty() &&
                    (rest[0] > '5' || (rest[0] == '5' && (beyondHalf || (kept.back() - '0') % 2)));
    if (up) {
        std::size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9')
            kept[--i] = '0';
        if (i == 0) {
            kept.insert(kept.begin(), '1');
            kept.pop_back();
            ++leading;
        } else {
            ++kept[i - 1];
        }
    }
    return {kept, leading};
}

std::string ExactNumber::TypedText(char separator) const
{
    if (IsZero())
        return "0";
    auto [digits, leading] = Significant(10);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const int count = static_cast<int>(digits.size());
    std::string text;
    if (leading >= -4 && leading <= 9) {
        if (leading < 0)
            text = "0" + std::string(1, separator) +
                   std::string(static_cast<std::size_t>(-leading - 1), '0') + digits;
        else if (count <= leading + 1)
            text = digits + std::string(static_cast<std::size_t>(leading + 1 - count), '0');
        else
            text = digits.substr(0, static_cast<std::size_t>(leading + 1)) + separator +
                   digits.substr(static_cast<std::size_t>(leading + 1));
    } else {
        text = digits.substr(0, 1) + (count > 1 ? separator + digits.substr(1) : "") + "E" +
               std::to_string(leading);
    }
    return (m_negative ? "-" : "") + text;
}

long double ExactNumber::Approximate() const
{
    if (IsZero())
        return 0;
    const auto [digits, leading] = Significant(21);
    const std::string text =
        (m_negative ? "-0." : "0.") + digits + "e" + std::to_string(leading + 1);
    return std::strtold(text.c_str(), nullptr);
}

std::string ExactNumber::ExactText() const
{
    std::string digits = DigitText(m_magnitude);
    if (m_scale > 0) {
        if (digits.size() <= static_cast<std::size_t>(m_scale))
            digits.insert(0, static_cast<std::size_t>(m_scale) + 1 - digits.size(), '0');
        digits.insert(digits.size() - static_cast<std::size_t>(m_scale), ".");
        while (digits.back() == '0')
            digits.pop_back();
        if (digits.back() == '.')
            digits.pop_back();
    } else if (m_scale < 0) {
        digits.append(static_cast<std::size_t>(-m_scale), '0');
    }
    if (m_divisor != 1)
        digits += "/" + std::to_string(m_divisor);
    return (m_negative ? "-" : "") + digits;
}

} // namespace nirdal
