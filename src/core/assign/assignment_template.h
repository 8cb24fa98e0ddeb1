// SPDX-License-Identifier: MIT
#pragma once

#include "core/assign/exact_number.h"
#include "core/common/extended.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nirdal {

/// The most values one parameter may take.
constexpr std::int64_t kMaxParameterValues = 1000000;

/// A parameter of a template: the values it may take, in order.
struct TemplateParameter
{
    std::string Name;
    int Line = 0;
    /// A list "a, b, c" keeps its values; a range "A .. B step C" is First + i·Step for
    /// i = 0 … Count − 1 in units of 10^−Scale, computed when asked for.
    std::vector<std::string> List;
    std::int64_t First = 0, Step = 0;
    int Scale = 0;
    std::int64_t Count = 0;

    /// The i-th value (0 ≤ i < Count) as plain decimal text with a point, as written or
    /// computed exactly ("0.35").
    std::string ValueText(std::int64_t i) const;
};

/// One node of an expression in s; see ReadExpression.
struct ExpressionNode
{
    enum class Kind { Number, Parameter, S, Sum, Difference, Negation, Product, Quotient, Power };
    Kind Type = Kind::Number;
    ExactNumber Value;      ///< Number, and the divisor of Quotient
    int Parameter = -1;     ///< index into the template's parameters
    int Exponent = 0;       ///< Power
    int Depth = 1;          ///< nodes on the longest way down from this one, itself included
    std::unique_ptr<ExpressionNode> Left, Right;
};

/// An expression as the template writes it, read into a tree.
struct Expression
{
    std::string Text;
    int Line = 0;
    std::unique_ptr<ExpressionNode> Root;
    int Degree = 0; ///< the power of s it reaches, as written (no cancellation assumed)
    /// Where each parameter name stands in Text (byte offset, length, parameter index), for
    /// writing the expression with the values put in.
    struct Use
    {
        std::size_t Offset = 0, Length = 0;
        int Parameter = -1;
    };
    std::vector<Use> Uses;
};

/// What the drawn variants must satisfy.
struct TemplateCondition
{
    enum class Kind { Stable, Unstable, GainMargin, PhaseMargin, DelayMargin };
    Kind Type = Kind::Stable;
    Extended Low = 0, High = 0; ///< the margins' closed range
    std::string Text;           ///< as written, for messages
};

/// A template of individual assignments: the task, W(s) in terms of parameters, the
/// parameters' values and the conditions every variant must meet.
struct AssignmentTemplate
{
    std::string Task;
    Expression Numerator, Denominator, Delay; ///< Delay has Root null when absent (0 s)
    std::vector<TemplateParameter> Parameters;
    std::vector<TemplateCondition> Conditions;
    int WantLine = 0;
};

/// Why a template was refused: the line (from 1; 0 for the file as a whole) and the reason.
struct TemplateError
{
    int Line = 0;
    std::string Message;
};

/// Reads a template: UTF-8 lines "name = value", '#' comments, blank lines ignored. The keys
/// task, num, den, delay and want; any other name is a parameter, a range "A .. B step C" or
/// a list "a, b, c" of decimals. num, den and delay are expressions in s: numbers, parameter
/// names, + − * / (division by a number only), ^ with a whole exponent, parentheses and
/// multiplication by juxtaposition ("2s", "T1 s", "(s + 1)(s + 2)"). Refuses, with the line
/// and reason, a bad line, an unknown or unused parameter, a step of zero or below, a range
/// of more than kMaxParameterValues values, a denominator degree outside 1..15, m ≥ n, a delay
/// in s or one that is negative at the parameters' ends, and bad conditions.
bool ReadAssignmentTemplate(std::string_view text, AssignmentTemplate& result,
                            TemplateError& error);

/// A polynomial in s with exact coefficients, lowest power first.
using ExactPolynomial = std::vector<ExactNumber>;

/// The expression with the parameters at the given values (texts as ValueText gives them),
/// expanded; the vector has Degree + 1 entries. Throws ExactOverflow or std::domain_error.
ExactPolynomial ExpandExpression(const Expression& expression,
                                 const std::vector<ExactNumber>& values);

/// The expression's text with each parameter name replaced by its value text in parentheses
/// ("T1 s + 1" with T1 = 0.3 gives "(0.3) s + 1"): the same expression, with numbers only,
/// as ReadNumericExpression reads it back.
std::string ExpressionWithValues(const Expression& expression,
                                 const std::vector<std::string>& valueTexts);

/// Reads an expression of numbers and s alone, such as ExpressionWithValues writes; false
/// with the reason when it is not one.
bool ReadNumericExpression(std::string_view text, Expression& expression, std::string& error);

} // namespace nirdal
