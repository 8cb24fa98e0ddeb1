// SPDX-License-Identifier: MIT
#include "core/common/recording_surface.h"
#include "core/response/unattended_sweep.h"
#include "response_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace nirdal {
namespace {

using testing_support::Variant;

TEST(UnattendedSweep, PressesDalshePageAfterPageUntilTheStoreIsFull)
{
    TransferFunction tf = Variant("1,0:1,1,1");
    RecordingSurface listing;
    const SweepReport report = RunUnattendedSweep(tf, 0, listing);
    EXPECT_EQ(report.Outcome, SweepOutcome::Full);
    EXPECT_STREQ(OutcomeName(report.Outcome), "full");
    EXPECT_EQ(report.NextSlot, 201);
    EXPECT_EQ(report.SearchSteps, 1);
    EXPECT_EQ(report.PageEnds, (std::vector<int>{48, 93, 138, 183, 201}));
    EXPECT_EQ(listing.ops().size(), 5 * 4 + 198u);
    EXPECT_TRUE(report.Notice.empty());
}

TEST(UnattendedSweep, FinishesAfterAStopRule)
{
    TransferFunction tf = Variant("1:1,0"); // an integrator: |W| grows without bound
    const SweepReport report = RunUnattendedSweep(tf, 0);
    EXPECT_EQ(report.Outcome, SweepOutcome::ModulusLimit);
    ASSERT_GE(report.NextSlot, 4);
    EXPECT_GT(std::fabs(tf.ResponseArrays[report.NextSlot - 1].V), 10);
    EXPECT_EQ(report.PageEnds.back(), report.NextSlot);
    for (int k = report.NextSlot; k <= kLastSlot; ++k)
        EXPECT_EQ(tf.ResponseArrays[k], tf.ResponseArrays[report.NextSlot - 1]) << k;
}

TEST(UnattendedSweep, CountsTheStepsOfEveryContinuedSearch)
{
    TransferFunction tf = Variant("1e-30:1,1");
    for (int continuations : {0, 1, 3}) {
        const SweepReport report = RunUnattendedSweep(tf, continuations);
        EXPECT_EQ(report.Outcome, SweepOutcome::NoStart);
        EXPECT_EQ(report.SearchSteps, 51 * (continuations + 1));
        EXPECT_EQ(report.NextSlot, 0);
        EXPECT_TRUE(report.PageEnds.empty());
    }

    TransferFunction late = Variant("1:1,3e6,1");
    const SweepReport found = RunUnattendedSweep(late, 1);
    EXPECT_NE(found.Outcome, SweepOutcome::NoStart);
    EXPECT_GT(found.SearchSteps, 51);
    EXPECT_FALSE(found.PageEnds.empty());
}

TEST(UnattendedSweep, FaultCarriesItsNotice)
{
    TransferFunction tf = Variant("1:0,1,1");
    const SweepReport report = RunUnattendedSweep(tf, 5);
    EXPECT_EQ(report.Outcome, SweepOutcome::Fault);
    EXPECT_STREQ(OutcomeName(report.Outcome), "fault");
    EXPECT_EQ(report.Notice,
              "Старший коэффициент An или Bm\nравен нулю.\nНачальная частота не определена.");
}

} // namespace
} // namespace nirdal
