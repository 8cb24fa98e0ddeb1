// SPDX-License-Identifier: MIT
#include "core/tf/assignment.h"
#include "core/tf/transfer_function.h"

#include <gtest/gtest.h>

#include <limits>

namespace nirdal {
namespace {

class VariantsTest : public testing::Test
{
protected:
    Assignment assignment;
};

TEST_F(VariantsTest, StartOfAssignmentGivesOneBlankVariant)
{
    assignment.VariantCount = 1;
    PrepareVariantSlot(assignment, 1);
    assignment.CurrentVariant = 1;
    ASSERT_EQ(assignment.Variants.size(), 2u);
    const TransferFunction& variant = CurrentTransferFunction(assignment);
    EXPECT_EQ(variant.DenominatorDegree, 1);
    EXPECT_EQ(variant.NumeratorDegree, 0);
    EXPECT_EQ(variant.Delay, 0);
    for (int j = 0; j < kCoefficientCount; ++j) {
        EXPECT_EQ(variant.A[j], 0);
        EXPECT_EQ(variant.B[j], 0);
    }
}

TEST_F(VariantsTest, AddedSlotIsZeroFilledAndEarlierOnesUntouched)
{
    PrepareVariantSlot(assignment, 1);
    assignment.Variants[1].A[2] = 7;
    assignment.Variants[1].ResponseArrays[5].U = 3;
    PrepareVariantSlot(assignment, 2);
    ASSERT_EQ(assignment.Variants.size(), 3u);
    EXPECT_EQ(assignment.Variants[1].A[2], 7);
    EXPECT_EQ(assignment.Variants[1].ResponseArrays[5].U, 3);
    EXPECT_EQ(assignment.Variants[2].DenominatorDegree, 1);
    EXPECT_EQ(assignment.Variants[2].ResponseArrays, ResponseArrays{});
}

TEST_F(VariantsTest, ResetKeepsPointsAndB15OfAnExistingSlot)
{
    PrepareVariantSlot(assignment, 2);
    assignment.Variants[1].B[15] = 4;
    assignment.Variants[1].B[14] = 5;
    assignment.Variants[1].A[15] = 6;
    assignment.Variants[1].DenominatorDegree = 9;
    assignment.Variants[1].Delay = 2;
    assignment.Variants[1].ResponseArrays[200].V = -1;
    PrepareVariantSlot(assignment, 1); // a new assignment loop drops variant 2
    ASSERT_EQ(assignment.Variants.size(), 2u);
    EXPECT_EQ(assignment.Variants[1].B[15], 4);
    EXPECT_EQ(assignment.Variants[1].B[14], 0);
    EXPECT_EQ(assignment.Variants[1].A[15], 0);
    EXPECT_EQ(assignment.Variants[1].DenominatorDegree, 1);
    EXPECT_EQ(assignment.Variants[1].Delay, 0);
    EXPECT_EQ(assignment.Variants[1].ResponseArrays[200].V, -1);
}

TEST_F(VariantsTest, NewVariantCopiesTheLastWithItsPointsAndAsksForAnotherPass)
{
    PrepareVariantSlot(assignment, 1);
    assignment.VariantCount = 1;
    assignment.CurrentVariant = 1;
    assignment.Done = true;
    assignment.Variants[1].A[3] = 2.5L;
    assignment.Variants[1].DenominatorDegree = 3;
    assignment.Variants[1].NumeratorDegree = 2;
    assignment.Variants[1].Delay = 0.5L;
    assignment.Variants[1].ResponseArrays[7] = {1, -0.5L, 0.25L};
    ASSERT_TRUE(NewVariant(assignment));
    EXPECT_EQ(assignment.VariantCount, 2);
    EXPECT_EQ(assignment.CurrentVariant, 2);
    EXPECT_FALSE(assignment.Done);
    ASSERT_EQ(assignment.Variants.size(), 3u);
    const TransferFunction& copy = assignment.Variants[2];
    EXPECT_EQ(copy.A[3], 2.5L);
    EXPECT_EQ(copy.DenominatorDegree, 3);
    EXPECT_EQ(copy.NumeratorDegree, 2);
    EXPECT_EQ(copy.Delay, 0.5L);
    EXPECT_EQ(copy.ResponseArrays[7], (ResponsePoint{1, -0.5L, 0.25L}));
    // The copy is the student's to change; the variant it came from stays as it was.
    assignment.Variants[2].A[3] = 9;
    EXPECT_EQ(assignment.Variants[1].A[3], 2.5L);
}

TEST_F(VariantsTest, NoVariantBeyondTheTwoHundredFiftyFifth)
{
    PrepareVariantSlot(assignment, 1);
    assignment.VariantCount = 1;
    assignment.CurrentVariant = 1;
    for (int k = 2; k <= 255; ++k)
        ASSERT_TRUE(NewVariant(assignment)) << k;
    EXPECT_EQ(assignment.VariantCount, 255);
    assignment.Done = true;
    EXPECT_FALSE(NewVariant(assignment));
    EXPECT_EQ(assignment.VariantCount, 255);
    EXPECT_EQ(assignment.CurrentVariant, 255);
    EXPECT_EQ(assignment.Variants.size(), 256u);
    EXPECT_TRUE(assignment.Done);
}

TEST_F(VariantsTest, ChangeOfVariantKeepsWithinTheVariantsMade)
{
    PrepareVariantSlot(assignment, 3);
    assignment.VariantCount = 3;
    assignment.CurrentVariant = 3;
    assignment.Done = true;
    const struct
    {
        int asked;
        int current;
    } cases[] = {{2, 2}, {1, 1}, {3, 3}, {0, 1}, {-4, 1}, {4, 3}, {300, 3}};
    for (const auto& c : cases) {
        SelectVariant(assignment, c.asked);
        EXPECT_EQ(assignment.CurrentVariant, c.current) << c.asked;
        EXPECT_TRUE(assignment.Done) << "choosing alone asks for no pass";
    }
    ChangeVariant(assignment, 2);
    EXPECT_EQ(assignment.CurrentVariant, 2);
    EXPECT_FALSE(assignment.Done);
}

TEST(SetDegrees, NumeratorDegreeStaysBelowTheDenominators)
{
    const struct
    {
        int n, m;
        int expectedN, expectedM;
    } cases[] = {
        {3, 2, 3, 2},  {3, 0, 3, 0},  {5, 5, 5, 4},     {5, 9, 5, 4},
        {1, 0, 1, 0},  {1, 14, 1, 0}, {15, 14, 15, 14}, {15, 15, 15, 14},
        {2, -1, 2, 0}, {0, 0, 1, 0},  {16, 3, 15, 3},
    };
    for (const auto& c : cases) {
        TransferFunction variant;
        variant.A[4] = 7; // the coefficients are not the degrees' business
        SetDegrees(variant, c.n, c.m);
        EXPECT_EQ(variant.DenominatorDegree, c.expectedN) << c.n << " " << c.m;
        EXPECT_EQ(variant.NumeratorDegree, c.expectedM) << c.n << " " << c.m;
        EXPECT_EQ(variant.A[4], 7);
    }
}

TEST(ResponseArrays, SlotsOutsideOneToTwoHundredAreRefused)
{
    ResponseArrays store;
    store[1].Frequency = 1;
    store[200].Frequency = 2;
    EXPECT_THROW(store[0], std::out_of_range);
    EXPECT_THROW(store[201], std::out_of_range);
}

TEST(CoefficientLabel, LetterIndexAndTwoBlanks)
{
    EXPECT_EQ(CoefficientLabel(0, 'A'), "A0  ");
    EXPECT_EQ(CoefficientLabel(3, 'A'), "A3  ");
    EXPECT_EQ(CoefficientLabel(15, 'A'), "A15  ");
    EXPECT_EQ(CoefficientLabel(14, 'B'), "B14  ");
    EXPECT_EQ(CoefficientLabel(200, 'B'), "B200 ");
}

TEST(DelaySecondsText, ThousandthsRoundedToEven)
{
    EXPECT_EQ(DelaySecondsText(2.5L), "2,500");
    EXPECT_EQ(DelaySecondsText(0.05L), "0,050");
    EXPECT_EQ(DelaySecondsText(12), "12,000");
    EXPECT_EQ(DelaySecondsText(0), "0,000");
    EXPECT_EQ(DelaySecondsText(-0.25L), "-0,250");
    EXPECT_EQ(DelaySecondsText(1.9999L), "2,000");
    EXPECT_EQ(DelaySecondsText(3), "3,000");
    EXPECT_EQ(DelaySecondsText(0.007L), "0,007");
    EXPECT_EQ(DelaySecondsText(-1.25L), "-1,250");
    EXPECT_EQ(DelaySecondsText(0.0125L), "0,012"); // tie goes to the even neighbour
    EXPECT_EQ(DelaySecondsText(0.0135L), "0,014");
    EXPECT_EQ(DelaySecondsText(-0.0004L), "0,000");
    EXPECT_EQ(DelaySecondsText(2147483647.5L), "2147483647,500");
}

TEST(DelaySecondsText, LongDelaysAreWrittenWhole)
{
    // 2^200 has 61 digits; the text once stopped after 63 characters.
    EXPECT_EQ(DelaySecondsText(0x1p200L),
              "1606938044258990275541962092341162602522202993782792835301376,000");
    EXPECT_EQ(DelaySecondsText(-0x1p200L),
              "-1606938044258990275541962092341162602522202993782792835301376,000");
    // 2^54 + 2^-9: a thousandfold value would round away its last whole second.
    EXPECT_EQ(DelaySecondsText(0x1p54L + 0x1p-9L), "18014398509481984,002");
    EXPECT_EQ(DelaySecondsText(0x1p62L + 0.5L), "4611686018427387904,500");
    // The largest value would overflow when made thousandths.
    const std::string largest = DelaySecondsText(std::numeric_limits<Extended>::max());
    EXPECT_EQ(largest.size(), 4933u + 4u);
    EXPECT_TRUE(largest.starts_with("118973149535723176502"));
    EXPECT_TRUE(largest.ends_with(",000"));
}

} // namespace
} // namespace nirdal
