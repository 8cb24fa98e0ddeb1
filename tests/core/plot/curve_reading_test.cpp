// SPDX-License-Identifier: MIT
#include "core/plot/curve_reading.h"
#include "core/tf/transfer_function.h"

#include <gtest/gtest.h>

#include <limits>

namespace nirdal {
namespace {

// The screen picture has its origin at (375, 225) with 100 pixels per unit across and 110
// up: U = 1, V = 0 is drawn at (475, 225) and U = 0, V = −1 at (375, 335).
class CurveReadingTest : public testing::Test
{
protected:
    void SetUp() override
    {
        assignment.Variants.assign(1, TransferFunction{});
        assignment.VariantCount = 0;
    }

    Assignment assignment;

    // A variant whose curve runs from `first` to `second`; the store holds `second` from
    // slot 2 on, as the sweep leaves it after its last point.
    void AddVariant(ResponsePoint first, ResponsePoint second)
    {
        ++assignment.VariantCount;
        PrepareVariantSlot(assignment, assignment.VariantCount);
        ResponseArrays& points = assignment.Variants[assignment.VariantCount].ResponseArrays;
        points[1] = first;
        for (int k = 2; k <= kLastSlot; ++k)
            points[k] = second;
    }
};

// 1/(s+1) at ω = 1 is 0.5 − 0.5j: |W| = 0.7071…, phase −45°; at ω = 0 it is 1.
TEST_F(CurveReadingTest, PointerOnAStoredPointReadsThatPoint)
{
    AddVariant({1, 0.5L, -0.5L}, {0, 1, 0});
    // 0.5 − 0.5j is drawn at (375 + 50, 225 + 55).
    const auto reading = ReadCurveAt(assignment, {427, 281});
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->Variant, 1);
    EXPECT_EQ(reading->Slot, 1);
    EXPECT_EQ(reading->Frequency, 1);
    EXPECT_EQ(reading->U, 0.5L);
    EXPECT_EQ(reading->V, -0.5L);
    EXPECT_NEAR(static_cast<double>(reading->Modulus), 0.70710678, 1e-8);
    EXPECT_NEAR(static_cast<double>(reading->PhaseDegrees), -45, 1e-12);
}

TEST_F(CurveReadingTest, PointerOnALineReadsTheNearerEndAndFarFromItNothing)
{
    AddVariant({0, 1, 0}, {5, 0, -1}); // (475, 225) to (375, 335)
    // (430, 275) is 50 / √(100² + 110²) = 0.34 pixels from the line, 67 from its first
    // end and 81 from its second.
    auto reading = ReadCurveAt(assignment, {430, 275});
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->Slot, 1);
    EXPECT_NEAR(static_cast<double>(reading->PhaseDegrees), 0, 1e-12);
    // (406, 302): (−69, 77) from the first end, (31, −33) from the second, 0.74 from the line.
    reading = ReadCurveAt(assignment, {406, 302});
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->Slot, 2);
    EXPECT_EQ(reading->Frequency, 5);
    EXPECT_NEAR(static_cast<double>(reading->PhaseDegrees), -90, 1e-12);

    // 5 pixels off the end is still on it, 6 is not; 10 pixels beside the line is off it.
    EXPECT_TRUE(ReadCurveAt(assignment, {480, 225}));
    EXPECT_FALSE(ReadCurveAt(assignment, {481, 225}));
    EXPECT_FALSE(
        ReadCurveAt(assignment, {422, 266})); // (−53, 41): |−100·41 + 110·53| / 148.7 = 11.6
    EXPECT_FALSE(ReadCurveAt(assignment, {600, 100}));
}

TEST_F(CurveReadingTest, NearTwoCurvesTheNearerPointWins)
{
    AddVariant({0, 1, 0}, {0, 1, 0});               // one point at (475, 225)
    AddVariant({0, 1, 0.0545L}, {0, 1, 0.0545L});   // 5.995 pixels up: (475, 219)
    EXPECT_EQ(ReadCurveAt(assignment, {475, 221})->Variant,
              2); // 2 from variant 2, 4 from variant 1
    EXPECT_EQ(ReadCurveAt(assignment, {475, 223})->Variant, 1);
    EXPECT_EQ(ReadCurveAt(assignment, {475, 222})->Variant, 1); // 3 from each: the lower variant
    EXPECT_EQ(ReadCurveAt(assignment, {475, 215})->Variant,
              2); // 4 from variant 2, 10 from variant 1
}

TEST_F(CurveReadingTest, NoVariantsAndUnplaceablePointsReadNothing)
{
    EXPECT_FALSE(ReadCurveAt(assignment, {375, 225}));
    const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
    AddVariant({1, nan, 0}, {2, nan, nan});
    EXPECT_FALSE(ReadCurveAt(assignment, {375, 225}));
}

} // namespace
} // namespace nirdal
