// SPDX-License-Identifier: MIT
#include "core/common/recording_surface.h"
#include "core/response/listing.h"

#include <gtest/gtest.h>

#include <ostream>

namespace nirdal {
namespace {

TEST(ListingLineText, PlacesTheThreeNumbersWholeAtPositionsOneTwelveAndTwentyFour)
{
    EXPECT_EQ(ListingLineText({18, 0.003077L, -0.05539L}), "18.0       3.07E-3     -5.53E-2");
    EXPECT_EQ(ListingLineText({18, 1.0L / 325, -18.0L / 325}), "18.0       3.07E-3     -5.53E-2");
    // 2^40 = 1099511627776, 2^-20 = 9.5367431640625e-7, 2^-10 = 9.765625e-4.
    EXPECT_EQ(ListingLineText({0x1p40L, -0x1p-20L, -0x1p-10L}),
              "1.09E12    -9.53E-7    -9.76E-4");
    EXPECT_EQ(ListingLineText({0.5L, 0, 0}), "0.500      00          00");
    EXPECT_EQ(ListingLineText({-1.25e300L, -1.25e300L, -1.25e300L}),
              "-1.25E300  -1.25E300   -1.25E300");
}

struct LinePlace
{
    std::uint16_t line;
    int x, y;
};

void PrintTo(const LinePlace& c, std::ostream* out)
{
    *out << "line " << c.line;
}

class ListingLinePlace : public testing::TestWithParam<LinePlace>
{
};

TEST_P(ListingLinePlace, FollowsTheTwoColumns)
{
    RecordingSurface surface;
    WriteListingLine(surface, {18, 0.003077L, -0.05539L}, GetParam().line);
    ASSERT_EQ(surface.ops().size(), 1u);
    const DrawOp& op = surface.ops()[0];
    EXPECT_EQ(op.kind, DrawOp::Kind::Text);
    EXPECT_EQ(op.args[0], GetParam().x);
    EXPECT_EQ(op.args[1], GetParam().y);
    EXPECT_EQ(op.text, "18.0       3.07E-3     -5.53E-2");
}

INSTANTIATE_TEST_SUITE_P(Lines, ListingLinePlace,
                         testing::Values(LinePlace{2, 10, 70}, LinePlace{24, 10, 290},
                                         LinePlace{25, 260, 70}, LinePlace{46, 260, 280}));

TEST(WriteListingHeader, WritesBothRowsAboveEachColumn)
{
    RecordingSurface surface;
    WriteListingHeader(surface);
    const std::string top = " частота  частотные характеристики ";
    const std::string bottom = " рад..с   вещественные   мнимая ";
    const std::vector<DrawOp> expected = {
        {DrawOp::Kind::Text, {10, 40}, {}, top},
        {DrawOp::Kind::Text, {10, 50}, {}, bottom},
        {DrawOp::Kind::Text, {260, 40}, {}, top},
        {DrawOp::Kind::Text, {260, 50}, {}, bottom},
    };
    EXPECT_EQ(surface.ops(), expected);
}

class FillRemainingSlotsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        for (int k = kFirstSlot; k <= kLastSlot; ++k)
            store[k] = {static_cast<Extended>(k), -1.0L * k, 0.5L * k};
        original = store;
    }
    ResponseArrays store, original;
};

TEST_F(FillRemainingSlotsTest, CopiesTheLastComputedPointToTheEnd)
{
    FillRemainingSlots(store, 48);
    for (int k = kFirstSlot; k <= 47; ++k)
        EXPECT_EQ(store[k], original[k]) << k;
    for (int k = 48; k <= kLastSlot; ++k)
        EXPECT_EQ(store[k], original[47]) << k;
}

TEST_F(FillRemainingSlotsTest, ChangesNothingPastTheEndOrBeforeTheSweep)
{
    for (std::uint16_t from : {201, 300, 65535, 0, 1, 2}) {
        FillRemainingSlots(store, from);
        EXPECT_EQ(store, original) << from;
    }
    FillRemainingSlots(store, 200);
    EXPECT_EQ(store[200], original[199]);
}

} // namespace
} // namespace nirdal
