// SPDX-License-Identifier: MIT
#include "core/common/number_text.h"
#include "core/common/recording_surface.h"
#include "core/analysis/exploration.h"
#include "core/plot/exploration_picture.h"
#include "core/plot/stability_map_picture.h"
#include "core/tf/tf_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace nirdal {
namespace {

TransferFunction Parse(const char* text)
{
    TransferFunction variant;
    std::string error;
    EXPECT_TRUE(ParseTransferFunctionText(text, variant, error)) << error;
    return variant;
}

// 1/(s+1)³ crosses the negative real axis at ω = √3, where (1 + j√3)³ = 8·e^(jπ) gives
// W = −1/8: the closed loop reaches the boundary at K = 8.
TEST(ExplorationVerdict, FlipsBetweenGainsAroundEightForTheCubicLag)
{
    Exploration exploration(Parse("1:1,3,3,1"), 1);
    ASSERT_FALSE(exploration.SetGain(7.9L));
    EXPECT_EQ(exploration.Lines().front(), "Замкнутая система устойчива");
    EXPECT_EQ(exploration.Lines().at(4), "Критический коэффициент Kкр = 8,00");
    ASSERT_FALSE(exploration.SetGain(8.1L));
    EXPECT_EQ(exploration.Lines().front(), "Замкнутая система неустойчива");
    EXPECT_EQ(exploration.Lines().at(4), "Критический коэффициент Kкр = 8,00");
    ASSERT_FALSE(exploration.SetGain(8));
    EXPECT_EQ(exploration.Lines().front(), "Замкнутая система на границе устойчивости");
}

// At K = 1 the gain margin is 8 = 18.06 dB; |W| < 1 for every ω > 0: the curve never meets
// the unit circle, so neither more phase lag nor more delay brings it to −1.
TEST(ExplorationVerdict, LinesAtUnitGainSayWhatIsMissing)
{
    Exploration exploration(Parse("1:1,3,3,1"), 3);
    EXPECT_EQ(exploration.Caption(), "Анализ варианта 3");
    const auto lines = exploration.Lines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[1], "Запас по амплитуде 8,00 (18,1 дБ)");
    EXPECT_EQ(lines[2], "Запас по фазе ∞");
    EXPECT_EQ(lines[3], "Запас по запаздыванию ∞");
    EXPECT_EQ(exploration.Hints()[2], "годограф не пересекает единичную окружность");
}

// K/(s+1) lies in the fourth quadrant: it never meets the negative real axis, and for K = 1
// |W| = 1/√(1 + ω²) < 1 at every ω > 0. For K = 2 it meets the unit circle at ω = √3, 60°
// below the positive axis: a phase margin of 120° and a delay margin of (2π/3)/√3 = 1.2092 s.
// At K = 10 on 1/(s+1)³: |W| = 1 at ω = √(10^(2/3) − 1) = 1.90829, phase −3·atan(ω) =
// −187.033°, a margin of −7.03°; the gain margin is 8/10 = 0.8 = −1.938 dB, and a closed loop
// that is already unstable has no delay margin at all.
TEST(ExplorationVerdict, MarginsTheCurveNeverComesToAreInfinite)
{
    const std::string axis = "годограф не пересекает отрицательную вещественную полуось";
    const std::string circle = "годограф не пересекает единичную окружность";
    struct Case
    {
        const char* tf;
        Extended gain;
        std::vector<std::string> lines; // 1 … 4
        std::vector<std::string> hints; // 1 … 4
    };
    const Case cases[] = {
        {"1:1,1", 1,
         {"Запас по амплитуде ∞", "Запас по фазе ∞", "Запас по запаздыванию ∞",
          "Критический коэффициент Kкр = ∞"},
         {axis, circle, circle + ": никакое запаздывание не выведет его на −1",
          axis + ": ни при каком K он не пройдёт через −1"}},
        {"1:1,1", 2,
         {"Запас по амплитуде ∞", "Запас по фазе 120°", "Запас по запаздыванию 1,21 с",
          "Критический коэффициент Kкр = ∞"},
         {axis, "", "", axis + ": ни при каком K он не пройдёт через −1"}},
        {"1:1,3,3,1", 10,
         {"Запас по амплитуде 0,800 (-1,94 дБ)", "Запас по фазе -7,03°",
          "Запас по запаздыванию нет", "Критический коэффициент Kкр = 8,00"},
         {"", "", "запаса нет: замкнутая система не устойчива", ""}},
    };
    for (const Case& c : cases) {
        Exploration exploration(Parse(c.tf), 1);
        ASSERT_FALSE(exploration.SetGain(c.gain));
        const auto lines = exploration.Lines();
        const auto hints = exploration.Hints();
        ASSERT_EQ(lines.size(), hints.size());
        for (std::size_t i = 0; i < c.lines.size(); ++i) {
            EXPECT_EQ(lines.at(i + 1), c.lines[i]) << c.tf << " K = " << double(c.gain);
            EXPECT_EQ(hints.at(i + 1), c.hints[i]) << c.tf << " K = " << double(c.gain);
        }
    }
}

// A response whose span ends before it settles gives a bound, not a settling time; an
// overshoot read before the peak is a bound as well.
TEST(ExplorationVerdict, ASettlingTimeBeyondTheSpanReadsAsABound)
{
    Exploration exploration(Parse("1:1,1,0"), 1);
    StepResponse step;
    step.Verdict = StabilityVerdict::Stable;
    step.Indicators = StepIndicators{};
    step.Indicators->SettlingTime = 384000;
    step.Indicators->SettlingReached = false;
    step.Indicators->PeakReached = false;
    step.Indicators->OvershootPercent = 12.5L;
    ASSERT_TRUE(exploration.TakeStep(step, exploration.State()));
    EXPECT_EQ(exploration.Lines().at(5), "Перерегулирование не менее 12,5 %");
    EXPECT_EQ(exploration.Lines().at(6), "Время регулирования более 3,84·10⁵ с");
    EXPECT_NE(exploration.Hints().at(6), "");
    // A response computed for a state since left is not taken.
    const unsigned long before = exploration.State();
    ASSERT_FALSE(exploration.SetGain(0.5L));
    EXPECT_FALSE(exploration.TakeStep(StepResponse{}, before));
    EXPECT_EQ(exploration.Lines().at(6), "Время регулирования более 3,84·10⁵ с");
    EXPECT_FALSE(exploration.StepIsCurrent());
}

// A figure reads alike under the sliders and in the picture: σ = 104.6 % and tр = 4029.8 s
// (the window's 2e^(−s)/(s+1)³ at ΔT = 0.53) are 105 % and 4030 s in both, with the decimal
// comma; 9.37·10⁻³ s is written as a power of ten, never as "9.37E-3".
TEST(ExplorationVerdict, LabelsAndPictureWriteEachFigureAlike)
{
    Exploration exploration(Parse("2:1,3,3,1:1"), 1);
    StepResponse step;
    step.Verdict = StabilityVerdict::Stable;
    step.Times = {0, 2000, 4000, 6000};
    step.Values = {0, 2.046L, 1, 1};
    step.Indicators = StepIndicators{1, 2000, 104.6L, 4029.8L};
    ASSERT_TRUE(exploration.TakeStep(step, exploration.State()));
    EXPECT_EQ(exploration.Lines().at(5), "Перерегулирование 105 %");
    EXPECT_EQ(exploration.Lines().at(6), "Время регулирования 4030 с");
    RecordingSurface surface;
    DrawExplorationPictures(surface, exploration, {1000, 700});
    std::vector<std::string> texts;
    for (const DrawOp& op : surface.ops())
        if (op.kind == DrawOp::Kind::Text)
            texts.push_back(op.text);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "σ = 105 %   tр = 4030 с"), texts.end());

    step.Indicators->SettlingTime = 9.37e-3L;
    ASSERT_FALSE(exploration.SetGain(2));
    ASSERT_TRUE(exploration.TakeStep(step, exploration.State()));
    EXPECT_EQ(exploration.Lines().at(6), "Время регулирования 9,37·10⁻³ с");
}

// 2e^(−s)/(s+1)³: |W| = 1 where 1 + ω² = 2^(2/3), ω_c = 0.76642; the phase there is
// −3·atan(ω_c) − ω_c = −2.72820 rad, a margin of 0.41339 rad, so the closed loop stands
// 0.41339 / 0.76642 = 0.53937 s more delay. The ΔT slider reaches several times that.
TEST(ExplorationVerdict, DelayJustPastTheDelayMarginMakesItUnstable)
{
    Exploration exploration(Parse("2:1,3,3,1:1"), 1);
    EXPECT_EQ(exploration.Lines().at(3), "Запас по запаздыванию 0,539 с");
    EXPECT_GE(exploration.DelayRangeEnd(), 2 * 0.5394L);
    ASSERT_FALSE(exploration.SetExtraDelay(0.52L));
    EXPECT_EQ(exploration.Lines().front(), "Замкнутая система устойчива");
    ASSERT_FALSE(exploration.SetExtraDelay(0.56L));
    EXPECT_EQ(exploration.Lines().front(), "Замкнутая система неустойчива");
}

// 1/(s(s+1)) closes into 1/(s² + s + 1): ζ = 0.5, an overshoot of e^(−π/√3) = 16.30 %.
// At K = 0.1 the closed loop s² + s + 0.1 has two real poles: no overshoot at all.
TEST(ExplorationVerdict, StepFiguresOfASecondOrderLoop)
{
    Exploration exploration(Parse("1:1,1,0"), 1);
    EXPECT_EQ(exploration.Lines().at(5), "Перерегулирование …");
    exploration.ComputeStep();
    EXPECT_EQ(exploration.Lines().at(5), "Перерегулирование 16,3 %");
    EXPECT_NE(exploration.Lines().at(6).find(" с"), std::string::npos);
    // A new K leaves the figures of the previous one until the new ones are computed.
    const std::string before = exploration.Lines().at(5);
    ASSERT_FALSE(exploration.SetGain(0.1L));
    EXPECT_EQ(exploration.Lines().at(5), before);
    exploration.ComputeStep();
    EXPECT_EQ(exploration.Lines().at(5), "Перерегулирование 0 %");
    // Unstable: the figures of a settled response do not exist.
    Exploration cubic(Parse("1:1,3,3,1"), 1);
    ASSERT_FALSE(cubic.SetGain(10));
    cubic.ComputeStep();
    EXPECT_EQ(cubic.Lines().at(5), "Перерегулирование нет");
    EXPECT_EQ(cubic.Lines().at(6), "Время регулирования нет");
}

// The corner of 1/(s+1)³ is at ω = 1, so the characteristics start a decade below, at 0.1:
// with K = 10 and ΔT = 1 s, L = 20·lg(10/1.01^1.5) = 19.8704 dB and
// φ = −3·atan(0.1) − 0.1 rad = −22.8614°.
TEST(ExplorationVerdict, LogarithmicCharacteristicsFollowGainAndDelay)
{
    Exploration exploration(Parse("1:1,3,3,1"), 1);
    ASSERT_FALSE(exploration.SetGain(10));
    ASSERT_FALSE(exploration.SetExtraDelay(1));
    const auto& points = exploration.Logarithmic().Points;
    ASSERT_FALSE(points.empty());
    // The corner comes from the roots of (s+1)³, which scatter by about 1e-7.
    EXPECT_NEAR(double(points.front().Frequency), 0.1, 1e-6);
    EXPECT_NEAR(double(points.front().Decibels), 19.8704, 1e-4);
    EXPECT_NEAR(double(points.front().Degrees), -22.8614, 1e-4);
}

TEST(ExplorationInput, RefusedValuesKeepTheStateAndSayWhy)
{
    const TransferFunction original = Parse("1:1,3,3,1");
    Exploration exploration(original, 1);
    ASSERT_FALSE(exploration.SetGain(2));
    for (Extended bad : {Extended{0}, Extended{-3}, Extended{NAN}, Extended{1000}}) {
        const auto refusal = exploration.SetGain(bad);
        ASSERT_TRUE(refusal);
        EXPECT_FALSE(refusal->empty());
    }
    EXPECT_EQ(exploration.Gain(), 2);
    EXPECT_TRUE(exploration.SetExtraDelay(-0.1L));
    EXPECT_TRUE(exploration.SetExtraDelay(exploration.DelayRangeEnd() * 2));
    EXPECT_EQ(exploration.ExtraDelay(), 0);
    // The window's copy takes K and ΔT; the variant it came from keeps its numerator.
    EXPECT_EQ(exploration.Variant().B[0], original.B[0]);
    EXPECT_EQ(exploration.Loop().B[0], 2);
}

TEST(ExplorationInput, FiguresLoseTheNoiseOfTheirLastDigits)
{
    EXPECT_EQ(FigureText(7.99999999997L), "8,00");
    EXPECT_EQ(FigureText(7.98L), "7,98");
    EXPECT_EQ(FigureText(-0.125L), "-0,125");
    EXPECT_EQ(FigureText(0), "0");
    EXPECT_EQ(FigureText(2e-12L), "0");
}

TEST(ExplorationInput, AVariantTheAnalysisRefusesGivesItsMessage)
{
    TransferFunction zero; // every coefficient 0: no denominator at all
    zero.DenominatorDegree = 2;
    Exploration exploration(zero, 1);
    EXPECT_FALSE(exploration.Refusal().empty());
    EXPECT_TRUE(exploration.Lines().empty());
    RecordingSurface recording;
    DrawExplorationPictures(recording, exploration, {900, 500});
    EXPECT_FALSE(recording.ops().empty());
}

// The unit circle's rectangle tells the origin and the unit; the marks must sit where the
// analysis puts them in the plane.
struct Marks
{
    int OriginX = 0, OriginY = 0, Unit = 0;
    std::optional<std::pair<int, int>> Gain;  // centre of the diamond
    int GainHalf = 0;                         // its half width
    std::optional<std::pair<int, int>> Phase; // centre of the ring
    int PhaseRadius = 0;
    std::optional<std::pair<int, int>> FirstCurvePoint;
};

Marks ReadMarks(const std::vector<DrawOp>& ops)
{
    Marks marks;
    Rgb pen{};
    for (std::size_t i = 0; i < ops.size(); ++i) {
        const DrawOp& op = ops[i];
        const auto& a = op.args;
        if (op.kind == DrawOp::Kind::Pen)
            pen = op.colour;
        const bool full = op.kind == DrawOp::Kind::Arc && a[4] == a[6] && a[5] == a[7];
        if (full && pen == kAxisPen && marks.Unit == 0) {
            marks.OriginX = (a[0] + a[2]) / 2;
            marks.OriginY = (a[1] + a[3]) / 2;
            marks.Unit = (a[2] - a[0]) / 2;
        }
        if (full && pen == kPhaseMarginPen && !marks.Phase) {
            marks.Phase = {(a[0] + a[2]) / 2, (a[1] + a[3]) / 2};
            marks.PhaseRadius = (a[2] - a[0]) / 2;
        }
        // The diamond from its left corner up to its top one.
        if (op.kind == DrawOp::Kind::Move && pen == kGainMarginPen && !marks.Gain &&
            i + 1 < ops.size()) {
            marks.Gain = {ops[i + 1].args[0], a[1]};
            marks.GainHalf = ops[i + 1].args[0] - a[0];
        }
        if (op.kind == DrawOp::Kind::Move && pen == kCurvePen && !marks.FirstCurvePoint)
            marks.FirstCurvePoint = {a[0], a[1]};
    }
    return marks;
}

// 1/(s+1)³ at K = 2: the negative real axis is crossed at −2/8 = −0.25; |2·W| = 1 at
// ω_c = √(2^(2/3) − 1) = 0.76642, where the phase is −3·atan(ω_c) = −112.42°: the margin
// is 67.58°, the point −0.3814 − 0.9245j. At ω → 0 the curve starts at 2.
TEST(ExplorationPicture, MarksLandWhereTheMarginsAre)
{
    Exploration exploration(Parse("1:1,3,3,1"), 1);
    ASSERT_FALSE(exploration.SetGain(2));
    RecordingSurface recording;
    const DeviceRect frame{10, 20, 500, 460};
    DrawExplorationHodograph(recording, exploration, frame);
    const Marks marks = ReadMarks(recording.ops());
    EXPECT_TRUE(std::any_of(recording.ops().begin(), recording.ops().end(), [](const DrawOp& op) {
        return op.text == "Годограф K·W(jω)·exp(-jω·ΔT)";
    }));
    ASSERT_GT(marks.Unit, 50);
    const double r = marks.Unit;
    ASSERT_TRUE(marks.Gain);
    EXPECT_NEAR(marks.Gain->first, marks.OriginX - 0.25 * r, 1.5);
    EXPECT_EQ(marks.Gain->second, marks.OriginY);
    EXPECT_EQ(marks.GainHalf, 6);
    ASSERT_TRUE(marks.Phase);
    EXPECT_EQ(marks.PhaseRadius, 5);
    EXPECT_NEAR(marks.Phase->first, marks.OriginX - 0.3814 * r, 1.5);
    EXPECT_NEAR(marks.Phase->second, marks.OriginY + 0.9245 * r, 1.5);
    ASSERT_TRUE(marks.FirstCurvePoint);
    EXPECT_NEAR(marks.FirstCurvePoint->first, marks.OriginX + 2 * r, 1.5);
    EXPECT_NEAR(marks.FirstCurvePoint->second, marks.OriginY, 1.5);
    // Everything stays inside the frame.
    for (const DrawOp& op : recording.ops()) {
        if (op.kind != DrawOp::Kind::Move && op.kind != DrawOp::Kind::Line)
            continue;
        EXPECT_GE(op.args[0], frame.Left);
        EXPECT_LE(op.args[0], frame.Left + frame.Width);
        EXPECT_GE(op.args[1], frame.Top);
        EXPECT_LE(op.args[1], frame.Top + frame.Height);
    }
}

// On a screen drawn in its own pixels at ratio 2 (192 dpi) the texts take twice the pixels,
// and the marks as well: a diamond 12 pixels wide and a ring of radius 5 on a 96-dpi screen.
TEST(ExplorationPicture, MarksKeepTheirSizeBesideTheTextsAtRatioTwo)
{
    Exploration exploration(Parse("1:1,3,3,1"), 1);
    ASSERT_FALSE(exploration.SetGain(2));
    RecordingSurface recording(2 * kScreenDotsPerInch);
    DrawExplorationHodograph(recording, exploration, {20, 40, 1000, 920});
    const Marks marks = ReadMarks(recording.ops());
    EXPECT_EQ(marks.GainHalf, 12);
    EXPECT_EQ(marks.PhaseRadius, 10);
}

// Lines drawn in a pen inside a rectangle.
int LinesIn(const std::vector<DrawOp>& ops, Rgb colour, const DeviceRect& r)
{
    int count = 0;
    Rgb pen{};
    for (const DrawOp& op : ops) {
        if (op.kind == DrawOp::Kind::Pen)
            pen = op.colour;
        if (op.kind == DrawOp::Kind::Line && pen == colour && op.args[0] >= r.Left &&
            op.args[0] <= r.Left + r.Width && op.args[1] >= r.Top && op.args[1] <= r.Top + r.Height)
            ++count;
    }
    return count;
}

// On a 1000 × 600 picture the hodograph takes the upper left quarter, the step response the
// upper right one, the logarithmic characteristics the lower right one; a step response left
// from an earlier K is greyed until it is computed again.
TEST(ExplorationPicture, StepAndLogarithmicPicturesTakeTheRightHalf)
{
    Exploration exploration(Parse("1:1,3,3,1"), 1);
    exploration.ComputeStep();
    const DeviceRect step{500, 0, 500, 300}, logarithmic{500, 300, 500, 300};
    RecordingSurface current;
    DrawExplorationPictures(current, exploration, {1000, 600});
    EXPECT_GT(LinesIn(current.ops(), kCurvePen, step), 20);
    EXPECT_GT(LinesIn(current.ops(), kCurvePen, logarithmic), 20);
    EXPECT_EQ(LinesIn(current.ops(), kStalePen, step), 0);

    ASSERT_FALSE(exploration.SetGain(2));
    RecordingSurface stale;
    DrawExplorationPictures(stale, exploration, {1000, 600});
    EXPECT_EQ(LinesIn(stale.ops(), kCurvePen, step), 0);
    EXPECT_GT(LinesIn(stale.ops(), kStalePen, step), 20);
}

// The map of 1/(s+1)³ takes the lower left quarter. K runs from 0.01 to 100 on a
// logarithmic axis: K = 1 is the box's middle and K = 10 a quarter of its width further;
// ΔT = 0 is its bottom. A move of K moves only the window's point.
TEST(ExplorationPicture, TheMapTakesTheLowerLeftQuarterWithThePoint)
{
    Exploration exploration(Parse("1:1,3,3,1"), 1);
    const auto pointAt = [&exploration] {
        RecordingSurface recording;
        DrawExplorationPictures(recording, exploration, {1000, 600});
        std::optional<std::pair<int, int>> centre;
        Rgb pen{};
        for (const DrawOp& op : recording.ops()) {
            if (op.kind == DrawOp::Kind::Pen)
                pen = op.colour;
            // Black as the hodograph's axes: told apart by lying in the map's quarter.
            if (op.kind == DrawOp::Kind::Arc && pen == kMapPointPen && op.args[1] >= 300)
                centre = {(op.args[0] + op.args[2]) / 2, (op.args[1] + op.args[3]) / 2};
        }
        return std::pair{centre, recording.ops()};
    };
    EXPECT_FALSE(pointAt().first); // no map yet
    exploration.TakeMap(ComputeStabilityMap(exploration.Variant(), DefaultMapRanges(exploration.Variant())));
    RecordingSurface measure;
    const DeviceRect box = ExplorationMapBox(measure, LayOutExploration(measure, {1000, 600}).Map);
    EXPECT_GE(box.Left, 0);
    EXPECT_LE(box.Left + box.Width, 500);
    EXPECT_GE(box.Top, 300);
    EXPECT_LE(box.Top + box.Height, 600);
    const auto [atOne, ops] = pointAt();
    ASSERT_TRUE(atOne);
    EXPECT_NEAR(atOne->first, box.Left + box.Width / 2.0, 1);
    EXPECT_NEAR(atOne->second, box.Top + box.Height, 1);
    EXPECT_GT(LinesIn(ops, kBoundaryPen, {0, 300, 500, 300}), 20);
    EXPECT_EQ(LinesIn(ops, kBoundaryPen, {0, 0, 1000, 299}), 0);

    ASSERT_FALSE(exploration.SetGain(10));
    const auto [atTen, moved] = pointAt();
    ASSERT_TRUE(atTen);
    EXPECT_NEAR(atTen->first - atOne->first, box.Width / 4.0, 1);
    EXPECT_EQ(atTen->second, atOne->second);
}

// A wide, low room (a laptop's screen at 150 %) takes the four pictures in one row, each a
// quarter of the width; at the least size each is drawn whole, the logarithmic
// characteristics, the tallest, included.
TEST(ExplorationPicture, AWideLowRoomTakesThePicturesInOneRow)
{
    Exploration exploration(Parse("2:1,3,3,1:1"), 1);
    RecordingSurface recording;
    const DeviceSize least = LeastExplorationPicture(recording);
    const DeviceSize row{4 * least.Width, least.Height};
    EXPECT_EQ(LeastExplorationSize(recording, row), row);
    EXPECT_EQ(LeastExplorationSize(recording, {100, 100}),
              (DeviceSize{2 * least.Width, 2 * least.Height}));
    const ExplorationLayout layout = LayOutExploration(recording, row);
    int left = 0;
    for (const DeviceRect& r : {layout.Hodograph, layout.Step, layout.Map, layout.Logarithmic}) {
        EXPECT_EQ(r.Left, left);
        EXPECT_EQ(r.Width, least.Width);
        EXPECT_EQ(r.Height, least.Height);
        left += least.Width;
    }
    EXPECT_EQ(LayOutExploration(recording, {1000, 2 * least.Height}).Step.Left, 500);

    exploration.ComputeStep();
    DrawExplorationPictures(recording, exploration, row);
    std::vector<std::string> texts;
    for (const DrawOp& op : recording.ops())
        if (op.kind == DrawOp::Kind::Text)
            texts.push_back(op.text);
    for (const char* title : {"ЛАЧХ L(ω), дБ", "ЛФЧХ φ(ω), град", "h(t)"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), title), texts.end()) << title;
}

// "Сохранить рисунок…" writes under the pictures what they show: the variant as a formula,
// K and ΔT, the verdict and the figures. 2e^(−s)/(s+1)³ stands 0.53937 s more delay (see
// above): at ΔT = 0.25 s there are 0.28937 s left.
TEST(ExplorationPicture, TheSavedPictureSaysWhatItShows)
{
    Exploration exploration(Parse("2:1,3,3,1:1"), 4);
    ASSERT_FALSE(exploration.SetExtraDelay(0.25L));
    RecordingSurface recording;
    const DeviceSize size = DrawSavedExploration(recording, exploration, {800, 500});
    EXPECT_EQ(size.Width, 800);
    std::string caption;
    for (const DrawOp& op : recording.ops())
        if (op.kind == DrawOp::Kind::Text && op.args[1] >= 500) {
            EXPECT_LT(op.args[1], size.Height);
            EXPECT_LE(op.args[0] + recording.MeasureText(op.text).Width, 800) << op.text;
            caption += op.text + " ";
        }
    for (const char* part :
         {"Анализ варианта 4: W(s) = 2 / (s³ + 3s² + 3s + 1) · exp(-1·s)", "K = 1,00,",
          "ΔT = 0,250 с: Замкнутая система устойчива", "Запас по амплитуде", "Запас по фазе",
          "Запас по запаздыванию 0,289 с", "Kкр =", "Перерегулирование …"})
        EXPECT_NE(caption.find(part), std::string::npos) << part << " in " << caption;
}

// The variant as a textbook writes it: no factor 1, powers raised, the decimal comma.
TEST(ExplorationPicture, TheVariantAsAFormula)
{
    const std::pair<const char*, const char*> cases[] = {
        {"2:1,3,3,1:1", "W(s) = 2 / (s³ + 3s² + 3s + 1) · exp(-1·s)"},
        {"-0.5,1:1,0,2.5", "W(s) = (-0,5s + 1) / (s² + 2,5)"},
        {"1:1,1,0", "W(s) = 1 / (s² + s)"},
        {"3,0:2,-1,0,0:0.25", "W(s) = 3s / (2s³ - s²) · exp(-0,25·s)"},
    };
    for (const auto& [text, formula] : cases)
        EXPECT_EQ(TransferFunctionFormula(Parse(text)), formula) << text;
}

// Degree 15 with a delay at the far ends of both sliders: every figure is a number.
TEST(ExplorationPicture, ExtremePositionsStayFinite)
{
    Exploration exploration(
        Parse("1:1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,105,15,1:2"), 1);
    ASSERT_FALSE(exploration.SetGain(kMostExploredGain));
    ASSERT_FALSE(exploration.SetExtraDelay(exploration.DelayRangeEnd()));
    ASSERT_TRUE(exploration.Refusal().empty());
    exploration.ComputeStep();
    EXPECT_EQ(exploration.Lines().front(), "Замкнутая система неустойчива");
    for (const std::string& line : exploration.Lines()) {
        EXPECT_EQ(line.find("Nan"), std::string::npos) << line;
        EXPECT_EQ(line.find("Inf"), std::string::npos) << line;
    }
    RecordingSurface recording;
    DrawExplorationPictures(recording, exploration, {1000, 600});
    EXPECT_GT(recording.ops().size(), 50u);
}

} // namespace
} // namespace nirdal
