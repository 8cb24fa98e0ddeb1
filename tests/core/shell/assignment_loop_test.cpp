// SPDX-License-Identifier: MIT
#include "core/roster/roster.h"
#include "core/shell/shell_state.h"
#include "core/tf/transfer_function.h"

#include <gtest/gtest.h>

#include <string>

namespace nirdal {
namespace {

// Drives the loop with scripted screens: each graph pass runs the next step of the script
// and the trace records what was shown, with the variant it was shown for.
class AssignmentLoopTest : public testing::Test
{
protected:
    std::string RunWithGraphSteps(std::vector<std::function<void()>> graphSteps)
    {
        std::string trace;
        std::size_t pass = 0;
        AssignmentLoopScreens screens{
            [&] { trace += "D" + std::to_string(assignment.CurrentVariant) + " "; },
            [&] {
                trace += "G ";
                if (pass < graphSteps.size())
                    graphSteps[pass]();
                ++pass;
            },
        };
        RunAssignmentLoop(assignment, screens);
        return trace;
    }

    // The graph screen's commands.
    std::function<void()> NewVariantStep()
    {
        return [this] { ASSERT_TRUE(NewVariant(assignment)); };
    }

    Assignment assignment;
};

TEST_F(AssignmentLoopTest, CloseBoxAfterFirstPassEndsTheLoop)
{
    assignment.Done = false;
    EXPECT_EQ(RunWithGraphSteps({}), "D1 G ");
    EXPECT_TRUE(assignment.Done);
}

TEST_F(AssignmentLoopTest, StartsFromOneBlankVariantDroppingAnEarlierLoop)
{
    assignment.VariantCount = 3;
    PrepareVariantSlot(assignment, 3);
    assignment.Variants[1].A[0] = 5;
    assignment.Variants[1].DenominatorDegree = 7;
    assignment.Variants[1].ResponseArrays[1] = {2.5L, 0.25L, -0.5L};
    assignment.Variants[1].ResponseArrays[200] = {0.01L, 1, 0};
    assignment.CurrentVariant = 3;
    RunWithGraphSteps({});
    EXPECT_EQ(assignment.VariantCount, 1);
    EXPECT_EQ(assignment.CurrentVariant, 1);
    ASSERT_EQ(assignment.Variants.size(), 2u);
    EXPECT_EQ(assignment.Variants[1].A[0], 0);
    EXPECT_EQ(assignment.Variants[1].DenominatorDegree, 1);
    // The earlier student's points are gone, so his curve cannot be drawn for this one.
    EXPECT_EQ(assignment.Variants[1].ResponseArrays[1], (ResponsePoint{0, 0, 0}));
    EXPECT_EQ(assignment.Variants[1].ResponseArrays[200], (ResponsePoint{0, 0, 0}));
}

TEST_F(AssignmentLoopTest, AfterNewVariantOnlyFinishEndsTheLoop)
{
    // New variant, then the close box twice (passes again for the current variant), then finish.
    const std::string trace = RunWithGraphSteps({
        NewVariantStep(),
        [] {},
        [] {},
        [this] { assignment.Done = true; },
    });
    EXPECT_EQ(trace, "D1 G D2 G D2 G D2 G ");
    EXPECT_EQ(assignment.VariantCount, 2);
}

TEST_F(AssignmentLoopTest, VariantChangeEditsTheChosenVariantWithoutAddingOne)
{
    const std::string trace = RunWithGraphSteps({
        NewVariantStep(),
        NewVariantStep(),
        [this] { ChangeVariant(assignment, 1); },
        [this] { assignment.Done = true; },
    });
    EXPECT_EQ(trace, "D1 G D2 G D3 G D1 G ");
    EXPECT_EQ(assignment.VariantCount, 3);
}

// The built-in roster: group 251 begins with Абрамов А.В. and Беляев Д.С.
TEST(StudentFromRoster, NamesTheStudentWithHisInitialsAndGroup)
{
    const RosterGroups roster = DefaultRoster();
    Assignment assignment;
    TakeStudentFromRoster(assignment, roster, 1, 2);
    EXPECT_EQ(assignment.StudentSurname, "Беляев Д.С.");
    EXPECT_EQ(StudentTitle(assignment), "Беляев Д.С., группа 251");
    // A free slot names the group alone.
    TakeStudentFromRoster(assignment, roster, 2, 30);
    EXPECT_EQ(StudentTitle(assignment), "группа 252");
    assignment.StudentGroup.clear();
    assignment.StudentSurname = "Петров";
    EXPECT_EQ(StudentTitle(assignment), "Петров");
}

} // namespace
} // namespace nirdal
