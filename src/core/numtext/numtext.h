// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nirdal {

/// Raised by ParseNumber when a digit buffer exceeds 2147483647; the message is
/// "'<buffer>' is not a valid integer value".
class ConversionError : public std::runtime_error
{
public:
    explicit ConversionError(const std::string& digitBuffer);
};

/// Decimal digits of i, "-" in front when negative, nothing else.
std::string IntegerText(std::int32_t i);

/// Scientific text in a 23-character field: sign or blank, d.dddddddddddddd, "E", sign,
/// four exponent digits (100 gives " 1.00000000000000E+0002").
std::string RealText(Extended x);

/// +1 for x > 0, -1 otherwise (zero included).
int SignOf(Extended x);

/// Display text with three significant digits, truncated: fixed form from 0.1 to 100000,
/// exponent form otherwise, "00" below 1e-9. At most 11 characters. x must be finite.
std::string FormatNumber(Extended x);

/// Reads typed text: any non-digit is the decimal separator, a leading "-" negates.
/// Throws ConversionError when a digit buffer does not fit a 32-bit signed integer.
Extended ParseNumber(std::string_view s);

} // namespace nirdal
