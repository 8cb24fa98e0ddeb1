// SPDX-License-Identifier: MIT
#include "core/common/recording_surface.h"
#include "core/numtext/numtext.h"
#include "core/plot/plot.h"
#include "core/plot/print_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace nirdal {
namespace {

using Kind = DrawOp::Kind;

DrawOp Op(Kind kind, std::initializer_list<int> args)
{
    DrawOp op{kind, {}, {}, {}};
    std::copy(args.begin(), args.end(), op.args.begin());
    return op;
}

DrawOp Move(int x, int y)
{
    return Op(Kind::Move, {x, y});
}
DrawOp Line(int x, int y)
{
    return Op(Kind::Line, {x, y});
}

// Fills points from..200 with (u, v), as the sweep fills the store after its last point.
void SetPoints(TransferFunction& variant, int from, Extended u, Extended v)
{
    for (int k = from; k <= kLastSlot; ++k) {
        variant.ResponseArrays[k].U = u;
        variant.ResponseArrays[k].V = v;
    }
}

class PlotTest : public testing::Test
{
protected:
    void SetUp() override
    {
        assignment.Variants.assign(1, TransferFunction{});
        assignment.VariantCount = 0;
        assignment.CurrentVariant = 0;
    }

    Assignment assignment;

    TransferFunction& AddVariant()
    {
        ++assignment.VariantCount;
        PrepareVariantSlot(assignment, assignment.VariantCount);
        return assignment.Variants[assignment.VariantCount];
    }

    // The operations from the curve's pen on: the curve of the last variant.
    std::vector<DrawOp> LastCurve() const
    {
        const auto& ops = surface.ops();
        auto pen = std::find_if(ops.rbegin(), ops.rend(),
                                [](const DrawOp& op) { return op.kind == Kind::Pen; });
        return {pen.base(), ops.end()};
    }

    // The operations following the first black pen: ticks, axes, circle, marks, curves.
    std::vector<DrawOp> Picture() const
    {
        const auto& ops = surface.ops();
        auto pen = std::find_if(ops.begin(), ops.end(),
                                [](const DrawOp& op) { return op.kind == Kind::Pen; });
        return {pen + 1, ops.end()};
    }

    std::vector<DrawOp> TextsAt(int x, int y) const
    {
        std::vector<DrawOp> found;
        for (const DrawOp& op : surface.ops()) {
            if (op.kind == Kind::Text && op.args[0] == x && op.args[1] == y)
                found.push_back(op);
        }
        return found;
    }

    RecordingSurface surface;
    PlotFields fields;
};

TEST_F(PlotTest, ScreenPictureLiesWhereTheWorkedValuesSay)
{
    TransferFunction& variant = AddVariant();
    SetPoints(variant, 1, 1, 0);
    SetPoints(variant, 2, 0, -1);
    fields.PlotScale = 1.0 / 300; // a printer scale left over from before
    const DevicePoint origin = DrawPlot(surface, fields, assignment, "");

    EXPECT_EQ(fields.PlotScale, 0.01);
    EXPECT_EQ(fields.PixelsPerUnitX, 100);
    EXPECT_EQ(fields.PixelsPerUnitY, 110);
    EXPECT_EQ(origin.x, 375);
    EXPECT_EQ(origin.y, 225);

    const std::vector<DrawOp> picture = Picture();
    std::vector<DrawOp> expected;
    for (int x : {75, 175, 275, 375, 475, 575, 675}) {
        expected.push_back(Move(x, 220));
        expected.push_back(Line(x, 230));
        expected.push_back(Op(Kind::Text, {x - 5, 210}));
        expected.back().text = IntegerText((x - 375) / 100);
    }
    for (int y : {5, 115, 225, 335, 445}) {
        expected.push_back(Move(370, y));
        expected.push_back(Line(380, y));
        expected.push_back(Op(Kind::Text, {390, y - 5}));
        expected.back().text = IntegerText((225 - y) / 110);
    }
    for (const DrawOp& axis : {Move(375, 0), Line(375, 450), Move(0, 225), Line(800, 225)})
        expected.push_back(axis);
    expected.push_back(Op(Kind::Pen, {1}));
    expected.push_back(Op(Kind::Arc, {275, 115, 475, 335, 375, 115, 375, 115}));
    ASSERT_GE(picture.size(), expected.size());
    EXPECT_EQ(std::vector<DrawOp>(picture.begin(), picture.begin() + std::ssize(expected)),
              expected);

    const std::vector<DrawOp> curve = LastCurve();
    ASSERT_EQ(curve.size(), 200u);
    EXPECT_EQ(curve[0], Move(475, 225));
    EXPECT_EQ(curve[1], Line(375, 335));
    EXPECT_EQ(curve[199], Line(375, 335));
}

TEST_F(PlotTest, ScreenTextsShowTheLastVariant)
{
    TransferFunction& first = AddVariant();
    first.A[1] = 2;
    TransferFunction& second = AddVariant();
    second.A[1] = 3;
    second.A[0] = 1;
    second.B[0] = 0.5L;
    assignment.CurrentVariant = 1;
    BuildCoefficientTexts(assignment);
    DrawPlot(surface, fields, assignment, "Петров");

    const auto& ops = surface.ops();
    ASSERT_GE(ops.size(), 8u);
    EXPECT_EQ(ops[0], Op(Kind::FontSize, {15}));
    EXPECT_EQ(RecordingSurface::Describe(ops[1]), "text 20 20 Петров вариантов:2");
    EXPECT_EQ(RecordingSurface::Describe(ops[2]),
              "text 20 1 АМПЛИТУДНО -ФАЗОВАЯ  ЧАСТОТНАЯ   ХАРАКТЕРИСТИКА");
    EXPECT_EQ(RecordingSurface::Describe(ops[3]),
              "text 20 40 КОЭФФИЦИЕНТЫ ЧИСЛИТЕЛЯ  ПЕРЕДАТОЧНОЙ ФУНКЦИИ");
    EXPECT_EQ(RecordingSurface::Describe(ops[4]),
              "text 20 80 КОЭФФИЦИЕНТЫ ЗНАМЕНАТЕЛЯ  ПЕРЕДАТОЧНОЙ ФУНКЦИИ");
    EXPECT_EQ(ops[5], Op(Kind::FontSize, {10}));
    EXPECT_EQ(RecordingSurface::Describe(ops[6]), "text 20 60 B0  =0.500 ");
    EXPECT_EQ(RecordingSurface::Describe(ops[7]), "text 20 100 A1  =3.00 A0  =1.00 ");
    EXPECT_EQ(ops[8].kind, Kind::Pen);
}

TEST_F(PlotTest, EmptySurnameStartsWithTheBlank)
{
    DrawPlot(surface, fields, assignment, "");
    EXPECT_EQ(surface.ops().at(1).text, " вариантов:0");
}

TEST_F(PlotTest, DelayLineOnlyAboveOneHundredth)
{
    TransferFunction& variant = AddVariant();
    struct Case
    {
        Extended delay;
        bool shown;
    };
    for (const Case& c : {Case{0.01L, false}, Case{ParseNumber("0.01"), false},
                          Case{std::nextafter(0.01L, 1.0L), true}, Case{0.5L, true}}) {
        variant.Delay = c.delay;
        BuildCoefficientTexts(assignment);
        surface.clear();
        DrawPlot(surface, fields, assignment, "");
        const std::vector<DrawOp> delayLines = TextsAt(20, 150);
        ASSERT_EQ(delayLines.size(), c.shown ? 1u : 0u) << static_cast<double>(c.delay);
        if (c.shown) {
            EXPECT_EQ(delayLines[0].text, assignment.Texts.Delay);
        }
    }
}

TEST_F(PlotTest, CoefficientTextsListFromTheHighestPowerDown)
{
    TransferFunction variant;
    variant.DenominatorDegree = 4;
    variant.A = {1, 4, 6, 4, 1};
    variant.NumeratorDegree = 0;
    variant.B[0] = 2.5L;
    variant.Delay = 0.5L;
    const CoefficientTexts texts = MakeCoefficientTexts(variant);
    EXPECT_EQ(texts.Denominator, "A4  =1.00 A3  =4.00 A2  =6.00 A1  =4.00 A0  =1.00 ");
    EXPECT_EQ(texts.Numerator, "B0  =2.50 ");
    EXPECT_EQ(texts.Delay, "ЗАПАЗДЫВАНИЕ 0,500 секунд");

    variant.DenominatorDegree = 15;
    variant.A[15] = 12.5L;
    variant.NumeratorDegree = 14;
    EXPECT_EQ(MakeCoefficientTexts(variant).Denominator.substr(0, 20), "A15  =12.5 A14  =00 ");
    EXPECT_EQ(MakeCoefficientTexts(variant).Numerator.substr(0, 9), "B14  =00 ");
}

TEST_F(PlotTest, CoefficientTextsAreEmptyWithoutVariants)
{
    assignment.Texts.Numerator = assignment.Texts.Denominator = assignment.Texts.Delay = "old";
    BuildCoefficientTexts(assignment);
    EXPECT_EQ(assignment.Texts.Numerator, "");
    EXPECT_EQ(assignment.Texts.Denominator, "");
    EXPECT_EQ(assignment.Texts.Delay, "");
}

TEST_F(PlotTest, SummaryLineJoinsDenominatorNumeratorAndDelay)
{
    TransferFunction& variant = AddVariant();
    variant.DenominatorDegree = 2;
    variant.A = {1, 3, 2};
    variant.NumeratorDegree = 1;
    variant.B = {5, 0.125L};
    variant.Delay = 0.0125L;
    AddVariant();
    EXPECT_EQ(VariantSummaryLine(assignment, 1),
              "A2  =2.00 A1  =3.00 A0  =1.00 B1  =0.125 B0  =5.00 ЗАПАЗДЫВАНИЕ 0,012 секунд");
    EXPECT_EQ(VariantSummaryLine(assignment, 2),
              "A1  =00 A0  =00 B0  =00 ЗАПАЗДЫВАНИЕ 0,000 секунд");
}

TEST_F(PlotTest, PhaseMarksCrossTheUnitCircle)
{
    const DevicePoint origin = DrawPlot(surface, fields, assignment, "");
    surface.clear();
    struct Case
    {
        int degrees;
        int x1, y1, x2, y2;
    };
    // 90: straight down through -j; 180: through +1; 270: through +j; 360: through -1.
    for (const Case& c : {Case{90, 375, 330, 375, 340}, Case{180, 470, 225, 480, 225},
                          Case{270, 375, 120, 375, 110}, Case{360, 280, 225, 270, 225}}) {
        surface.clear();
        DrawPhaseMark(surface, fields, origin, c.degrees);
        EXPECT_EQ(surface.ops(), (std::vector{Move(c.x1, c.y1), Line(c.x2, c.y2)})) << c.degrees;
    }

    // 10 degrees lies just below the negative real axis.
    surface.clear();
    DrawPhaseMark(surface, fields, origin, 10);
    ASSERT_EQ(surface.ops().size(), 2u);
    EXPECT_LT(surface.ops()[0].args[0], 375 - 90);
    EXPECT_GT(surface.ops()[0].args[1], 225);
    EXPECT_LT(surface.ops()[0].args[1], 225 + 25);
}

TEST_F(PlotTest, FourteenMarksBetweenCircleAndCurves)
{
    SetPoints(AddVariant(), 1, 0, 0);
    DrawPlot(surface, fields, assignment, "");
    const std::vector<DrawOp> picture = Picture();
    const auto arc = std::find_if(picture.begin(), picture.end(),
                                  [](const DrawOp& op) { return op.kind == Kind::Arc; });
    const auto pen =
        std::find_if(arc, picture.end(), [](const DrawOp& op) { return op.kind == Kind::Pen; });
    EXPECT_EQ(std::distance(arc, pen), 1 + 2 * 14);
}

TEST_F(PlotTest, VariantsTakeTheColourTableInTurn)
{
    for (int i = 1; i <= 18; ++i)
        SetPoints(AddVariant(), 1, 0, 0);
    DrawPlot(surface, fields, assignment, "");
    std::vector<Rgb> pens;
    for (const DrawOp& op : Picture()) {
        if (op.kind == Kind::Pen)
            pens.push_back(op.colour);
    }
    ASSERT_EQ(pens.size(), 1u + 18u);
    EXPECT_EQ(pens[1], (Rgb{128, 0, 0}));
    EXPECT_EQ(pens[8], (Rgb{192, 192, 192}));
    EXPECT_EQ(pens[16], (Rgb{128, 128, 128}));
    EXPECT_EQ(pens[17], (Rgb{128, 0, 0}));
    EXPECT_EQ(pens[18], (Rgb{0, 128, 0}));
}

TEST_F(PlotTest, FarPointsAreClampedAlongTheirRay)
{
    TransferFunction& variant = AddVariant();
    const Extended max = std::numeric_limits<Extended>::max();
    SetPoints(variant, 1, 1, 0);
    SetPoints(variant, 2, 1e30L, 0.5e30L);
    SetPoints(variant, 3, max, -max); // beyond the quotient's range
    SetPoints(variant, 4, std::numeric_limits<Extended>::quiet_NaN(), 0);
    SetPoints(variant, 5, 0, 0);
    DrawPlot(surface, fields, assignment, "");
    const std::vector<DrawOp> curve = LastCurve();
    ASSERT_EQ(curve.size(), 199u); // the NaN point is passed over
    EXPECT_EQ(curve[0], Move(475, 225));
    EXPECT_EQ(curve[1], Line(375 + 100'000'000, 225 - 55'000'000));
    EXPECT_EQ(curve[2], Line(375 + 100'000'000, 225 + 100'000'000));
    EXPECT_EQ(curve[3], Line(375, 225));
}

TEST_F(PlotTest, CurveStartsAtItsFirstNumber)
{
    TransferFunction& variant = AddVariant();
    SetPoints(variant, 1, std::numeric_limits<Extended>::quiet_NaN(), 0);
    SetPoints(variant, 3, 1, 0);
    DrawPlot(surface, fields, assignment, "");
    const std::vector<DrawOp> curve = LastCurve();
    ASSERT_EQ(curve.size(), 198u);
    EXPECT_EQ(curve[0], Move(475, 225));
}

struct PaperCase
{
    Extended dotsPerUnit;
    int originX, originY, verticalEnd, horizontalEnd, firstLine;
};

void PrintTo(const PaperCase& c, std::ostream* os)
{
    *os << static_cast<double>(c.dotsPerUnit) << " dots per unit";
}

class PaperTest : public PlotTest, public testing::WithParamInterface<PaperCase>
{
};

TEST_P(PaperTest, PageGeometryFollowsTheGain)
{
    const PaperCase& c = GetParam();
    SetPoints(AddVariant(), 1, 0, 0);
    SetPoints(AddVariant(), 1, 0, 0);
    ASSERT_EQ(SetDotsPerUnit(fields, c.dotsPerUnit), std::nullopt);
    const PrintedPage printed = DrawPrintPage(surface, fields, assignment, "Иванов");

    const int unit = static_cast<int>(c.dotsPerUnit);
    EXPECT_EQ(fields.YStretch, 1.0);
    EXPECT_EQ(fields.PixelsPerUnitX, unit);
    EXPECT_EQ(fields.PixelsPerUnitY, unit);
    EXPECT_EQ(printed.Origin.x, c.originX);
    EXPECT_EQ(printed.Origin.y, c.originY);

    const auto& ops = surface.ops();
    ASSERT_GE(ops.size(), 4u);
    EXPECT_EQ(ops[0], Op(Kind::FontSize, {10}));
    EXPECT_EQ(RecordingSurface::Describe(ops[1]), "text 20 30 Иванов");
    EXPECT_EQ(ops[2].text, PlotHeading());
    EXPECT_EQ((std::vector<int>{ops[2].args[0], ops[2].args[1]}), (std::vector<int>{20, 5}));

    const std::vector<DrawOp> axes{Move(c.originX, 0), Line(c.originX, c.verticalEnd),
                                   Move(0, c.originY), Line(c.horizontalEnd, c.originY)};
    EXPECT_NE(std::search(ops.begin(), ops.end(), axes.begin(), axes.end()), ops.end());
    EXPECT_NE(std::find(ops.begin(), ops.end(),
                        Op(Kind::Arc,
                           {c.originX - unit, c.originY - unit, c.originX + unit, c.originY + unit,
                            c.originX, c.originY - unit, c.originX, c.originY - unit})),
              ops.end());

    ASSERT_EQ(TextsAt(20, c.firstLine).size(), 1u);
    EXPECT_EQ(TextsAt(20, c.firstLine)[0].text, VariantSummaryLine(assignment, 1));
    EXPECT_EQ(ops.back(), TextsAt(20, c.firstLine + 21).at(0));
}

INSTANTIATE_TEST_SUITE_P(Gains, PaperTest,
                         testing::Values(PaperCase{100, 375, 225, 449, 799, 496},
                                         PaperCase{300, 1125, 675, 1349, 2399, 1446},
                                         PaperCase{250, 938, 562, 1124, 1999, 1209},
                                         PaperCase{17476, 65535, 39321, 78642, 139808, 83032}));

TEST_F(PlotTest, LaserGainIsTheDoubleNearestOneThird)
{
    ASSERT_EQ(SetDotsPerUnit(fields, 300), std::nullopt);
    EXPECT_EQ(fields.PlotScale, 1.0 / 300);
}

TEST_F(PlotTest, PaperPassesOverPointsAtMinusThreeAndBelow)
{
    TransferFunction& variant = AddVariant();
    SetPoints(variant, 1, 0, -5);      // the start, wherever it lies
    SetPoints(variant, 2, 1, -3);      // passed over
    SetPoints(variant, 3, 2, -2.999L); // drawn to
    SetPoints(variant, 4, 3, -4);      // passed over up to the end
    ASSERT_EQ(SetDotsPerUnit(fields, 100), std::nullopt);
    DrawPrintPage(surface, fields, assignment, "");
    const auto& ops = surface.ops();
    const auto lastPen = std::find_if(ops.rbegin(), ops.rend(),
                                      [](const DrawOp& op) { return op.kind == Kind::Pen; });
    const std::vector<DrawOp> curve(lastPen.base(), ops.end() - 1); // up to the summary line
    EXPECT_EQ(curve, (std::vector{Move(375, 725), Line(575, 525)}));

    // The screen passes nothing over.
    surface.clear();
    DrawPlot(surface, fields, assignment, "");
    const std::vector<DrawOp> screenCurve = LastCurve();
    ASSERT_EQ(screenCurve.size(), 200u);
    EXPECT_EQ(screenCurve[1], Line(475, 555));
    EXPECT_EQ(screenCurve[199], Line(675, 665));
}

// Pictures handed out cut the curve at the frame (0…800 × 0…449 at 100 dots per unit, the
// vertical axis ending at trunc(4.5 / 0.01) = 449 as 0.01 lies a little above 1/100; the
// origin at (375, 225)) and resume it where it comes back: (0, 0)–(0, −4) ends at the frame's
// foot, (0, −4)–(1, −4) lies outside, (1, −4)–(2, 0) comes back at y = 449, x = 475 +
// 100·176/400 = 519.
TEST_F(PlotTest, HandedOutPagesCutTheCurveAtTheFrame)
{
    TransferFunction& variant = AddVariant();
    SetPoints(variant, 1, 0, 0);
    SetPoints(variant, 2, 0, -4);
    SetPoints(variant, 3, 1, -4);
    SetPoints(variant, 4, 2, 0);
    ASSERT_EQ(SetDotsPerUnit(fields, 100), std::nullopt);
    DrawPrintPage(surface, fields, assignment, "", true);
    const auto& ops = surface.ops();
    const auto lastPen = std::find_if(ops.rbegin(), ops.rend(),
                                      [](const DrawOp& op) { return op.kind == Kind::Pen; });
    const std::vector<DrawOp> curve(lastPen.base(), lastPen.base() + 4);
    EXPECT_EQ(curve, (std::vector{Move(375, 225), Line(375, 449), Move(519, 449), Line(575, 225)}));
    for (auto op = lastPen.base(); op != ops.end() && op->kind != Kind::Text; ++op) {
        EXPECT_LE(op->args[1], 449);
        EXPECT_LE(op->args[0], 800);
    }
}

TEST_F(PlotTest, RefusedGainsKeepTheScaleInForce)
{
    struct Case
    {
        Extended dotsPerUnit;
        const char* reason;
    };
    const Extended infinity = std::numeric_limits<Extended>::infinity();
    for (const Case& c :
         {Case{0, "Деление на ноль"}, Case{-0.0L, "Деление на ноль"}, Case{-100, "больше нуля"},
          Case{std::numeric_limits<Extended>::quiet_NaN(), "больше нуля"},
          Case{17477, "наибольшее допустимое — 17476."}, Case{infinity, "слишком велико"},
          Case{1e4000L, "слишком велико"}, Case{0.5L, "слишком мало"},
          Case{1e-4000L, "слишком мало"}}) {
        fields.PlotScale = 1.0 / 300;
        const std::optional<std::string> refusal = SetDotsPerUnit(fields, c.dotsPerUnit);
        ASSERT_TRUE(refusal.has_value()) << static_cast<double>(c.dotsPerUnit);
        EXPECT_NE(refusal->find(c.reason), std::string::npos)
            << *refusal;
        EXPECT_EQ(fields.PlotScale, 1.0 / 300);
    }
    ASSERT_EQ(SetDotsPerUnit(fields, 0.6L), std::nullopt);
    UpdateUnitLengths(fields);
    EXPECT_EQ(fields.PixelsPerUnitX, 1);
}

} // namespace
} // namespace nirdal
