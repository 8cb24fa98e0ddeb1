// SPDX-License-Identifier: MIT
#include "core/plot/stability_map_picture.h"

#include "core/common/recording_surface.h"
#include "core/plot/picture_geometry.h"
#include "core/tf/tf_text.h"

#include "support/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdlib>

namespace nirdal {
namespace {

using test_support::Tf;

struct Segment
{
    Rgb pen;
    int x0, y0, x1, y1;
};

std::vector<Segment> Segments(const std::vector<DrawOp>& ops)
{
    std::vector<Segment> segments;
    Rgb pen;
    int x = 0, y = 0;
    for (const DrawOp& op : ops) {
        if (op.kind == DrawOp::Kind::Pen)
            pen = op.colour;
        if (op.kind == DrawOp::Kind::Line)
            segments.push_back({pen, x, y, op.args[0], op.args[1]});
        if (op.kind == DrawOp::Kind::Move || op.kind == DrawOp::Kind::Line) {
            x = op.args[0];
            y = op.args[1];
        }
    }
    return segments;
}

// 1/(s + 1)³ over K from 0.01 to 100 and ΔT to 2 s in a picture 900 × 640: the box's
// place follows from the layout, the rest from the closed forms. K = 8 lies 0.7258 of the
// way across (lg 800 / 4); below K = 1, half-way, every ΔT is stable.
TEST(StabilityMapPicture, ShadeCurvesAndMarkStandWhereTheClosedFormPutsThem)
{
    const StabilityMap map = ComputeStabilityMap(Tf("1:1,3,3,1"), {0.01L, 100, 2});
    ASSERT_TRUE(map.Failure.empty()) << map.Failure.English;
    RecordingSurface surface;
    const DeviceRect area{0, 0, 900, 640};
    const DeviceRect box = StabilityMapBox(surface, area);
    surface.clear();
    DrawStabilityMapPicture(surface, area, map);
    const auto& ops = surface.ops();
    const int bottom = box.Top + box.Height;
    const auto across = [&](Extended fraction) { return box.Left + fraction * box.Width; };

    // The ring of Kкр centred at (x(8), bottom), labelled.
    const Extended x8 = across(std::log10(800.0L) / 4);
    bool ring = false;
    for (const DrawOp& op : ops)
        if (op.kind == DrawOp::Kind::Arc && std::abs((op.args[0] + op.args[2]) / 2.0 - double(x8)) <= 1 &&
            std::abs((op.args[1] + op.args[3]) / 2.0 - bottom) <= 1)
            ring = true;
    EXPECT_TRUE(ring);
    bool label = false;
    for (const DrawOp& op : ops)
        label = label || (op.kind == DrawOp::Kind::Text && op.text == "Kкр = 8,00");
    EXPECT_TRUE(label);

    int shadedLeft = 0;
    for (const Segment& s : Segments(ops)) {
        if (s.pen == kBoundaryPen) {
            // Clipped to the box.
            for (const auto& [x, y] : {std::pair{s.x0, s.y0}, std::pair{s.x1, s.y1}}) {
                EXPECT_GE(x, box.Left);
                EXPECT_LE(x, box.Left + box.Width);
                EXPECT_GE(y, box.Top);
                EXPECT_LE(y, bottom);
            }
        }
        if (s.pen == kStableShade && s.x0 == s.x1 && s.x0 > box.Left && s.x0 < box.Left + box.Width) {
            // Nothing stable right of K = 8 at ΔT = 0, nor right of K = 1 above the curve
            // ΔT_0(ω) = (π − 3·atan ω)/ω, which reaches 2 s at K = 1.2 or so.
            EXPECT_LT(std::max(s.x0, s.x1), x8 + 2);
            if (s.x0 < across(0.5L) - 1) {
                EXPECT_EQ(std::max(s.y0, s.y1), bottom);
                EXPECT_EQ(std::min(s.y0, s.y1), box.Top);
                ++shadedLeft;
            }
        }
    }
    // Every pixel column left of K = 1 shaded from ΔT = 0 to the top.
    EXPECT_GE(shadedLeft, box.Width / 2 - 3);
}

// A click turns into the (K, ΔT) the axes give it.
TEST(StabilityMapPicture, ClickReadsTheGainAndTheDelay)
{
    const StabilityMap map = ComputeStabilityMap(Tf("1:1,3,3,1"), {0.01L, 100, 2});
    const DeviceRect box{100, 50, 400, 200};
    const auto centre = StabilityMapPointAt(map, box, 300, 150);
    ASSERT_TRUE(centre.has_value());
    EXPECT_NEAR(centre->first, 1, 1e-15L);
    EXPECT_NEAR(centre->second, 1, 1e-15L);
    const auto corner = StabilityMapPointAt(map, box, 500, 50);
    ASSERT_TRUE(corner.has_value());
    EXPECT_NEAR(corner->first, 100, 1e-12L);
    EXPECT_NEAR(corner->second, 2, 1e-15L);
    EXPECT_FALSE(StabilityMapPointAt(map, box, 99, 100).has_value());
}

// On a map as small as the analysis window's at 1024 × 768, the count of each region and the
// marks' labels lie off the boundary curves: 2/(s + 1)³·e^(−s) has the stable region (Z = 0)
// left of the k = 0 curve and Z = 2 right of it, which its label once crossed.
TEST(StabilityMapPicture, LabelsOfRegionsAndMarksCrossNoCurve)
{
    const StabilityMap map = ComputeStabilityMap(Tf("2:1,3,3,1:1"), {0.01L, 100, 2.2L});
    ASSERT_TRUE(map.Failure.empty()) << map.Failure.English;
    RecordingSurface surface;
    DrawStabilityMapPicture(surface, {0, 0, 470, 245}, map);
    std::vector<Segment> curves;
    for (const Segment& s : Segments(surface.ops()))
        if (s.pen == kBoundaryPen)
            curves.push_back(s);
    ASSERT_FALSE(curves.empty());
    int points = 10;
    std::vector<std::string> counts;
    for (const DrawOp& op : surface.ops()) {
        if (op.kind == DrawOp::Kind::FontSize)
            points = op.args[0];
        const bool count = op.text.starts_with("Z = ");
        if (op.kind != DrawOp::Kind::Text ||
            !(count || op.text.starts_with("Kкр") || op.text.starts_with("запас")))
            continue;
        if (count)
            counts.push_back(op.text);
        const TextExtent extent = NominalTextExtent(points, kScreenDotsPerInch, op.text);
        const DeviceRect label{op.args[0], op.args[1], extent.Width, extent.LineSpacing};
        for (const Segment& c : curves) {
            Extended x0 = c.x0, y0 = c.y0, x1 = c.x1, y1 = c.y1;
            EXPECT_FALSE(ClipSegment(x0, y0, x1, y1, label))
                << op.text << " crosses the curve from " << c.x0 << "," << c.y0 << " to " << c.x1
                << "," << c.y1;
        }
    }
    EXPECT_NE(std::find(counts.begin(), counts.end(), "Z = 2"), counts.end());
}

} // namespace
} // namespace nirdal
