// SPDX-License-Identifier: MIT
#include "core/tf/tf_text.h"

#include "core/common/safe_text.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace nirdal {

namespace {

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

// One number with strtold; false with a message when the field is not exactly one finite
// extended value.
bool ReadNumber(std::string_view field, std::string_view what, Extended& value, std::string& error)
{
    const std::string text(Trimmed(field));
    if (text.empty()) {
        error = "empty " + std::string(what);
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const Extended x = std::strtold(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0') {
        error = std::string(what) + " " + QuotedArgument(text) + " is not a number";
        return false;
    }
    if (!std::isfinite(x) && errno != ERANGE) {
        error = std::string(what) + " " + QuotedArgument(text) + " is not a finite number";
        return false;
    }
    if (errno == ERANGE) {
        error = std::string(what) + " " + QuotedArgument(text) +
                " is outside the range of extended numbers";
        return false;
    }
    value = x;
    return true;
}

// Coefficients listed from the highest power down, stored by power.
bool ReadPolynomial(std::string_view text, std::string_view what,
                    std::array<Extended, kCoefficientCount>& coefficients, int& degree,
                    std::string& error)
{
    const std::vector<std::string_view> fields = Split(text, ',');
    if (fields.size() > static_cast<std::size_t>(kCoefficientCount)) {
        error = std::string(what) + " has " + std::to_string(fields.size()) +
                " coefficients; at most 16 (degree 15)";
        return false;
    }
    coefficients.fill(0);
    degree = static_cast<int>(fields.size()) - 1;
    for (int i = 0; i <= degree; ++i) {
        if (!ReadNumber(fields[i], std::string(what) + " coefficient", coefficients[degree - i],
                        error))
            return false;
    }
    return true;
}

} // namespace

bool ParseTransferFunctionText(std::string_view text, TransferFunction& variant, std::string& error)
{
    const std::vector<std::string_view> parts = Split(text, ':');
    if (parts.size() < 2 || parts.size() > 3) {
        error = "expected NUM:DEN[:DELAY], e.g. 1:1,1 or 1:1,4,6,4,1:0.5";
        return false;
    }
    std::array<Extended, kCoefficientCount> numerator{}, denominator{};
    int m = 0, n = 0;
    if (!ReadPolynomial(parts[0], "numerator", numerator, m, error) ||
        !ReadPolynomial(parts[1], "denominator", denominator, n, error))
        return false;
    Extended delay = 0;
    if (parts.size() == 3 && !ReadNumber(parts[2], "delay", delay, error))
        return false;
    if (n < 1) {
        error = "the denominator needs at least two coefficients (degree 1 to 15)";
        return false;
    }
    if (m >= n) {
        error = "the numerator needs fewer coefficients than the denominator (degree m < n)";
        return false;
    }
    variant.A = denominator;
    variant.B = numerator;
    variant.DenominatorDegree = static_cast<std::uint8_t>(n);
    variant.NumeratorDegree = static_cast<std::uint8_t>(m);
    variant.Delay = delay;
    return true;
}

} // namespace nirdal
