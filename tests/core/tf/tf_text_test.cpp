// SPDX-License-Identifier: MIT
#include "core/tf/tf_text.h"

#include <gtest/gtest.h>

namespace nirdal {
namespace {

TEST(ParseTransferFunctionText, ReadsHighestPowerFirst)
{
    TransferFunction tf;
    tf.A[7] = 5; // left over from an earlier variant
    tf.B[3] = 5;
    tf.ResponseArrays[9] = {1, 2, 3};
    std::string error;
    ASSERT_TRUE(ParseTransferFunctionText("2,3:1,4,6,4,1:0.5", tf, error)) << error;
    EXPECT_EQ(tf.DenominatorDegree, 4);
    EXPECT_EQ(tf.NumeratorDegree, 1);
    EXPECT_EQ(tf.A, (std::array<Extended, kCoefficientCount>{1, 4, 6, 4, 1}));
    EXPECT_EQ(tf.B, (std::array<Extended, kCoefficientCount>{3, 2}));
    EXPECT_EQ(tf.Delay, 0.5L);
    EXPECT_EQ(tf.ResponseArrays[9], (ResponsePoint{1, 2, 3}));
}

TEST(ParseTransferFunctionText, KeepsLeadingZerosAndReadsExactValues)
{
    TransferFunction tf;
    std::string error;
    ASSERT_TRUE(ParseTransferFunctionText("0x1p-3: 0 ,1,0.1", tf, error)) << error;
    EXPECT_EQ(tf.DenominatorDegree, 2);
    EXPECT_EQ(tf.A[2], 0);
    EXPECT_EQ(tf.A[0], 0.1L); // the nearest extended value, not a widened double
    EXPECT_EQ(tf.B[0], 0.125L);
    EXPECT_EQ(tf.Delay, 0);
}

class BadTransferFunctionText : public testing::TestWithParam<const char*>
{
};

TEST_P(BadTransferFunctionText, IsRefusedWithAMessageAndChangesNothing)
{
    TransferFunction tf;
    tf.A[0] = 42;
    tf.DenominatorDegree = 3;
    const TransferFunction before = tf;
    std::string error;
    EXPECT_FALSE(ParseTransferFunctionText(GetParam(), tf, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(tf.A, before.A);
    EXPECT_EQ(tf.DenominatorDegree, before.DenominatorDegree);
}

INSTANTIATE_TEST_SUITE_P(Texts, BadTransferFunctionText,
                         testing::Values("", "1", "1:1", "1:1,1:2:3", "1:a,1", "1:1,,1", "1:1,1,",
                                         "1,2:1,1", "1:1,1:", "1:1,1:x", "1:inf,1", "1:1,nan",
                                         "1:1e5000,1", "1:1,2x",
                                         "1:1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1"));

} // namespace
} // namespace nirdal
