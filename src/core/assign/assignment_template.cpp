// SPDX-License-Identifier: MIT
#include "core/assign/assignment_template.h"

#include "core/common/csv_line.h"
#include "core/tf/transfer_function.h"
#include "platform/text_encoding.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

namespace nirdal {

// 128-bit whole numbers of GCC and Clang, for products of two 64-bit numbers.
__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

namespace {

constexpr std::string_view kMinus = "\xE2\x88\x92";  // − U+2212
constexpr std::string_view kDot = "\xC2\xB7";        // · U+00B7
constexpr int kMaxNesting = 100;
// The deepest an expression's tree may grow, however it is written (sums, products, powers
// or parentheses): everything that walks it recurses no deeper.
constexpr int kMaxDepth = 1000;
constexpr int kMaxDecimalExponent = 30;
constexpr int kMaxExponent = 15;
constexpr int kMaxDigits = 15; // of a parameter's value, before and after the point

struct ReadFailure
{
    std::string Message;
};

bool IsNameStart(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}

bool IsNamePart(unsigned char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

std::string Quoted(std::string_view text)
{
    return "'" + std::string(text.substr(0, 80)) + "'";
}

// --- Expressions -------------------------------------------------------------------------

struct Token
{
    enum class Kind { End, Number, Name, Plus, Minus, Times, Divide, Power, Open, Close };
    Kind Type = Kind::End;
    std::size_t Offset = 0, Length = 0;
};

// A number of an expression: digits with a decimal point or comma, and a power of ten
// "e-3" of at most kMaxDecimalExponent.
ExactNumber ReadNumber(std::string_view text)
{
    const std::size_t e = text.find_first_of("eE");
    std::string mantissa(text.substr(0, e));
    std::replace(mantissa.begin(), mantissa.end(), ',', '.');
    ExactNumber value;
    if (mantissa.size() > 30 || !ExactNumber::FromDecimal(mantissa, value))
        throw ReadFailure{"bad number " + Quoted(text)};
    if (e == std::string_view::npos)
        return value;
    const std::string_view power = text.substr(e + 1);
    const bool negative = power.starts_with('-');
    const std::string_view digits = power.substr(power.starts_with('-') || power.starts_with('+'));
    const std::size_t significant = digits.find_first_not_of('0');
    if (significant != std::string_view::npos &&
        (digits.size() - significant > 2 ||
         std::stoi(std::string(digits.substr(significant))) > kMaxDecimalExponent))
        throw ReadFailure{"number out of range: " + std::string(text.substr(0, 40)) +
                          " (powers of ten up to " + std::to_string(kMaxDecimalExponent) + ")"};
    const int count = significant == std::string_view::npos
                          ? 0
                          : std::stoi(std::string(digits.substr(significant)));
    for (int i = 0; i < count; ++i)
        value = negative ? value.DividedBy(ExactNumber::Whole(10)) : value * ExactNumber::Whole(10);
    return value;
}

class ExpressionReader
{
public:
    ExpressionReader(std::string_view text, const std::map<std::string, int>& parameters,
                     Expression& expression)
        : m_text(text), m_parameters(parameters), m_expression(expression)
    {
        Next();
    }

    std::unique_ptr<ExpressionNode> ReadWhole()
    {
        if (m_token.Type == Token::Kind::End)
            throw ReadFailure{"the expression is empty"};
        auto root = Sum(0);
        if (m_token.Type != Token::Kind::End)
            throw ReadFailure{"unexpected " + Quoted(Spelling()) + " at character " +
                              std::to_string(m_token.Offset + 1)};
        return root;
    }

private:
    std::string_view m_text;
    const std::map<std::string, int>& m_parameters;
    Expression& m_expression;
    std::size_t m_position = 0;
    Token m_token;

    std::string_view Spelling() const { return m_text.substr(m_token.Offset, m_token.Length); }

    void Next()
    {
        while (m_position < m_text.size() &&
               (m_text[m_position] == ' ' || m_text[m_position] == '\t'))
            ++m_position;
        m_token = Token{Token::Kind::End, m_position, 0};
        if (m_position == m_text.size())
            return;
        const std::string_view rest = m_text.substr(m_position);
        const auto c = static_cast<unsigned char>(rest[0]);
        auto single = [&](Token::Kind kind, std::size_t length) {
            m_token.Type = kind;
            m_token.Length = length;
        };
        if (rest.starts_with(kMinus))
            single(Token::Kind::Minus, kMinus.size());
        else if (rest.starts_with(kDot))
            single(Token::Kind::Times, kDot.size());
        else if (c == '+')
            single(Token::Kind::Plus, 1);
        else if (c == '-')
            single(Token::Kind::Minus, 1);
        else if (c == '*')
            single(Token::Kind::Times, 1);
        else if (c == '/')
            single(Token::Kind::Divide, 1);
        else if (c == '^')
            single(Token::Kind::Power, 1);
        else if (c == '(')
            single(Token::Kind::Open, 1);
        else if (c == ')')
            single(Token::Kind::Close, 1);
        else if ((c >= '0' && c <= '9') || c == '.' || c == ',') {
            std::size_t length = 0;
            const auto digit = [&](std::size_t i) {
                return i < rest.size() && rest[i] >= '0' && rest[i] <= '9';
            };
            while (digit(length) || (length < rest.size() && (rest[length] == '.' || rest[length] == ',')))
                ++length;
            // An exponent: "e" or "E", a sign, digits.
            if (length < rest.size() && (rest[length] == 'e' || rest[length] == 'E')) {
                std::size_t end = length + 1;
                if (end < rest.size() && (rest[end] == '+' || rest[end] == '-'))
                    ++end;
                if (digit(end)) {
                    while (digit(end))
                        ++end;
                    length = end;
                }
            }
            single(Token::Kind::Number, length);
        } else if (IsNameStart(c)) {
            std::size_t length = 0;
            while (length < rest.size() && IsNamePart(static_cast<unsigned char>(rest[length])) &&
                   !rest.substr(length).starts_with(kMinus) &&
                   !rest.substr(length).starts_with(kDot))
                ++length;
            single(Token::Kind::Name, length);
        } else {
            throw ReadFailure{"unexpected character " + Quoted(rest.substr(0, 1)) +
                              " at character " + std::to_string(m_position + 1)};
        }
        m_position += m_token.Length;
    }

    static std::unique_ptr<ExpressionNode> Node(ExpressionNode::Kind kind,
                                                std::unique_ptr<ExpressionNode> left = {},
                                                std::unique_ptr<ExpressionNode> right = {})
    {
        const int depth = 1 + std::max(left ? left->Depth : 0, right ? right->Depth : 0);
        if (depth > kMaxDepth)
            throw ReadFailure{"the expression is too long: more than " +
                              std::to_string(kMaxDepth) + " operations one within another"};
        auto node = std::make_unique<ExpressionNode>();
        node->Depth = depth;
        node->Type = kind;
        node->Left = std::move(left);
        node->Right = std::move(right);
        return node;
    }

    void Deeper(int depth) const
    {
        if (depth > kMaxNesting)
            throw ReadFailure{"the expression nests deeper than " + std::to_string(kMaxNesting)};
    }

    std::unique_ptr<ExpressionNode> Sum(int depth)
    {
        Deeper(depth);
        std::unique_ptr<ExpressionNode> left;
        if (m_token.Type == Token::Kind::Minus) {
            Next();
            left = Node(ExpressionNode::Kind::Negation, Product(depth));
        } else {
            if (m_token.Type == Token::Kind::Plus)
                Next();
            left = Product(depth);
        }
        while (m_token.Type == Token::Kind::Plus || m_token.Type == Token::Kind::Minus) {
            const bool plus = m_token.Type == Token::Kind::Plus;
            Next();
            left = Node(plus ? ExpressionNode::Kind::Sum : ExpressionNode::Kind::Difference,
                        std::move(left), Product(depth));
        }
        return left;
    }

    std::unique_ptr<ExpressionNode> Product(int depth)
    {
        auto left = Factor(depth);
        for (;;) {
            const Token::Kind kind = m_token.Type;
            if (kind == Token::Kind::Times) {
                Next();
                left = Node(ExpressionNode::Kind::Product, std::move(left), Factor(depth));
            } else if (kind == Token::Kind::Divide) {
                Next();
                if (m_token.Type != Token::Kind::Number)
                    throw ReadFailure{"'/' must be followed by a number: only division by a "
                                      "number is allowed"};
                auto divisor = Factor(depth);
                if (divisor->Type != ExpressionNode::Kind::Number)
                    throw ReadFailure{"'/' divides by a number only, not by a power"};
                if (divisor->Value.IsZero())
                    throw ReadFailure{"division by zero"};
                auto node = Node(ExpressionNode::Kind::Quotient, std::move(left));
                node->Value = divisor->Value;
                left = std::move(node);
            } else if (kind == Token::Kind::Number || kind == Token::Kind::Name ||
                       kind == Token::Kind::Open) {
                left = Node(ExpressionNode::Kind::Product, std::move(left), Factor(depth));
            } else {
                return left;
            }
        }
    }

    std::unique_ptr<ExpressionNode> Factor(int depth)
    {
        auto base = Primary(depth);
        if (m_token.Type != Token::Kind::Power)
            return base;
        Next();
        const std::string_view exponent = Spelling();
        if (m_token.Type != Token::Kind::Number ||
            exponent.find('.') != std::string_view::npos || exponent.size() > 2)
            throw ReadFailure{"'^' needs a whole exponent from 0 to " +
                              std::to_string(kMaxExponent)};
        const int value = std::atoi(std::string(exponent).c_str());
        if (value > kMaxExponent)
            throw ReadFailure{"'^' needs a whole exponent from 0 to " +
                              std::to_string(kMaxExponent)};
        Next();
        auto node = Node(ExpressionNode::Kind::Power, std::move(base));
        node->Exponent = value;
        return node;
    }

    std::unique_ptr<ExpressionNode> Primary(int depth)
    {
        const Token token = m_token;
        const std::string_view text = Spelling();
        switch (token.Type) {
        case Token::Kind::Number: {
            auto node = Node(ExpressionNode::Kind::Number);
            node->Value = ReadNumber(text);
            Next();
            return node;
        }
        case Token::Kind::Name: {
            Next();
            if (text == "s")
                return Node(ExpressionNode::Kind::S);
            const auto found = m_parameters.find(std::string(text));
            if (found == m_parameters.end())
                throw ReadFailure{"unknown parameter " + Quoted(text)};
            auto node = Node(ExpressionNode::Kind::Parameter);
            node->Parameter = found->second;
            m_expression.Uses.push_back({token.Offset, token.Length, found->second});
            return node;
        }
        case Token::Kind::Open: {
            Next();
            auto inner = Sum(depth + 1);
            if (m_token.Type != Token::Kind::Close)
                throw ReadFailure{"a parenthesis is not closed"};
            Next();
            return inner;
        }
        case Token::Kind::End:
            throw ReadFailure{"the expression ends too early"};
        default:
            throw ReadFailure{"unexpected " + Quoted(text) + " at character " +
                              std::to_string(token.Offset + 1)};
        }
    }
};

int DegreeOf(const ExpressionNode& node)
{
    using Kind = ExpressionNode::Kind;
    switch (node.Type) {
    case Kind::S:
        return 1;
    case Kind::Sum:
    case Kind::Difference:
        return std::max(DegreeOf(*node.Left), DegreeOf(*node.Right));
    case Kind::Negation:
    case Kind::Quotient:
        return DegreeOf(*node.Left);
    case Kind::Product:
        return std::min(1000, DegreeOf(*node.Left) + DegreeOf(*node.Right));
    case Kind::Power:
        return std::min(1000, DegreeOf(*node.Left) * node.Exponent);
    default:
        return 0;
    }
}

ExactPolynomial Multiply(const ExactPolynomial& a, const ExactPolynomial& b)
{
    ExactPolynomial product(a.size() + b.size() - 1);
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].IsZero())
            continue;
        for (std::size_t j = 0; j < b.size(); ++j)
            product[i + j] = product[i + j] + a[i] * b[j];
    }
    return product;
}

ExactPolynomial Combine(const ExactPolynomial& a, const ExactPolynomial& b, bool subtract)
{
    ExactPolynomial sum(std::max(a.size(), b.size()));
    for (std::size_t i = 0; i < sum.size(); ++i) {
        const ExactNumber left = i < a.size() ? a[i] : ExactNumber();
        const ExactNumber right = i < b.size() ? b[i] : ExactNumber();
        sum[i] = subtract ? left - right : left + right;
    }
    return sum;
}

ExactPolynomial Expand(const ExpressionNode& node, const std::vector<ExactNumber>& values)
{
    using Kind = ExpressionNode::Kind;
    switch (node.Type) {
    case Kind::Number:
        return {node.Value};
    case Kind::Parameter:
        return {values.at(static_cast<std::size_t>(node.Parameter))};
    case Kind::S:
        return {ExactNumber(), ExactNumber::Whole(1)};
    case Kind::Sum:
    case Kind::Difference:
        return Combine(Expand(*node.Left, values), Expand(*node.Right, values),
                       node.Type == Kind::Difference);
    case Kind::Negation: {
        ExactPolynomial p = Expand(*node.Left, values);
        for (ExactNumber& c : p)
            c = -c;
        return p;
    }
    case Kind::Product:
        return Multiply(Expand(*node.Left, values), Expand(*node.Right, values));
    case Kind::Quotient: {
        ExactPolynomial p = Expand(*node.Left, values);
        for (ExactNumber& c : p)
            c = c.DividedBy(node.Value);
        return p;
    }
    case Kind::Power: {
        const ExactPolynomial base = Expand(*node.Left, values);
        ExactPolynomial p{ExactNumber::Whole(1)};
        for (int i = 0; i < node.Exponent; ++i)
            p = Multiply(p, base);
        return p;
    }
    }
    return {};
}

// --- Parameter values ----------------------------------------------------------------------

// A decimal (point or comma) as a whole number of 10^−scale units; false unless it is one,
// with at most kMaxDigits digits.
bool ReadScaled(std::string_view text, std::int64_t& units, int& scale)
{
    text = TrimBlanks(text);
    bool negative = false;
    if (text.starts_with(kMinus)) {
        negative = true;
        text.remove_prefix(kMinus.size());
    } else if (text.starts_with('-')) {
        negative = true;
        text.remove_prefix(1);
    }
    units = 0;
    scale = 0;
    int digits = 0;
    bool point = false;
    for (const char c : text) {
        if ((c == '.' || c == ',') && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            if (++digits > kMaxDigits)
                return false;
            units = units * 10 + (c - '0');
            scale += point ? 1 : 0;
        } else {
            return false;
        }
    }
    if (digits == 0)
        return false;
    units = negative ? -units : units;
    return true;
}

std::int64_t Rescaled(std::int64_t units, int from, int to)
{
    for (int i = from; i < to; ++i)
        units *= 10;
    return units;
}

std::string ScaledText(Int128 units, int scale)
{
    const bool negative = units < 0;
    UInt128 magnitude = negative ? -static_cast<UInt128>(units) : units;
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (scale > 0) {
        if (digits.size() <= static_cast<std::size_t>(scale))
            digits.insert(0, static_cast<std::size_t>(scale) + 1 - digits.size(), '0');
        digits.insert(digits.size() - static_cast<std::size_t>(scale), ".");
        while (digits.back() == '0')
            digits.pop_back();
        if (digits.back() == '.')
            digits.pop_back();
    }
    return negative && digits != "0" ? "-" + digits : digits;
}

void ReadParameter(std::string_view value, TemplateParameter& parameter)
{
    const std::size_t dots = value.find("..");
    if (dots == std::string_view::npos) {
        for (std::string_view rest = value;;) {
            const std::size_t comma = rest.find(',');
            const std::string_view item = TrimBlanks(rest.substr(0, comma));
            std::int64_t units = 0;
            int scale = 0;
            if (!ReadScaled(item, units, scale))
                throw ReadFailure{"bad value " + Quoted(item) + ": a list 'a, b, c' or a range "
                                  "'A .. B step C' of decimals with at most 15 digits"};
            parameter.List.push_back(ScaledText(units, scale));
            if (comma == std::string_view::npos)
                break;
            rest.remove_prefix(comma + 1);
            if (parameter.List.size() >= kMaxParameterValues)
                throw ReadFailure{"more than " + std::to_string(kMaxParameterValues) + " values"};
        }
        parameter.Count = static_cast<std::int64_t>(parameter.List.size());
        return;
    }
    const std::string_view firstText = value.substr(0, dots);
    std::string_view rest = value.substr(dots + 2);
    const std::size_t step = rest.find("step");
    if (step == std::string_view::npos)
        throw ReadFailure{"a range needs a step: 'A .. B step C'"};
    const std::string_view lastText = rest.substr(0, step), stepText = rest.substr(step + 4);
    std::int64_t first = 0, last = 0, by = 0;
    int firstScale = 0, lastScale = 0, stepScale = 0;
    for (const auto& [text, units, scale] :
         {std::tie(firstText, first, firstScale), std::tie(lastText, last, lastScale),
          std::tie(stepText, by, stepScale)}) {
        if (!ReadScaled(text, units, scale))
            throw ReadFailure{"bad range " + Quoted(TrimBlanks(value)) + ": " +
                              Quoted(TrimBlanks(text)) +
                              " is not a decimal of at most 15 digits ('A .. B step C')"};
    }
    if (by <= 0)
        throw ReadFailure{"the step must be above zero"};
    const int scale = std::max({firstScale, lastScale, stepScale});
    if (scale > kMaxDigits)
        throw ReadFailure{"the range's numbers need more than 15 places after the point"};
    // At most 15 digits each, so the rescaled values stay within 10^30: Int128.
    const Int128 a = static_cast<Int128>(Rescaled(1, 0, scale - firstScale)) * first;
    const Int128 b = static_cast<Int128>(Rescaled(1, 0, scale - lastScale)) * last;
    const Int128 c = static_cast<Int128>(Rescaled(1, 0, scale - stepScale)) * by;
    if (b < a)
        throw ReadFailure{"the range is empty: its end lies below its start"};
    const Int128 count = (b - a) / c + 1;
    if (count > kMaxParameterValues)
        throw ReadFailure{"the range has more than " + std::to_string(kMaxParameterValues) +
                          " values"};
    if (a > INT64_MAX || a < INT64_MIN || c > INT64_MAX)
        throw ReadFailure{"the range's numbers are too long"};
    parameter.First = static_cast<std::int64_t>(a);
    parameter.Step = static_cast<std::int64_t>(c);
    parameter.Scale = scale;
    parameter.Count = static_cast<std::int64_t>(count);
}

// The margins "A .. B" of a condition; refuses, naming the part, what is not one.
void ReadMargins(std::string_view words, std::string_view text, Extended& low, Extended& high)
{
    const std::size_t dots = text.find("..");
    if (dots == std::string_view::npos)
        throw ReadFailure{"bad condition " + Quoted(words) + ": the margins are 'A .. B'"};
    std::int64_t a = 0, b = 0;
    int as = 0, bs = 0;
    const std::string_view lowText = TrimBlanks(text.substr(0, dots));
    const std::string_view highText = TrimBlanks(text.substr(dots + 2));
    for (const std::string_view part : {lowText, highText}) {
        std::int64_t units = 0;
        int scale = 0;
        if (!ReadScaled(part, units, scale))
            throw ReadFailure{"bad condition " + Quoted(words) + ": " + Quoted(part) +
                              " is not a decimal of at most 15 digits"};
    }
    ReadScaled(lowText, a, as);
    ReadScaled(highText, b, bs);
    low = static_cast<Extended>(a);
    high = static_cast<Extended>(b);
    for (int i = 0; i < as; ++i)
        low /= 10;
    for (int i = 0; i < bs; ++i)
        high /= 10;
    if (low > high)
        throw ReadFailure{"bad condition " + Quoted(words) + ": " + Quoted(lowText) +
                          " lies above " + Quoted(highText)};
}

void ReadConditions(std::string_view text, std::vector<TemplateCondition>& conditions)
{
    for (std::string_view rest = text;;) {
        const std::size_t semicolon = rest.find(';');
        const std::string_view item = TrimBlanks(rest.substr(0, semicolon));
        // Words separated by any run of blanks.
        std::string words;
        for (std::size_t i = 0; i < item.size(); ++i) {
            if (item[i] == ' ' || item[i] == '\t') {
                if (!words.empty() && words.back() != ' ')
                    words += ' ';
            } else {
                words += item[i];
            }
        }
        TemplateCondition condition;
        condition.Text = words;
        using Kind = TemplateCondition::Kind;
        static const std::pair<std::string_view, Kind> kMargins[] = {
            {"gain margin ", Kind::GainMargin},
            {"phase margin ", Kind::PhaseMargin},
            {"delay margin ", Kind::DelayMargin},
            {"запас по амплитуде ", Kind::GainMargin},
            {"запас по фазе ", Kind::PhaseMargin},
            {"запас по запаздыванию ", Kind::DelayMargin}};
        bool known = false;
        if (words == "stable" || words == "unstable" || words == "устойчива" ||
            words == "неустойчива") {
            condition.Type =
                words == "stable" || words == "устойчива" ? Kind::Stable : Kind::Unstable;
            known = true;
        }
        for (const auto& [prefix, kind] : kMargins) {
            if (!known && std::string_view(words).starts_with(prefix)) {
                condition.Type = kind;
                ReadMargins(words, std::string_view(words).substr(prefix.size()), condition.Low,
                            condition.High);
                known = true;
            }
        }
        if (!known && !words.empty())
            throw ReadFailure{"unknown condition " + Quoted(words) +
                              ": stable, unstable, gain margin A .. B, phase margin A .. B or "
                              "delay margin A .. B (or устойчива, неустойчива, запас по "
                              "амплитуде/фазе/запаздыванию A .. B)"};
        if (known)
            conditions.push_back(condition);
        if (semicolon == std::string_view::npos)
            break;
        rest.remove_prefix(semicolon + 1);
    }
    const auto has = [&](TemplateCondition::Kind kind) {
        return std::any_of(conditions.begin(), conditions.end(),
                           [&](const TemplateCondition& c) { return c.Type == kind; });
    };
    if (has(TemplateCondition::Kind::Stable) && has(TemplateCondition::Kind::Unstable))
        throw ReadFailure{"a variant cannot be both stable and unstable"};
}

bool IsParameterName(std::string_view name)
{
    if (name.empty() || !IsNameStart(static_cast<unsigned char>(name[0])))
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return IsNamePart(static_cast<unsigned char>(c)); }) &&
           name.find(kMinus) == std::string_view::npos && name.find(kDot) == std::string_view::npos;
}

// Refuses a delay that comes out negative at some corner of its parameters' ranges.
void CheckDelayCorners(const AssignmentTemplate& result)
{
    std::vector<int> used;
    for (const Expression::Use& use : result.Delay.Uses) {
        if (std::find(used.begin(), used.end(), use.Parameter) == used.end())
            used.push_back(use.Parameter);
    }
    if (used.size() > 10)
        return;
    std::vector<ExactNumber> values(result.Parameters.size());
    for (std::uint32_t corner = 0; corner < (1u << used.size()); ++corner) {
        std::string where;
        for (std::size_t k = 0; k < used.size(); ++k) {
            const TemplateParameter& parameter = result.Parameters[static_cast<std::size_t>(used[k])];
            const std::string text =
                parameter.ValueText((corner >> k) & 1 ? parameter.Count - 1 : 0);
            ExactNumber::FromDecimal(text, values[static_cast<std::size_t>(used[k])]);
            where += (where.empty() ? " for " : ", ") + parameter.Name + " = " + text;
        }
        ExactPolynomial delay;
        try {
            delay = ExpandExpression(result.Delay, values);
        } catch (const std::exception& failure) {
            throw ReadFailure{failure.what()};
        }
        if (delay[0].IsNegative())
            throw ReadFailure{"the delay is negative (" + delay[0].RoundedText('.') + " s)" +
                              where};
    }
}

} // namespace

std::string TemplateParameter::ValueText(std::int64_t i) const
{
    if (!List.empty())
        return List.at(static_cast<std::size_t>(i));
    return ScaledText(static_cast<Int128>(First) + static_cast<Int128>(Step) * i, Scale);
}

ExactPolynomial ExpandExpression(const Expression& expression,
                                 const std::vector<ExactNumber>& values)
{
    if (!expression.Root)
        return {ExactNumber()};
    ExactPolynomial p = Expand(*expression.Root, values);
    p.resize(static_cast<std::size_t>(expression.Degree) + 1);
    return p;
}

std::string ExpressionWithValues(const Expression& expression,
                                 const std::vector<std::string>& valueTexts)
{
    std::string text;
    std::size_t at = 0;
    for (const Expression::Use& use : expression.Uses) {
        text += expression.Text.substr(at, use.Offset - at);
        text += "(" + valueTexts.at(static_cast<std::size_t>(use.Parameter)) + ")";
        at = use.Offset + use.Length;
    }
    return text + expression.Text.substr(at);
}

bool ReadNumericExpression(std::string_view text, Expression& expression, std::string& error)
{
    expression = Expression();
    expression.Text = text;
    const std::map<std::string, int> noParameters;
    try {
        expression.Root = ExpressionReader(expression.Text, noParameters, expression).ReadWhole();
        expression.Degree = DegreeOf(*expression.Root);
    } catch (const ReadFailure& failure) {
        error = failure.Message;
        return false;
    }
    return true;
}

bool ReadAssignmentTemplate(std::string_view text, AssignmentTemplate& result,
                            TemplateError& error)
{
    result = AssignmentTemplate();
    int line = 0;
    try {
        if (text.starts_with("\xEF\xBB\xBF"))
            text.remove_prefix(3);
        // A template saved by a Russian Windows editor is read as the roster is.
        std::string converted;
        if (!IsUtf8(text)) {
            converted = Cp1251ToUtf8(text);
            text = converted;
        }
        // First every line is split and the parameters taken, so expressions may name
        // parameters defined below them.
        std::map<std::string, std::pair<int, std::string>> keys;
        std::map<std::string, int> parameterIndex;
        bool bad = false;
        ForEachTableLine(text, [&](int number, std::string_view content) {
            line = number;
            if (content.find('\0') != std::string_view::npos)
                throw ReadFailure{"the line holds a NUL byte"};
            const std::size_t equals = content.find('=');
            if (equals == std::string_view::npos)
                throw ReadFailure{"expected 'name = value'"};
            const std::string name(TrimBlanks(content.substr(0, equals)));
            const std::string value(TrimBlanks(content.substr(equals + 1)));
            static const std::set<std::string> kKeys = {"task", "num", "den", "delay", "want"};
            if (kKeys.count(name) == 0) {
                if (!IsParameterName(name) || name == "s")
                    throw ReadFailure{"bad name " + Quoted(name) +
                                      ": a parameter is named by a letter and letters or "
                                      "digits, and not 's'"};
                if (parameterIndex.count(name) != 0)
                    throw ReadFailure{"the parameter " + Quoted(name) + " is defined twice"};
                if (result.Parameters.size() >= 64)
                    throw ReadFailure{"more than 64 parameters"};
                TemplateParameter parameter;
                parameter.Name = name;
                parameter.Line = number;
                ReadParameter(value, parameter);
                parameterIndex[name] = static_cast<int>(result.Parameters.size());
                result.Parameters.push_back(std::move(parameter));
            } else if (!keys.emplace(name, std::make_pair(number, value)).second) {
                throw ReadFailure{Quoted(name) + " is given twice"};
            }
            return !bad;
        });
        line = 0;
        for (const char* required : {"task", "num", "den"}) {
            if (keys.count(required) == 0)
                throw ReadFailure{std::string("the template has no '") + required + " = …' line"};
        }
        result.Task = keys["task"].second;
        line = keys["task"].first;
        if (result.Task.empty())
            throw ReadFailure{"the task is empty"};
        const auto readExpression = [&](const char* key, Expression& expression) {
            const auto found = keys.find(key);
            if (found == keys.end())
                return;
            line = found->second.first;
            expression.Text = found->second.second;
            expression.Line = line;
            expression.Root =
                ExpressionReader(expression.Text, parameterIndex, expression).ReadWhole();
            expression.Degree = DegreeOf(*expression.Root);
        };
        readExpression("num", result.Numerator);
        readExpression("den", result.Denominator);
        readExpression("delay", result.Delay);
        line = result.Denominator.Line;
        if (result.Denominator.Degree < 1 || result.Denominator.Degree > kMaxDenominatorDegree)
            throw ReadFailure{"the denominator is of degree " +
                              std::to_string(result.Denominator.Degree) +
                              " in s; it must be 1 to 15"};
        line = result.Numerator.Line;
        if (result.Numerator.Degree >= result.Denominator.Degree)
            throw ReadFailure{"the numerator is of degree " +
                              std::to_string(result.Numerator.Degree) +
                              ", not below the denominator's " +
                              std::to_string(result.Denominator.Degree) + " (m ≥ n)"};
        if (result.Delay.Root) {
            line = result.Delay.Line;
            if (result.Delay.Degree != 0)
                throw ReadFailure{"the delay must not depend on s"};
        }
        for (const TemplateParameter& parameter : result.Parameters) {
            line = parameter.Line;
            const auto uses = [&](const Expression& e) {
                return std::any_of(e.Uses.begin(), e.Uses.end(), [&](const Expression::Use& u) {
                    return result.Parameters[static_cast<std::size_t>(u.Parameter)].Name ==
                           parameter.Name;
                });
            };
            if (!uses(result.Numerator) && !uses(result.Denominator) && !uses(result.Delay))
                throw ReadFailure{"the parameter " + Quoted(parameter.Name) + " is never used"};
        }
        if (result.Delay.Root) {
            line = result.Delay.Line;
            CheckDelayCorners(result);
        }
        if (const auto want = keys.find("want"); want != keys.end()) {
            line = result.WantLine = want->second.first;
            ReadConditions(want->second.second, result.Conditions);
        }
    } catch (const ReadFailure& failure) {
        error = {line, failure.Message};
        result = AssignmentTemplate();
        return false;
    }
    return true;
}

} // namespace nirdal
