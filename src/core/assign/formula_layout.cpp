// SPDX-License-Identifier: MIT
#include "core/assign/formula_layout.h"

#include <algorithm>

namespace nirdal {

namespace {

using Kind = ExpressionNode::Kind;

// The en dash stands for the minus sign, as on the slips printed so far.
constexpr std::string_view kMinusSign = "–";
constexpr std::string_view kTimes = "·";
constexpr int kSmallestPoints = 5;

std::string NumberText(const ExactNumber& number)
{
    std::string text = number.ExactText();
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

struct Term
{
    bool Negative = false;
    const ExpressionNode* Node = nullptr;
};

// The node without the negations in front of it, and whether there was an odd number.
Term WithoutSign(Term term)
{
    while (term.Node->Type == Kind::Negation) {
        term.Negative = !term.Negative;
        term.Node = term.Node->Left.get();
    }
    return term;
}

// The terms of a sum, left to right, each with its sign.
std::vector<Term> Terms(const ExpressionNode& node)
{
    std::vector<Term> terms;
    const ExpressionNode* at = &node;
    while (at->Type == Kind::Sum || at->Type == Kind::Difference) {
        terms.push_back(WithoutSign({at->Type == Kind::Difference, at->Right.get()}));
        at = at->Left.get();
    }
    terms.push_back(WithoutSign({false, at}));
    std::reverse(terms.begin(), terms.end());
    return terms;
}

// The factors of a product, left to right, with their signs taken out into negative and the
// factors 1 left out (all but one when every factor is 1).
std::vector<const ExpressionNode*> Factors(const ExpressionNode& node, bool& negative)
{
    std::vector<const ExpressionNode*> factors, pending{&node};
    while (!pending.empty()) {
        const Term term = WithoutSign({false, pending.back()});
        pending.pop_back();
        negative = negative != term.Negative;
        if (term.Node->Type == Kind::Product) {
            pending.push_back(term.Node->Right.get());
            pending.push_back(term.Node->Left.get());
        } else {
            factors.push_back(term.Node);
        }
    }
    const ExactNumber one = ExactNumber::Whole(1);
    const auto isOne = [&](const ExpressionNode* f) {
        return f->Type == Kind::Number && f->Value == one;
    };
    if (std::all_of(factors.begin(), factors.end(), isOne))
        factors.resize(1);
    else
        std::erase_if(factors, isOne);
    return factors;
}

class Typesetter
{
public:
    Typesetter(Surface& surface, int points) : m_surface(surface), m_points(points)
    {
        m_gap = std::max(1, Text("0", points).Up / 3);
    }

    FormulaBox Text(std::string text, int points)
    {
        m_surface.SetFontSize(points);
        const TextExtent extent = m_surface.MeasureText(text);
        FormulaBox box;
        box.Text = std::move(text);
        box.Points = points;
        box.Width = extent.Width;
        box.Up = extent.LineSpacing / 2;
        box.Down = extent.LineSpacing - box.Up;
        return box;
    }

    FormulaBox Text(std::string text) { return Text(std::move(text), m_points); }

    static FormulaBox Row(std::vector<FormulaBox> parts)
    {
        FormulaBox box;
        box.Type = FormulaBox::Kind::Row;
        for (const FormulaBox& part : parts) {
            box.Width += part.Width;
            box.Up = std::max(box.Up, part.Up);
            box.Down = std::max(box.Down, part.Down);
        }
        box.Parts = std::move(parts);
        return box;
    }

    FormulaBox Fraction(FormulaBox numerator, FormulaBox denominator)
    {
        FormulaBox box;
        box.Type = FormulaBox::Kind::Fraction;
        box.Shift = m_gap;
        box.Width = std::max(numerator.Width, denominator.Width) + 2 * m_gap;
        box.Up = numerator.Up + numerator.Down + m_gap;
        box.Down = denominator.Up + denominator.Down + m_gap;
        box.Parts = {std::move(numerator), std::move(denominator)};
        return box;
    }

    FormulaBox Raised(FormulaBox base, FormulaBox exponent)
    {
        FormulaBox box;
        box.Type = FormulaBox::Kind::Raised;
        // The exponent's middle half way up the base's upper half: its foot a little above
        // the base's line.
        box.Shift = base.Up / 2;
        box.Width = base.Width + exponent.Width;
        box.Up = std::max(base.Up, box.Shift + exponent.Up);
        box.Down = base.Down;
        box.Parts = {std::move(base), std::move(exponent)};
        return box;
    }

    FormulaBox Parenthesised(FormulaBox inner)
    {
        return Row({Text("("), std::move(inner), Text(")")});
    }

    // A whole expression: its terms with their signs between them.
    FormulaBox Expression(const ExpressionNode& node)
    {
        std::vector<FormulaBox> parts;
        for (const Term& term : Terms(node)) {
            bool negative = term.Negative;
            FormulaBox body = TermBody(*term.Node, negative);
            if (parts.empty()) {
                if (negative)
                    parts.push_back(Text(std::string(kMinusSign)));
            } else {
                parts.push_back(Text(negative ? " " + std::string(kMinusSign) + " " : " + "));
            }
            parts.push_back(std::move(body));
        }
        return parts.size() == 1 ? std::move(parts[0]) : Row(std::move(parts));
    }

    FormulaBox TransferFunction(const ExpressionNode& numerator, const ExpressionNode& denominator,
                                std::string_view delay)
    {
        std::vector<FormulaBox> parts{Text("W(s) = "),
                                      Fraction(Expression(numerator), Expression(denominator))};
        if (delay != "0")
            parts.push_back(Raised(Text(" e"), Text(std::string(kMinusSign) + std::string(delay) +
                                                        "s",
                                                    ExponentPoints())));
        return Row(std::move(parts));
    }

private:
    Surface& m_surface;
    int m_points;
    int m_gap = 1;

    int ExponentPoints() const { return std::max(kSmallestPoints, m_points * 7 / 10); }

    // A term without its sign; the signs of its factors join negative.
    FormulaBox TermBody(const ExpressionNode& node, bool& negative)
    {
        if (node.Type == Kind::Sum || node.Type == Kind::Difference)
            return Parenthesised(Expression(node));
        std::vector<FormulaBox> parts;
        for (const ExpressionNode* factor : Factors(node, negative)) {
            const bool numeric = factor->Type == Kind::Number ||
                                 (factor->Type == Kind::Power && factor->Left->Type == Kind::Number);
            if (!parts.empty() && numeric)
                parts.push_back(Text(std::string(kTimes)));
            parts.push_back(Factor(*factor));
        }
        return parts.size() == 1 ? std::move(parts[0]) : Row(std::move(parts));
    }

    FormulaBox Factor(const ExpressionNode& node)
    {
        switch (node.Type) {
        case Kind::Number:
            return Text(NumberText(node.Value));
        case Kind::S:
            return Text("s");
        case Kind::Parameter: // not expected here: the values are put in before
            return Text("p" + std::to_string(node.Parameter + 1));
        case Kind::Quotient:
            return Fraction(Expression(*node.Left), Text(NumberText(node.Value)));
        case Kind::Power: {
            const Kind base = node.Left->Type;
            FormulaBox raised = base == Kind::Number || base == Kind::S
                                    ? Factor(*node.Left)
                                    : Parenthesised(Expression(*node.Left));
            return Raised(std::move(raised), Text(std::to_string(node.Exponent), ExponentPoints()));
        }
        default:
            return Parenthesised(Expression(node));
        }
    }
};

} // namespace

FormulaBox TypesetTransferFunction(Surface& surface, const ExpressionNode& numerator,
                                   const ExpressionNode& denominator, std::string_view delayText,
                                   int points, int maxWidth)
{
    FormulaBox box;
    for (int size = points; size >= kSmallestPoints; --size) {
        box = Typesetter(surface, size).TransferFunction(numerator, denominator, delayText);
        if (box.Width <= maxWidth)
            break;
    }
    return box;
}

void DrawFormula(Surface& surface, const FormulaBox& box, int x, int y)
{
    switch (box.Type) {
    case FormulaBox::Kind::Text:
        surface.SetFontSize(box.Points);
        surface.TextOut(x, y - box.Up, box.Text);
        break;
    case FormulaBox::Kind::Row:
        for (const FormulaBox& part : box.Parts) {
            DrawFormula(surface, part, x, y);
            x += part.Width;
        }
        break;
    case FormulaBox::Kind::Fraction: {
        const FormulaBox& top = box.Parts[0];
        const FormulaBox& bottom = box.Parts[1];
        DrawFormula(surface, top, x + (box.Width - top.Width) / 2, y - box.Shift - top.Down);
        surface.SetPen(std::max(1, box.Shift / 3), Rgb{});
        surface.MoveTo(x, y);
        surface.LineTo(x + box.Width, y);
        DrawFormula(surface, bottom, x + (box.Width - bottom.Width) / 2,
                    y + box.Shift + bottom.Up);
        break;
    }
    case FormulaBox::Kind::Raised:
        DrawFormula(surface, box.Parts[0], x, y);
        DrawFormula(surface, box.Parts[1], x + box.Parts[0].Width, y - box.Shift);
        break;
    }
}

} // namespace nirdal
