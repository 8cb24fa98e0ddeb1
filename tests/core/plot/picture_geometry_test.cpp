// SPDX-License-Identifier: MIT
#include "core/plot/picture_geometry.h"

#include "core/common/recording_surface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace nirdal {
namespace {

TEST(PictureGeometry, StepsAreOneTwoOrFiveTimesAPowerOfTen)
{
    struct Case
    {
        Extended range;
        int most;
        Extended step;
    };
    // range / most rounded up to the next 1, 2 or 5 of its decade.
    for (const Case& c : {Case{10, 5, 2}, Case{7, 10, 1}, Case{0.3L, 4, 0.1L}, Case{250, 4, 100},
                          Case{45, 9, 5}, Case{0, 3, 1}, Case{-5, 3, 1},
                          Case{std::numeric_limits<Extended>::infinity(), 3, 1}})
        EXPECT_NEAR(NiceStep(c.range, c.most), c.step, c.step * 1e-15L) << c.range << " / " << c.most;

    // Degrees: the first of 15, 30, 45, 90, 180 that needs no more than `most` steps, beyond
    // them 360 times a nice step of turns.
    for (const Case& c : {Case{90, 6, 15}, Case{180, 6, 30}, Case{630, 4, 180}, Case{720, 3, 360},
                          Case{3600, 4, 1800}})
        EXPECT_NEAR(DegreeStep(c.range, c.most), c.step, c.step * 1e-15L) << c.range;
}

TEST(PictureGeometry, TickLabelsAndValues)
{
    struct Case
    {
        Extended value, step;
        const char* text;
    };
    for (const Case& c : {Case{0.5L, 0.1L, "0,5"}, Case{20, 10, "20"}, Case{-180, 30, "-180"},
                          Case{0.25L, 0.05L, "0,25"}, Case{1e-9L, 0.1L, "0,0"},
                          Case{2.5e9L, 1e9L, "2,500·10⁹"}, Case{3e-7L, 1e-7L, "3,000·10⁻⁷"}})
        EXPECT_EQ(TickNumber(c.value, c.step), c.text) << c.text;

    EXPECT_EQ(TickValues(-1, 2.5L, 1), (std::vector<Extended>{-1, 0, 1, 2}));
    EXPECT_TRUE(TickValues(0, 1, 0).empty());
    EXPECT_TRUE(TickValues(0, 1e6L, 1).empty()); // a million lines are not drawn
}

// Ticks of a time axis 0…10 s across 100…600 and of an upward axis −20…20 dB from 400 up to
// 0, in device units.
TEST(PictureGeometry, TicksLandOnWholeDeviceUnits)
{
    const Scale time{0, 10, 100, 600};
    std::vector<int> xs;
    for (const Extended t : TickValues(time.From, time.To, NiceStep(10, 5)))
        xs.push_back(DeviceUnits(time(t)));
    EXPECT_EQ(xs, (std::vector<int>{100, 200, 300, 400, 500, 600}));

    const Scale db{-20, 20, 400, 0};
    std::vector<int> ys;
    for (const Extended v : TickValues(db.From, db.To, NiceStep(40, 4)))
        ys.push_back(DeviceUnits(db(v)));
    EXPECT_EQ(ys, (std::vector<int>{400, 300, 200, 100, 0}));

    // Ties go to the even neighbour; what is not a number to 0; far values stop at 1e8.
    EXPECT_EQ(DeviceUnits(2.5L), 2);
    EXPECT_EQ(DeviceUnits(3.5L), 4);
    EXPECT_EQ(DeviceUnits(-2.5L), -2);
    EXPECT_EQ(DeviceUnits(std::nanl("")), 0);
    EXPECT_EQ(DeviceUnits(1e20L), 100000000);
}

TEST(PictureGeometry, ClippingFramesAndRings)
{
    const DeviceRect r{50, 0, 100, 100};
    Extended x0 = 0, y0 = 50, x1 = 200, y1 = 50;
    ASSERT_TRUE(ClipSegment(x0, y0, x1, y1, r));
    EXPECT_EQ((std::vector<Extended>{x0, y0, x1, y1}), (std::vector<Extended>{50, 50, 150, 50}));
    // y = x − 50 enters at the top edge and leaves at the bottom one.
    x0 = 0, y0 = -50, x1 = 200, y1 = 150;
    ASSERT_TRUE(ClipSegment(x0, y0, x1, y1, r));
    EXPECT_EQ((std::vector<Extended>{x0, y0, x1, y1}), (std::vector<Extended>{50, 0, 150, 100}));
    x0 = 0, y0 = 0, x1 = 40, y1 = 40;
    EXPECT_FALSE(ClipSegment(x0, y0, x1, y1, r));

    RecordingSurface surface;
    DrawFrame(surface, {10, 20, 110, 70}, {1, 2, 3});
    DrawRing(surface, 30, 40, 5);
    const std::vector<std::string> expected{"pen 1 #010203", "move 10 20", "line 110 20",
                                            "line 110 70",   "line 10 70", "line 10 20",
                                            "arc 25 35 35 45 35 40 35 40"};
    std::vector<std::string> drawn;
    for (const DrawOp& op : surface.ops())
        drawn.push_back(RecordingSurface::Describe(op));
    EXPECT_EQ(drawn, expected);
}

// Texts are UTF-8: the nominal font measures characters, not bytes. At 10 points and 96 dots
// per inch an em is 13⅓ dots: three characters take ⌈3 · 0.62 · 13⅓⌉ = 25, a line ⌈15.6⌉ = 16.
TEST(PictureGeometry, NominalTextCountsCharactersNotBytes)
{
    EXPECT_EQ(NominalTextExtent(10, 96, "ЖЖЖ"), (TextExtent{25, 16}));
    EXPECT_EQ(NominalTextExtent(10, 96, "ω·Δ"), (TextExtent{25, 16}));
    EXPECT_EQ(NominalTextExtent(10, 96, "abc"), (TextExtent{25, 16}));
}

} // namespace
} // namespace nirdal
