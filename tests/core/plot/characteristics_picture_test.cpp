// SPDX-License-Identifier: MIT
#include "core/plot/characteristics_picture.h"

#include "core/common/recording_surface.h"
#include "core/tf/tf_text.h"

#include "support/variant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace nirdal {
namespace {

using test_support::Tf;

struct TextBox
{
    std::string text; // UTF-8
    int left, top, right, bottom;
};

// The texts drawn, each in the room the nominal screen font gives it.
std::vector<TextBox> Texts(const std::vector<DrawOp>& ops)
{
    std::vector<TextBox> boxes;
    int points = 10;
    for (const DrawOp& op : ops) {
        if (op.kind == DrawOp::Kind::FontSize)
            points = op.args[0];
        if (op.kind != DrawOp::Kind::Text)
            continue;
        const TextExtent e = NominalTextExtent(points, kScreenDotsPerInch, op.text);
        boxes.push_back({op.text, op.args[0], op.args[1], op.args[0] + e.Width,
                         op.args[1] + e.LineSpacing});
    }
    return boxes;
}

void ExpectInside(const std::vector<DrawOp>& ops, const DeviceRect& a)
{
    const auto inside = [&](int x, int y) {
        return x >= a.Left && x <= a.Left + a.Width && y >= a.Top && y <= a.Top + a.Height;
    };
    for (const DrawOp& op : ops) {
        if (op.kind == DrawOp::Kind::Move || op.kind == DrawOp::Kind::Line) {
            EXPECT_TRUE(inside(op.args[0], op.args[1])) << RecordingSurface::Describe(op);
        } else if (op.kind == DrawOp::Kind::Arc) {
            EXPECT_TRUE(inside(op.args[0], op.args[1]) && inside(op.args[2], op.args[3]))
                << RecordingSurface::Describe(op);
        }
    }
    for (const TextBox& t : Texts(ops))
        EXPECT_TRUE(inside(t.left, t.top) && inside(t.right, t.bottom)) << t.text;
}

void ExpectNoOverlap(const std::vector<DrawOp>& ops)
{
    const std::vector<TextBox> boxes = Texts(ops);
    for (std::size_t i = 0; i < boxes.size(); ++i)
        for (std::size_t j = i + 1; j < boxes.size(); ++j) {
            const TextBox &a = boxes[i], &b = boxes[j];
            const bool apart =
                a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
            // An exponent sits against its "10" by design.
            const bool exponent = a.text == "10" && b.left == a.right;
            EXPECT_TRUE(apart || exponent) << "'" << a.text << "' and '" << b.text << "'";
        }
}

struct StepPictureFixture
{
    std::vector<StepResponse> responses;
    std::vector<StepPictureCurve> curves;
    StepPictureFixture()
    {
        responses.push_back(ComputeStepResponse(Tf("2:1,3,3,1", 1), 40, 401));
        responses.push_back(ComputeStepResponse(Tf("1:1,1,0"), 40, 401));
        responses.push_back(ComputeStepResponse(Tf("16:1,3,3,1"), 40, 401));
        for (std::size_t i = 0; i < responses.size(); ++i)
            curves.push_back({&responses[i], Rgb{static_cast<std::uint8_t>(100 * i), 0, 0}});
    }
};

TEST(CharacteristicsPicture, TheStepPictureStaysInItsRectangleAndItsTextsApart)
{
    const StepPictureFixture f;
    for (const DeviceRect area : {DeviceRect{0, 0, 900, 560}, DeviceRect{120, 70, 500, 320}}) {
        RecordingSurface surface;
        DrawStepResponsePicture(surface, area, f.curves);
        ASSERT_GT(surface.ops().size(), 100u);
        ExpectInside(surface.ops(), area);
        ExpectNoOverlap(surface.ops());
    }
}

TEST(CharacteristicsPicture, TheBodePictureStaysInItsRectangleAndItsTextsApart)
{
    std::vector<LogCharacteristics> logs{
        ComputeLogCharacteristics(Tf("10:1,11,10,0"), 0.1L, 100, 401),
        ComputeLogCharacteristics(Tf("2:1,3,3,1", 1), 0.1L, 100, 401)};
    std::vector<LogPictureCurve> curves{{&logs[0], {128, 0, 0}}, {&logs[1], {0, 128, 0}}};
    for (const DeviceRect area : {DeviceRect{0, 0, 900, 700}, DeviceRect{30, 200, 600, 420}}) {
        RecordingSurface surface;
        DrawLogCharacteristicsPicture(surface, area, curves);
        ExpectInside(surface.ops(), area);
        ExpectNoOverlap(surface.ops());
        // Decades 10^-1 … 10^2, each "10" with its exponent just right of it and raised.
        std::map<std::string, int> exponents;
        const std::vector<TextBox> texts = Texts(surface.ops());
        for (const TextBox& ten : texts)
            if (ten.text == "10")
                for (const TextBox& e : texts)
                    if (e.left == ten.right && e.top < ten.top)
                        exponents[e.text] = ten.left;
        ASSERT_EQ(exponents.size(), 4u);
        EXPECT_LT(exponents["-1"], exponents["0"]);
        EXPECT_LT(exponents["1"], exponents["2"]);
        // Equal decades: 10^0 − 10^−1 as wide as 10^2 − 10^1 within the rounding of labels.
        EXPECT_NEAR(exponents["0"] - exponents["-1"], exponents["2"] - exponents["1"], 2);
    }
}

// The y of a grid line labelled text: the label is centred on it.
std::optional<int> LabelY(const std::vector<TextBox>& texts, const std::string& text)
{
    for (const TextBox& t : texts)
        if (t.text == text)
            return (t.top + t.bottom) / 2;
    return std::nullopt;
}

TEST(CharacteristicsPicture, TheSteadyValueIsDrawnWhereTheAxisPutsIt)
{
    // 2·exp(−s)/(s + 1)³ settles at 2/3: its dashed line lies two thirds of the way from the
    // label "0,0" to "1,0".
    const StepResponse r = ComputeStepResponse(Tf("2:1,3,3,1", 1), 40, 401);
    const StepPictureCurve curve{&r, {0, 0, 200}};
    RecordingSurface surface;
    DrawStepResponsePicture(surface, {0, 0, 900, 560}, std::span(&curve, 1));
    const std::vector<TextBox> texts = Texts(surface.ops());
    const auto zero = LabelY(texts, "0,0"), one = LabelY(texts, "1,0");
    ASSERT_TRUE(zero && one);
    const double expected = *zero + (*one - *zero) * 2.0 / 3;
    // The dashed and dotted lines in the curve's colour: many short horizontal strokes at
    // each of h∞ and h∞·(1 ± 5 %).
    bool blue = false;
    std::optional<std::pair<int, int>> from;
    std::map<int, int> strokes; // y → count
    for (const DrawOp& op : surface.ops()) {
        if (op.kind == DrawOp::Kind::Pen)
            blue = op.colour == Rgb{0, 0, 200};
        if (op.kind == DrawOp::Kind::Move)
            from = {op.args[0], op.args[1]};
        if (blue && op.kind == DrawOp::Kind::Line && from && from->second == op.args[1])
            ++strokes[op.args[1]];
        if (op.kind == DrawOp::Kind::Line)
            from = {op.args[0], op.args[1]};
    }
    std::vector<int> lines;
    for (const auto& [y, count] : strokes)
        if (count >= 10 && y < *zero - 2) // not the dead time along h = 0
            lines.push_back(y);
    ASSERT_EQ(lines.size(), 3u);
    const double band = (*one - *zero) * 2.0 / 3 * 0.05;
    EXPECT_NEAR(lines[0], expected + band, 1.5); // y grows downward: the upper edge first
    EXPECT_NEAR(lines[1], expected, 1.5);
    EXPECT_NEAR(lines[2], expected - band, 1.5);
    // The legend tells σ and tр from the indicators.
    const bool legend = std::any_of(texts.begin(), texts.end(), [](const TextBox& t) {
        return t.text.find(" = ") != std::string::npos && t.text.find("%") != std::string::npos;
    });
    EXPECT_TRUE(legend);
}

// ω, φ, σ and ∞ are letters of the font: each title is one text, and no arc is drawn
// but the rings of the marks.
TEST(CharacteristicsPicture, GreekLettersAndInfinityAreTextNotStrokes)
{
    const LogCharacteristics l = ComputeLogCharacteristics(Tf("10:1,1"), 0.1L, 100, 401);
    const LogPictureCurve log[] = {{&l, {200, 0, 0}}};
    RecordingSurface logarithmic;
    DrawLogCharacteristicsPicture(logarithmic, {0, 0, 700, 500}, log);
    const StepResponse r = ComputeStepResponse(Tf("1:1,1,1"), 20, 401);
    const StepPictureCurve step[] = {{&r, {0, 0, 200}}};
    RecordingSurface stepPicture;
    DrawStepResponsePicture(stepPicture, {0, 0, 700, 500}, step);
    std::vector<std::string> texts;
    int arcs = 0;
    for (const RecordingSurface* s : {&logarithmic, &stepPicture})
        for (const DrawOp& op : s->ops()) {
            arcs += op.kind == DrawOp::Kind::Arc;
            if (op.kind == DrawOp::Kind::Text)
                texts.push_back(op.text);
        }
    for (const char* title : {"ЛАЧХ L(ω), дБ", "ЛФЧХ φ(ω), град", "ω, рад/с", "h∞", "σ"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), title), texts.end()) << title;
    EXPECT_EQ(arcs, 2); // the crossover's ring and the peak's
}

} // namespace
} // namespace nirdal

namespace nirdal {
namespace {

TEST(CharacteristicsPicture, ExtremeNumbersStayInsideAndEndInTime)
{
    // A span so short that its grid step underflows to 0, and a phase so far down that 630°
    // vanish in its rounding: no grid is drawn that cannot be, nothing leaves the rectangle.
    const StepResponse tiny = ComputeStepResponse(Tf("1:1,1"), 1e-4940L, 3);
    ASSERT_EQ(tiny.Failure, "");
    const StepPictureCurve step{&tiny, {0, 0, 0}};
    LogCharacteristics far;
    for (const Extended degrees : {-1e4000L, -2e4000L})
        far.Points.push_back({degrees == -1e4000L ? 1.0L : 10.0L, -20, degrees, -20});
    const LogPictureCurve log{&far, {0, 0, 0}};
    const DeviceRect area{5, 5, 500, 300};
    RecordingSurface surface;
    DrawStepResponsePicture(surface, area, std::span(&step, 1));
    DrawLogCharacteristicsPicture(surface, area, std::span(&log, 1));
    ExpectInside(surface.ops(), area);
    EXPECT_LT(surface.ops().size(), 5000u);
}

} // namespace
} // namespace nirdal
