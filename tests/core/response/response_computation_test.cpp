// SPDX-License-Identifier: MIT
#include "core/common/recording_surface.h"
#include "core/numtext/numtext.h"
#include "core/response/frequency_response.h"
#include "core/response/listing.h"
#include "core/response/response_computation.h"
#include "response_test_support.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <cmath>
#include <limits>

namespace nirdal {
namespace {

using testing_support::FakeScreen;
using testing_support::FillWithSentinels;
using testing_support::Variant;
using State = ComputationState;

// A computation of one variant on a fake screen with a recorded listing.
struct Screen
{
    explicit Screen(const char* tf) : variant(Variant(tf)) { FillWithSentinels(store()); }

    ResponseArrays& store() { return variant.ResponseArrays; }
    const ComputationFields& fields() const { return computation.Fields(); }

    TransferFunction variant;
    FakeScreen screen;
    RecordingSurface listing;
    ResponseComputation computation{variant, screen, &listing};
};

bool AllFinite(const ResponseArrays& store)
{
    for (int k = kFirstSlot; k <= kLastSlot; ++k) {
        const ResponsePoint& p = store[k];
        if (!std::isfinite(p.Frequency) || !std::isfinite(p.U) || !std::isfinite(p.V))
            return false;
    }
    return true;
}

TEST(StartSearch, FirstOrderLagStartsAtOnceFromTwenty)
{
    Screen s("1:1,1");
    s.computation.Start();
    EXPECT_EQ(s.fields().AsymptoteGain, 20);
    EXPECT_EQ(s.fields().InverseDegreeGap, 1);
    EXPECT_EQ(s.fields().SearchSteps, 1);
    EXPECT_EQ(s.fields().StepRatio, 2);
    EXPECT_NEAR(s.fields().TrialModulus, 0.02499L, 1e-5L);

    const ResponsePoint& first = s.store()[1];
    const ResponsePoint& second = s.store()[2];
    EXPECT_NEAR(first.Frequency, 40, 1e-15L);
    EXPECT_NEAR(first.U, 0.0006246L, 1e-7L);
    EXPECT_NEAR(first.V, -0.02498L, 1e-5L);
    EXPECT_NEAR(second.Frequency, 20, 1e-15L);
    EXPECT_NEAR(std::hypot(second.U, second.V), 0.04994L, 1e-5L);
    EXPECT_NEAR(second.U, 0.002494L, 1e-6L);
    EXPECT_NEAR(second.V, -0.04988L, 1e-5L);

    // The first step is clamped to 0.9: slot 3 is exactly ω = 18.
    EXPECT_EQ(s.store()[3], (ResponsePoint{18, 1.0L / 325, -18.0L / 325}));
    EXPECT_NEAR(s.store()[4].Frequency, 16.2L, 1e-15L);
    EXPECT_NEAR(s.store()[5].Frequency, 14.58L, 1e-15L);
}

TEST(StartSearch, FourthOrderLagTurnsDownwardAndSucceedsAfterThreeIterations)
{
    Screen s("1:1,4,6,4,1");
    s.computation.Start();
    EXPECT_EQ(s.fields().SearchSteps, 3);
    EXPECT_EQ(s.fields().StepRatio, 0.8L);
    EXPECT_EQ(s.fields().BaseSlot, 1);
    EXPECT_EQ(s.fields().TrialSlot, 2);
    EXPECT_NEAR(s.store()[1].Frequency, 3.3836L, 1e-4L);
    EXPECT_NEAR(s.store()[2].Frequency, 2.7069L, 1e-4L);
    EXPECT_NEAR(s.fields().TrialModulus, 0.01442L, 1e-5L);
    // The estimate and the first trial: 2.1147 · 2 · 0.8 · 0.8 = 2.7069.
    EXPECT_NEAR(s.store()[2].Frequency / 1.28L, 2.1147L, 1e-4L);
}

// Variants whose start estimate is exactly 1 (20·Bm/An = 1) and whose trial at ω = 2 has
// exactly the modulus named: −1/(A0 − 80) with D = 20s² + A0, a real W.
struct BoundaryTrial
{
    const char* tf;
    Extended modulus;
};

void PrintTo(const BoundaryTrial& c, std::ostream* out)
{
    *out << c.tf;
}

class TrialModulusBoundary : public testing::TestWithParam<BoundaryTrial>
{
};

TEST_P(TrialModulusBoundary, EndsTheSearchAtTheFirstTrial)
{
    Screen s(GetParam().tf);
    s.computation.Start();
    ASSERT_EQ(s.store()[1].Frequency, 2); // the estimate was exactly 1
    EXPECT_EQ(s.fields().TrialModulus, GetParam().modulus);
    EXPECT_EQ(s.fields().SearchSteps, 1);
    EXPECT_EQ(s.fields().StepRatio, 2); // never turned downward
    EXPECT_GE(s.fields().NextSlot, 4);
}

INSTANTIATE_TEST_SUITE_P(ExactLimits, TrialModulusBoundary,
                         testing::Values(BoundaryTrial{"1:20,0,70", 0.1L},
                                         BoundaryTrial{"1:20,0,-20", 0.01L}));

// D = 25s² + A0 with A0 chosen so that D(j·0.9) = 0.125 exactly; with B0 = 1.25 the first
// swept point (ω = 0.9, the step clamped) has U = 10 exactly, or just above it.
TransferFunction UAtTheLimit(Extended excess)
{
    TransferFunction tf = Variant("1.25:25,0,0");
    const Extended omega = 0.9L;
    const Extended term = 25 * (omega * omega);
    tf.A[0] = 0.125L + term - excess;
    return tf;
}

TEST(StopRules, ModulusLimitIsStrict)
{
    for (Extended excess : {0.0L, 0x1p-40L}) {
        TransferFunction tf = UAtTheLimit(excess);
        FakeScreen screen;
        ResponseComputation computation(tf, screen, nullptr);
        computation.Start();
        ASSERT_EQ(tf.ResponseArrays[3].Frequency, 0.9L);
        if (excess == 0) {
            ASSERT_EQ(tf.ResponseArrays[3].U, 10);
            EXPECT_GT(computation.Fields().NextSlot, 4); // went on past slot 3
        } else {
            ASSERT_GT(tf.ResponseArrays[3].U, 10);
            EXPECT_EQ(computation.State(), State::LimitExceeded);
            EXPECT_EQ(computation.Fields().NextSlot, 4);
            EXPECT_TRUE(screen.Visible(ScreenControl::LimitPanel));
            EXPECT_FALSE(screen.Visible(ScreenControl::NextPageButton));
        }
    }
}

// N = B2·s² + B0, D = 20·B2·s⁴ + 100·B2·s² + A0 with B2 = 2^52, A0 = 2^67 + 80·B2: the start
// estimate is 1, D(j1) = D(j2) = 2^67 and every value is an exact integer, so slots 2 and 1
// hold (B0 − B2)/2^67 and (B0 − 4·B2)/2^67. B0 = 3001·B2 + 1 puts the relative distance of
// the first step at exactly 0.001 in extended; a larger B0 puts it just below.
TransferFunction ConvergenceBoundary(Extended offset)
{
    const Extended b2 = 0x1p52L;
    TransferFunction tf = Variant("1,0,1:1,0,1,0,1");
    tf.B[2] = b2;
    tf.B[0] = 3001 * b2 + offset;
    tf.A[4] = 20 * b2;
    tf.A[2] = 100 * b2;
    tf.A[0] = 0x1p67L + 80 * b2;
    return tf;
}

TEST(StopRules, ConvergenceLimitIsStrict)
{
    for (Extended offset : {1.0L, 1000.0L}) {
        TransferFunction tf = ConvergenceBoundary(offset);
        FakeScreen screen;
        ResponseComputation computation(tf, screen, nullptr);
        computation.Start();
        ASSERT_EQ(tf.ResponseArrays[1].Frequency, 2);
        const Extended distance =
            NextSweepFrequency(tf.ResponseArrays[1], tf.ResponseArrays[2]).RelativeDistance;
        if (offset == 1) {
            ASSERT_EQ(distance, 0.001L);
            EXPECT_GT(computation.Fields().NextSlot, 4); // went on past slot 3
        } else {
            ASSERT_LT(distance, 0.001L);
            EXPECT_EQ(computation.State(), State::Converged);
            EXPECT_EQ(computation.Fields().NextSlot, 4);
            EXPECT_TRUE(screen.Visible(ScreenControl::ConvergedPanel));
            EXPECT_FALSE(screen.Visible(ScreenControl::NextPageButton));
        }
    }
}

// s/(s² + s + 1) neither converges nor grows: the sweep fills all 200 slots.
TEST(Pages, HoldFortyFivePointsAndTheScreenClosesAtSlotTwoHundred)
{
    Screen s("1,0:1,1,1");
    int closedAt = 0;
    s.screen.onClose = [&] { closedAt = s.fields().NextSlot; };

    s.computation.Start();
    std::vector<int> ends = {s.fields().NextSlot};
    std::vector<std::size_t> opsPerPage = {s.listing.ops().size()};
    while (s.computation.State() == State::PageFull) {
        EXPECT_TRUE(s.screen.Visible(ScreenControl::NextPageButton));
        EXPECT_EQ(s.fields().ListLine, 46);
        s.listing.clear();
        s.computation.NextPage();
        ends.push_back(s.fields().NextSlot);
        opsPerPage.push_back(s.listing.ops().size());
    }
    EXPECT_EQ(ends, (std::vector<int>{48, 93, 138, 183, 201}));
    EXPECT_EQ(opsPerPage, (std::vector<std::size_t>{4 + 45, 4 + 45, 4 + 45, 4 + 45, 4 + 18}));
    EXPECT_EQ(s.computation.State(), State::Full);
    EXPECT_TRUE(s.computation.CloseRequested());
    EXPECT_EQ(s.screen.closeRequests, 1);
    EXPECT_EQ(closedAt, 199); // asked once slot 198 was filled
    EXPECT_EQ(s.computation.PagesWritten(), 5);
    EXPECT_TRUE(AllFinite(s.store()));
    EXPECT_LT(s.store()[200].Frequency, s.store()[199].Frequency);
}

TEST(Pages, FirstPageFillsRowsSevenToTwentyNineThenSevenToTwentyEight)
{
    Screen s("1,0:1,1,1");
    s.computation.Start();
    const std::vector<DrawOp>& ops = s.listing.ops();
    ASSERT_EQ(ops.size(), 49u);
    for (int line = 2; line <= 46; ++line) {
        const DrawOp& op = ops[4 + line - 2];
        const bool left = line <= 24;
        EXPECT_EQ(op.args[0], left ? 10 : 260) << line;
        EXPECT_EQ(op.args[1], left ? 10 * (line + 5) : 10 * (line - 18)) << line;
        EXPECT_EQ(op.text, ListingLineText(s.store()[line + 1])) << line;
    }
}

// D = s² + 3e6·s + 1 keeps |W| below 0.01 for about 56 downward iterations.
TEST(StartNotFound, ContinuingFindsTheStartAndHidesThePanel)
{
    Screen s("1:1,3e6,1");
    s.computation.Start();
    ASSERT_EQ(s.computation.State(), State::StartNotFound);
    EXPECT_TRUE(s.screen.Visible(ScreenControl::StartNotFoundPanel));
    EXPECT_EQ(s.screen.Caption(ScreenControl::SearchStepsLine), "51 шагов");

    s.computation.ContinueSearch();
    EXPECT_NE(s.computation.State(), State::StartNotFound);
    EXPECT_FALSE(s.screen.Visible(ScreenControl::StartNotFoundPanel));
    EXPECT_GT(s.computation.SearchStepsTaken(), 51);
    EXPECT_LE(s.computation.SearchStepsTaken(), 102);
    EXPECT_GE(s.fields().NextSlot, 4);
    EXPECT_GE(s.fields().TrialModulus, 0.01L);
}

// |W| never exceeds 1e-30: the search keeps walking down.
TEST(StartNotFound, PanelCountsFiftyOneStepsPerRunAndLeavingKeepsTheSweepSlots)
{
    Screen s("1e-30:1,1");
    const ResponseArrays before = s.store();
    s.computation.Start();
    ASSERT_EQ(s.computation.State(), State::StartNotFound);
    EXPECT_EQ(s.computation.SearchStepsTaken(), 51);
    EXPECT_FALSE(s.screen.Visible(ScreenControl::NextPageButton));

    const ResponsePoint& base = s.store()[s.fields().BaseSlot];
    EXPECT_EQ(s.screen.Caption(ScreenControl::StopFrequencyLine),
              "Вычисления остановлены на частоте " + FormatNumber(base.Frequency));
    EXPECT_EQ(s.screen.Caption(ScreenControl::StopULine),
              "при этом вещественная частотная характеристика ,u=" + FormatNumber(base.U));
    EXPECT_EQ(s.screen.Caption(ScreenControl::StopVLine),
              "               мнимая частотная характеристика ,v=" + FormatNumber(base.V));

    s.screen.log.clear();
    s.computation.ContinueSearch();
    EXPECT_EQ(s.screen.Caption(ScreenControl::SearchStepsLine), "102 шагов");
    EXPECT_EQ(s.computation.SearchStepsTaken(), 102);
    EXPECT_TRUE(s.screen.Visible(ScreenControl::StartNotFoundPanel));
    EXPECT_EQ(std::count(s.screen.log.begin(), s.screen.log.end(), "hide Panel1"), 0);

    // Neither "Далее" nor "Выход" has a computed point to work from yet.
    const ResponseArrays searched = s.store();
    s.computation.NextPage();
    EXPECT_EQ(s.computation.State(), State::StartNotFound);
    EXPECT_EQ(s.store(), searched);
    s.computation.Exit();
    EXPECT_TRUE(s.computation.CloseRequested());
    EXPECT_EQ(s.store(), searched);
    for (int k = 3; k <= kLastSlot; ++k)
        EXPECT_EQ(s.store()[k], before[k]) << k;
    EXPECT_TRUE(s.listing.ops().empty());
}

TEST(StartNotFound, ExitClosesWithoutFinishing)
{
    Screen s("1e-30:1,1");
    s.computation.Start();
    const ResponseArrays searched = s.store();
    s.computation.LeaveSearch();
    EXPECT_EQ(s.computation.State(), State::Closed);
    EXPECT_EQ(s.screen.closeRequests, 1);
    EXPECT_EQ(s.store(), searched);
    s.computation.ContinueSearch(); // closed: nothing more happens
    EXPECT_EQ(s.store(), searched);
}

TEST(Finish, FillsFromTheLastComputedPointAndCloses)
{
    Screen s("1:1,1");
    s.computation.Start();
    while (s.computation.State() == State::PageFull)
        s.computation.NextPage();
    ASSERT_EQ(s.computation.State(), State::Converged);
    const int next = s.fields().NextSlot;
    const ResponsePoint last = s.store()[next - 1];
    s.computation.FinishAtLimit(); // not the shown panel's button: ignored
    EXPECT_FALSE(s.computation.CloseRequested());
    s.computation.FinishConverged();
    EXPECT_TRUE(s.computation.CloseRequested());
    for (int k = next; k <= kLastSlot; ++k)
        EXPECT_EQ(s.store()[k], last) << k;
}

TEST(Finish, ExitInTheMiddleOfTheSweepFinishesToo)
{
    Screen s("1,0:1,1,1");
    s.computation.Start();
    ASSERT_EQ(s.computation.State(), State::PageFull);
    s.computation.Exit();
    EXPECT_EQ(s.computation.State(), State::Closed);
    for (int k = 48; k <= kLastSlot; ++k)
        EXPECT_EQ(s.store()[k], s.store()[47]) << k;
}

// ε/s + s/(s² + s + 1): the integrator term passes 10 at slot 199, after the close request.
TEST(Finish, StopAfterTheCloseRequestStillFillsTheLastSlot)
{
    Screen s("1.0000002,2e-7,2e-7:1,1,1,0");
    s.computation.Start();
    while (s.computation.State() == State::PageFull)
        s.computation.NextPage();
    ASSERT_EQ(s.computation.State(), State::LimitExceeded);
    ASSERT_EQ(s.fields().NextSlot, 200);
    EXPECT_TRUE(s.computation.CloseRequested());
    EXPECT_EQ(s.store()[200], s.store()[199]);
}

struct FaultCase
{
    const char* name;
    const char* tf;
    ComputationFault fault;
    int nextSlot; // 0: the sweep never began
};

void PrintTo(const FaultCase& c, std::ostream* out)
{
    *out << c.tf;
}

class Faults : public testing::TestWithParam<FaultCase>
{
};

TEST_P(Faults, StopInTheFaultStateAndFinishCleanly)
{
    Screen s(GetParam().tf);
    const ResponseArrays before = s.store();
    s.computation.Start();
    ASSERT_EQ(s.computation.State(), State::Fault);
    EXPECT_EQ(s.computation.Fault(), GetParam().fault);
    EXPECT_EQ(s.fields().NextSlot, GetParam().nextSlot);
    EXPECT_TRUE(s.screen.Visible(ScreenControl::FaultPanel));
    EXPECT_FALSE(s.screen.Visible(ScreenControl::NextPageButton));
    EXPECT_FALSE(s.screen.Visible(ScreenControl::StartNotFoundPanel));
    EXPECT_FALSE(s.screen.Caption(ScreenControl::FaultLine1).empty());
    EXPECT_EQ(s.computation.FaultNotice()[0], s.screen.Caption(ScreenControl::FaultLine1));
    EXPECT_TRUE(AllFinite(s.store()));

    s.computation.NextPage(); // hidden, and nothing to go on with
    EXPECT_EQ(s.computation.State(), State::Fault);

    s.computation.FinishAfterFault();
    EXPECT_TRUE(s.computation.CloseRequested());
    EXPECT_TRUE(AllFinite(s.store()));
    const int next = GetParam().nextSlot;
    if (next == 0) {
        for (int k = 3; k <= kLastSlot; ++k)
            ASSERT_EQ(s.store()[k], before[k]) << k;
    } else {
        for (int k = next; k <= kLastSlot; ++k)
            ASSERT_EQ(s.store()[k], s.store()[next - 1]) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Faults,
    testing::Values(
        FaultCase{"ZeroAn", "1:0,1,1", ComputationFault::ZeroLeadingCoefficient, 0},
        FaultCase{"ZeroBm", "0,1:1,1,1", ComputationFault::ZeroLeadingCoefficient, 0},
        FaultCase{"EstimateOverflows", "1e4000:1e-4000,1", ComputationFault::EstimateOutOfRange, 0},
        FaultCase{"EstimateVanishes", "1e-4000:1e4000,1", ComputationFault::EstimateOutOfRange, 0},
        // 20s² + 20 vanishes at the estimate ω = 1.
        FaultCase{"PoleAtTheEstimate", "1:20,0,20", ComputationFault::ValueUndefined, 0},
        // ω^30 overflows at the estimate of about 5.7e326.
        FaultCase{"Overflow", "1e4900:1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1",
                  ComputationFault::ValueUndefined, 0},
        // D(j1) = D(j2) = 30j: slots 1 and 2 hold the same point.
        FaultCase{"CoincidentPoints", "1:20,5,100,35,80", ComputationFault::PointsCoincide, 3},
        // N = s² + 1 vanishes at the estimate ω = 1, which becomes slot 2.
        FaultCase{"PointAtOrigin", "1,0,1:20,0,0,1", ComputationFault::PointAtOrigin, 3}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST(Faults, NotANumberCoefficientStopsBeforeTheSearch)
{
    Screen s("1:1,1");
    s.variant.A[1] = std::numeric_limits<Extended>::quiet_NaN();
    const ResponseArrays before = s.store();
    s.computation.Start();
    EXPECT_EQ(s.computation.Fault(), ComputationFault::EstimateOutOfRange);
    EXPECT_EQ(s.store(), before);
}

// D = 20s² + A0 with A0 = 20·0.9²: the first swept frequency, 0.9, is a pole.
TEST(Faults, PoleInTheSweepKeepsThePointsBeforeIt)
{
    TransferFunction tf = Variant("1:20,0,0");
    tf.A[0] = 20 * (0.9L * 0.9L);
    FakeScreen screen;
    ResponseComputation computation(tf, screen, nullptr);
    computation.Start();
    ASSERT_EQ(computation.State(), State::Fault);
    EXPECT_EQ(computation.Fault(), ComputationFault::ValueUndefined);
    EXPECT_EQ(computation.Fields().NextSlot, 3);
    EXPECT_EQ(computation.FaultNotice()[1], "на частоте " + FormatNumber(0.9L));
    computation.Exit();
    EXPECT_TRUE(AllFinite(tf.ResponseArrays));
    EXPECT_EQ(tf.ResponseArrays[200], tf.ResponseArrays[2]);
}

TEST(Faults, DegreesOutsideTheirRangeTouchNoCoefficientBeyondTheArrays)
{
    for (auto [n, m] : {std::pair{0, 0}, std::pair{2, 2}, std::pair{16, 0}, std::pair{255, 3}}) {
        TransferFunction tf = Variant("1:1,1");
        tf.DenominatorDegree = static_cast<std::uint8_t>(n);
        tf.NumeratorDegree = static_cast<std::uint8_t>(m);
        FakeScreen screen;
        ResponseComputation computation(tf, screen, nullptr);
        computation.Start();
        EXPECT_EQ(computation.Fault(), ComputationFault::InvalidDegrees) << n << " " << m;
    }
}

TEST(Commands, ActivationCountsOnceAndCommandsOutOfTurnDoNothing)
{
    Screen s("1,0:1,1,1");
    s.computation.ContinueSearch();
    s.computation.NextPage();
    s.computation.FinishAtLimit();
    EXPECT_EQ(s.computation.State(), State::Created);
    s.computation.Start();
    ASSERT_EQ(s.fields().NextSlot, 48);
    const ResponseArrays afterFirstPage = s.store();
    s.computation.Start();
    s.computation.ContinueSearch();
    s.computation.LeaveSearch();
    s.computation.FinishConverged();
    s.computation.FinishAfterFault();
    EXPECT_EQ(s.computation.State(), State::PageFull);
    EXPECT_FALSE(s.computation.CloseRequested());
    EXPECT_EQ(s.store(), afterFirstPage);
}

TEST(Captions, DesignTextsAreTheScreensOwn)
{
    EXPECT_EQ(DesignCaption(ScreenControl::StartNotFoundLine),
              "Начальная частота   не достигнута  за");
    EXPECT_EQ(DesignCaption(ScreenControl::LimitLine3), "Должно быть abs(U)  и abs(V)<10. ");
    EXPECT_EQ(DesignCaption(ScreenControl::ConvergedLine2),
              "соседними точками  частотной характеристики  ");
    EXPECT_EQ(DesignCaption(ScreenControl::NextPageButton), "Далее");
    EXPECT_EQ(DesignCaption(ScreenControl::ExitButton), "Выход");
    EXPECT_EQ(std::string(ControlName(ScreenControl::SearchStepsLine)), "shags");
    EXPECT_TRUE(DesignCaption(ScreenControl::FaultPanel).empty());
}

} // namespace
} // namespace nirdal
