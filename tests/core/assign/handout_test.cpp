// SPDX-License-Identifier: MIT
#include "core/assign/formula_layout.h"
#include "core/assign/handout_sheets.h"
#include "core/common/recording_surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace nirdal;

namespace {

using Kind = DrawOp::Kind;

// The minus (an en dash) and the middle dot.
const std::string kMinus = "–";

struct Laid
{
    std::vector<DrawOp> ops;
    std::string texts; ///< every text drawn, in order
    int bar = 0;       ///< y of the main fraction bar
};

Laid Typeset(const std::string& numerator, const std::string& denominator,
             const std::string& delay = "0")
{
    Expression n, d;
    std::string error;
    EXPECT_TRUE(ReadNumericExpression(numerator, n, error)) << error;
    EXPECT_TRUE(ReadNumericExpression(denominator, d, error)) << error;
    RecordingSurface surface(300);
    const FormulaBox box = TypesetTransferFunction(surface, *n.Root, *d.Root, delay, 12, 100000);
    surface.clear();
    DrawFormula(surface, box, 0, 1000);
    Laid laid{surface.ops(), {}, 0};
    for (const DrawOp& op : laid.ops) {
        if (op.kind == Kind::Text)
            laid.texts += op.text;
    }
    // The main bar lies lowest: a fraction within the numerator draws its bar above it.
    laid.bar = -1;
    for (const DrawOp& op : laid.ops) {
        if (op.kind == Kind::Line)
            laid.bar = std::max(laid.bar, op.args[1]);
    }
    return laid;
}

// The y of the first text op that draws text after skip earlier ones.
const DrawOp* TextOp(const Laid& laid, const std::string& text, int skip = 0)
{
    for (const DrawOp& op : laid.ops) {
        if (op.kind == Kind::Text && op.text == text && skip-- == 0)
            return &op;
    }
    return nullptr;
}

} // namespace

// W(s) as a textbook writes it: each formula's texts worked by hand from the template's
// expression with the values put in.
TEST(FormulaLayout, WritesTheValuesAsATextbookDoes)
{
    const struct
    {
        const char *numerator, *denominator, *written;
    } cases[] = {
        // juxtaposed values stay apart: 2·0,9·0,6s, not "2 0,90,6s"
        {"2 (0.9) (0.6) s", "s^2 + 2 (0.9) (0.6) s + 1",
         "W(s) = 2·0,9·0,6ss2 + 2·0,9·0,6s + 1"},
        // no factor 1: "s + 1", not "1s + 1"
        {"(5)", "(1) s + 1", "W(s) = 5s + 1"},
        // a product in the denominator keeps its parentheses, the power raised
        {"(5)", "((2) s + 1)^2 ((3) s + 1)", "W(s) = 5(2s + 1)2(3s + 1)"},
        // signs of negative values go in front of their terms
        {"(-1) s + 2", "s^2 - (-0.5) s + 1", "W(s) = –s + 2s2 + 0,5s + 1"},
        // '*' and a product of a number and a sum
        {"2*(0.5*s+1)", "s^3 + 1", "W(s) = 2(0,5s + 1)s3 + 1"},
        // a zero value is written as it is
        {"(0) s + 1", "s^2 + 1", "W(s) = 0s + 1s2 + 1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Typeset(c.numerator, c.denominator).texts, c.written) << c.numerator;
}

// The numerator lies above the bar and the denominator below it; powers and the delay's
// exponent are raised above their bases; a quotient by a number is a fraction of its own.
TEST(FormulaLayout, NumeratorOverBarOverDenominatorAndRaisedPowers)
{
    const Laid laid = Typeset("(3)/2", "((2) s + 1)^2 ((3) s + 1)", "0,55");
    ASSERT_GT(laid.bar, 0);
    const DrawOp* three = TextOp(laid, "3");
    const DrawOp* open = TextOp(laid, "(");
    const DrawOp* square = TextOp(laid, "2", 2); // "2" over the 3, "2" of 2s, then the power
    const DrawOp* e = TextOp(laid, " e");
    const DrawOp* exponent = TextOp(laid, kMinus + "0,55s");
    ASSERT_TRUE(three && open && square && e && exponent);
    EXPECT_LT(three->args[1], laid.bar);
    EXPECT_GT(open->args[1], laid.bar);
    EXPECT_LT(square->args[1], open->args[1]);
    EXPECT_LT(exponent->args[1], e->args[1]);
    const long bars = std::count_if(laid.ops.begin(), laid.ops.end(),
                                    [](const DrawOp& op) { return op.kind == Kind::Line; });
    EXPECT_EQ(bars, 2); // W's bar and 3/2's
}

// Slips of degree 15 on A4 at 300 dots per inch (2480 × 3508): every coefficient of every
// slip is drawn whole within the slip's margins (12 mm, 142 dots, each side), and several
// slips share a sheet.
TEST(Handout, EveryCoefficientOfDegreeFifteenLiesOnItsSlip)
{
    HandoutSlip slip;
    slip.Group = "251";
    slip.Surname = "Иванов И.И.";
    slip.Variant = 7;
    slip.NumeratorFormula = "(8)";
    slip.DenominatorFormula = "((1.2345) s + 1)^15";
    slip.Numerator = {"8"};
    for (int i = 15; i >= 0; --i)
        slip.Denominator.push_back("123456,7890" + std::to_string(i));
    slip.Delay = "0,5";
    slip.AsksDelayMargin = true;
    RecordingSurface surface(300, {2480, 3508});
    std::string error;
    ASSERT_TRUE(DrawHandout(surface, "Исследовать устойчивость", std::vector(5, slip), error))
        << error;
    int found = 0, pages = 1;
    for (const DrawOp& op : surface.ops()) {
        if (op.kind == Kind::Page)
            ++pages;
        if (op.kind != Kind::Text || op.text.rfind("A", 0) != 0)
            continue;
        ++found;
        const int right = op.args[0] + NominalTextExtent(10, 300, op.text).Width;
        EXPECT_GE(op.args[0], 142) << op.text;
        EXPECT_LE(right, 2480 - 142) << op.text;
    }
    EXPECT_EQ(found, 5 * 16);
    EXPECT_LT(pages, 5); // more than one such slip to a sheet
    const auto has = [&](const std::string& text) {
        return std::any_of(surface.ops().begin(), surface.ops().end(),
                           [&](const DrawOp& op) { return op.text == text; });
    };
    EXPECT_TRUE(has("A0 = 123456,78900"));
    EXPECT_TRUE(has("Группа 251    Иванов И.И.    Вариант 7"));
    EXPECT_TRUE(has("Запас по запаздыванию, с:"));
}
