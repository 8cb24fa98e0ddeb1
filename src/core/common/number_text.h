// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"

#include <string>

namespace nirdal {

/// value to `digits` significant digits as printf's %g writes it: "0.333333", "1e+06",
/// "inf". The one rule behind the numbers of messages, notes and reports.
std::string SignificantText(Extended value, int digits);

/// A figure as the screens and pictures show it to a reader of Russian (UTF-8): rounded to
/// `digits` significant digits (ties to even), trailing zeros kept, a decimal comma; written
/// out from 0.01 up to 10 000 ("0,0123", "8,00", "105", "4030"), as a power of ten otherwise
/// ("9,37·10⁻³", "1,23·10⁴"). Below 10⁻⁹ a figure is the noise of its computation and reads
/// "0"; the infinities read "∞" and "-∞".
std::string FigureText(Extended value, int digits = 3);

/// n in raised digits, "⁻" in front when negative: the power of "10⁻³" or of "s²".
std::string Superscript(int n);

/// value with `decimals` fixed decimals, without a "-0.00" for a value that rounds to zero.
std::string FixedText(Extended value, int decimals);

} // namespace nirdal
