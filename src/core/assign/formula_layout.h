// SPDX-License-Identifier: MIT
#pragma once

#include "core/assign/assignment_template.h"
#include "core/common/surface.h"

#include <string>
#include <string_view>
#include <vector>

namespace nirdal {

/// A piece of a formula laid out for a surface: a text, a row of pieces, a fraction (the
/// numerator over a bar over the denominator) or a base with a raised exponent. Sizes are in
/// device units around the formula's axis: Up above it, Down below it.
struct FormulaBox
{
    enum class Kind { Text, Row, Fraction, Raised };
    Kind Type = Kind::Text;
    std::string Text;
    int Points = 0;
    std::vector<FormulaBox> Parts; ///< Row: left to right; Fraction, Raised: two
    int Width = 0, Up = 0, Down = 0;
    /// Fraction: the room between the bar and each part; Raised: how far the exponent's axis
    /// lies above the base's.
    int Shift = 0;
};

/// "W(s) = " and numerator over denominator, followed by e with the raised exponent
/// "−<delay>s" unless delayText is "0", laid out as a textbook writes it at points (smaller
/// when it would be wider than maxWidth): decimal commas, powers raised, no factor 1, signs
/// of factors taken in front of their terms, "·" between two numbers.
FormulaBox TypesetTransferFunction(Surface& surface, const ExpressionNode& numerator,
                                   const ExpressionNode& denominator, std::string_view delayText,
                                   int points, int maxWidth);

/// Draws box with its left end at x and its axis at y.
void DrawFormula(Surface& surface, const FormulaBox& box, int x, int y);

} // namespace nirdal
