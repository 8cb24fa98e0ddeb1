// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nirdal {

/// Raised by ParseNumber for a text that is no number. The message (UTF-8, Russian) quotes
/// what was typed, cut short and with control characters escaped, and says what a number
/// may hold; a screen puts the name of the cell in front of it.
class ConversionError : public std::runtime_error
{
public:
    explicit ConversionError(std::string_view typed);
};

/// Decimal digits of i, "-" in front when negative, nothing else.
std::string IntegerText(std::int32_t i);

/// Scientific text in a 23-character field: sign or blank, d.dddddddddddddd, "E", sign,
/// four exponent digits (100 gives " 1.00000000000000E+0002").
std::string RealText(Extended x);

/// +1 for x > 0, -1 otherwise (zero included).
int SignOf(Extended x);

/// Display text with three significant digits, truncated: fixed form from 0.1 up to
/// 100000, exponent form otherwise, "00" below 1e-9. The digits are those of ShortestText,
/// so a typed 2.36 shows 2.36, not the 2.35 of its binary expansion. At most 11
/// characters. x must be finite.
std::string FormatNumber(Extended x);

/// The shortest decimal text ("%g" style: 1e-05, 2.36, 18) that reads back as exactly x.
std::string ShortestText(Extended x);

/// Reads a typed number: blanks, an optional sign, digits with at most one decimal
/// separator (point or comma), an optional exponent (e or E, an optional sign, digits),
/// blanks. The nearest Extended value; empty for any other text and for a value beyond the
/// range of Extended.
std::optional<Extended> ReadNumber(std::string_view text);

/// ReadNumber, raising ConversionError for a text it refuses.
Extended ParseNumber(std::string_view s);

} // namespace nirdal
