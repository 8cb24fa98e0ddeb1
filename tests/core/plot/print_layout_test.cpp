// SPDX-License-Identifier: MIT
// The printed page's texts on sheets of real size: the designed places where 10-point text
// fits them, the font's own spacing where it does not, broken and continued lines.
#include "core/common/recording_surface.h"
#include "core/plot/plot.h"
#include "core/plot/print_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace nirdal {
namespace {

using Kind = DrawOp::Kind;

// One text as the recording placed it, with the room the nominal font gives it.
struct TextBox
{
    int sheet;
    int x;
    int y;
    int width;
    int height;
    std::string text;
};

class PrintLayoutTest : public testing::Test
{
protected:
    void SetUp() override
    {
        assignment.Variants.assign(1, TransferFunction{});
        assignment.VariantCount = 0;
    }

    Assignment assignment;

    // A variant 1 / (a·s + 1) of degree 1.
    void AddFirstOrder(Extended a)
    {
        TransferFunction& variant = Add();
        variant.A[1] = a;
        variant.A[0] = 1;
        variant.B[0] = 1;
    }

    // The largest variant: n = 15, m = 14, a delay, every coefficient 1.23E-4 wide.
    void AddLargest()
    {
        TransferFunction& variant = Add();
        variant.DenominatorDegree = 15;
        variant.NumeratorDegree = 14;
        variant.A.fill(-1.23e-4L);
        variant.B.fill(-4.56e-3L);
        variant.Delay = 0.5L;
    }

    PrintedPage Draw(RecordingSurface& page, Extended dotsPerUnit)
    {
        PlotFields fields;
        EXPECT_EQ(SetDotsPerUnit(fields, dotsPerUnit), std::nullopt);
        return DrawPrintPage(page, fields, assignment, "Иванов И.И.");
    }

    static std::vector<TextBox> Boxes(const RecordingSurface& page, int dotsPerInch)
    {
        std::vector<TextBox> boxes;
        int sheet = 0;
        int points = 0;
        for (const DrawOp& op : page.ops()) {
            if (op.kind == Kind::Page)
                ++sheet;
            else if (op.kind == Kind::FontSize)
                points = op.args[0];
            if (op.kind != Kind::Text)
                continue;
            const TextExtent extent = NominalTextExtent(points, dotsPerInch, op.text);
            boxes.push_back({sheet, op.args[0], op.args[1], extent.Width, extent.LineSpacing,
                             op.text});
        }
        return boxes;
    }

    // The texts after the last curve: the summary lines.
    static std::vector<TextBox> SummaryBoxes(const RecordingSurface& page, int dotsPerInch)
    {
        int textsBefore = 0;
        for (const DrawOp& op : page.ops()) {
            if (op.kind == Kind::Pen)
                textsBefore = 0;
            else if (op.kind == Kind::Text)
                ++textsBefore;
        }
        std::vector<TextBox> boxes = Boxes(page, dotsPerInch);
        return {boxes.end() - textsBefore, boxes.end()};
    }

private:
    TransferFunction& Add()
    {
        ++assignment.VariantCount;
        PrepareVariantSlot(assignment, assignment.VariantCount);
        return assignment.Variants[assignment.VariantCount];
    }
};

TEST_F(PrintLayoutTest, A4SheetsInDots)
{
    // 210 × 297 mm at 100, 300 and 600 dots per inch: 826.8 × 1169.3, … rounded.
    EXPECT_EQ(A4Sheet(100), (DeviceSize{827, 1169}));
    EXPECT_EQ(A4Sheet(300), (DeviceSize{2480, 3508}));
    EXPECT_EQ(A4Sheet(600), (DeviceSize{4961, 7016}));
}

TEST_F(PrintLayoutTest, AtOneHundredDotsPerInchEveryTextStandsWhereDesigned)
{
    AddFirstOrder(1);
    AddFirstOrder(2);
    AddFirstOrder(3);
    RecordingSurface page(100, A4Sheet(100));
    const PrintedPage printed = Draw(page, 100);

    EXPECT_EQ(printed.Sheets, 1);
    EXPECT_EQ(printed.Origin.x, 375);
    EXPECT_EQ(printed.Origin.y, 225);
    EXPECT_EQ(printed.AxesRight, 799);
    EXPECT_EQ(printed.AxesBottom, 449);
    const std::vector<TextBox> boxes = Boxes(page, 100);
    EXPECT_EQ((std::vector{boxes[0].x, boxes[0].y}), (std::vector{20, 30})); // surname
    EXPECT_EQ((std::vector{boxes[1].x, boxes[1].y}), (std::vector{20, 5}));  // heading
    // The labels at the screen's distances: "-3" at (375 - 300 - 5, 225 - 15).
    EXPECT_EQ((std::vector{boxes[2].x, boxes[2].y}), (std::vector{70, 210}));
    const std::vector<TextBox> lines = SummaryBoxes(page, 100);
    ASSERT_EQ(lines.size(), 3u);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(lines[i - 1].x, 20);
        EXPECT_EQ(lines[i - 1].y, 375 + 100 + 21 * i); // Origin.x + PixelsPerUnitX + 21·i
        EXPECT_EQ(lines[i - 1].text, VariantSummaryLine(assignment, i));
    }
}

TEST_F(PrintLayoutTest, TallerTextNeverOverlapsAndLinesBreakBetweenEntries)
{
    struct Case
    {
        int dotsPerInch;
        int dotsPerUnit;
    };
    for (const Case c : {Case{300, 100}, Case{300, 300}, Case{600, 300}}) {
        SCOPED_TRACE(testing::Message() << c.dotsPerInch << " dpi, " << c.dotsPerUnit << " dots");
        SetUp();
        AddFirstOrder(1);
        AddLargest();
        AddFirstOrder(2);
        const DeviceSize sheet = A4Sheet(c.dotsPerInch);
        RecordingSurface page(c.dotsPerInch, sheet);
        Draw(page, c.dotsPerUnit);

        const std::vector<TextBox> boxes = Boxes(page, c.dotsPerInch);
        for (std::size_t a = 0; a < boxes.size(); ++a) {
            const TextBox& box = boxes[a];
            EXPECT_TRUE(box.x >= 0 && box.y >= 0 && box.x + box.width <= sheet.Width &&
                        box.y + box.height <= sheet.Height)
                << box.text << " at " << box.x << ", " << box.y;
            for (std::size_t b = a + 1; b < boxes.size(); ++b) {
                const TextBox& other = boxes[b];
                const bool apart = box.sheet != other.sheet || box.x + box.width <= other.x ||
                                   other.x + other.width <= box.x ||
                                   box.y + box.height <= other.y ||
                                   other.y + other.height <= box.y;
                EXPECT_TRUE(apart) << box.text << " and "
                                   << other.text;
            }
        }

        // Each variant's lines: the first at the left edge, the others indented, and each
        // made of whole entries, so that they join into the variant's summary line.
        const std::vector<TextBox> lines = SummaryBoxes(page, c.dotsPerInch);
        std::size_t next = 0;
        for (int i = 1; i <= assignment.VariantCount; ++i) {
            const std::vector<std::string> entries = VariantSummaryEntries(assignment, i);
            std::size_t entry = 0;
            std::string joined;
            for (bool first = true; entry < entries.size(); first = false) {
                ASSERT_LT(next, lines.size());
                const TextBox& line = lines[next++];
                EXPECT_EQ(line.x > 20, !first);
                std::string expected;
                while (entry < entries.size() && expected.size() < line.text.size())
                    expected += entries[entry++];
                EXPECT_EQ(line.text, expected); // ends where an entry ends
                joined += line.text;
            }
            EXPECT_EQ(joined, VariantSummaryLine(assignment, i));
        }
        EXPECT_EQ(next, lines.size());
        EXPECT_GT(lines.size(), 3u); // the largest variant takes more than one line
    }
}

TEST_F(PrintLayoutTest, SixtyVariantsGoOnToASecondSheet)
{
    for (int i = 1; i <= 60; ++i)
        AddFirstOrder(i);
    RecordingSurface page(300, A4Sheet(300));
    const PrintedPage printed = Draw(page, 300);

    // The lines start at 1489 and follow 49 dots apart (see the plot command's test); a line
    // fits while its top is at most 3508 - 49: 41 lines on the first sheet.
    EXPECT_EQ(printed.Sheets, 2);
    const std::vector<TextBox> lines = SummaryBoxes(page, 300);
    ASSERT_EQ(lines.size(), 60u);
    for (int i = 1; i <= 60; ++i) {
        const TextBox& line = lines[static_cast<std::size_t>(i - 1)];
        EXPECT_EQ(line.text, VariantSummaryLine(assignment, i));
        EXPECT_EQ(line.sheet, i <= 41 ? 0 : 1);
        EXPECT_EQ(line.y, i <= 41 ? 1489 + 49 * (i - 1) : 5 + 49 * (i - 42));
    }
    // The picture stays on the first sheet: the page break comes after every curve.
    const auto& ops = page.ops();
    const auto pageBreak = std::find_if(ops.begin(), ops.end(),
                                        [](const DrawOp& op) { return op.kind == Kind::Page; });
    ASSERT_NE(pageBreak, ops.end());
    EXPECT_TRUE(std::none_of(pageBreak, ops.end(), [](const DrawOp& op) {
        return op.kind == Kind::Line || op.kind == Kind::Pen;
    }));
}

} // namespace
} // namespace nirdal
