// SPDX-License-Identifier: MIT
#include "core/shell/shell_state.h"

#include "core/roster/roster.h"

namespace nirdal {

namespace {

std::string WithoutBlanksAround(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

void TakeStudentFromRoster(Assignment& assignment, const RosterGroups& roster, int group, int slot)
{
    assignment.StudentSurname = IsSlotOccupied(roster, group, slot)
                                    ? WithoutBlanksAround(RosterSurname(roster, group, slot))
                                    : std::string();
    assignment.StudentGroup = WithoutBlanksAround(RosterGroupName(roster, group));
}

std::string StudentTitle(const Assignment& assignment)
{
    const std::string& surname = assignment.StudentSurname;
    if (assignment.StudentGroup.empty())
        return surname;
    const std::string group = "группа " + assignment.StudentGroup;
    return surname.empty() ? group : surname + ", " + group;
}

void RunAssignmentLoop(Assignment& assignment, const AssignmentLoopScreens& screens)
{
    // Set before the first pass, so a graph screen closed without a command ends the loop
    // unless a new variant or a variant change has asked for another pass.
    assignment.Done = true;
    assignment.VariantCount = 1;
    PrepareVariantSlot(assignment, 1);
    // A new student starts with nothing computed: the points the slot keeps from the
    // previous student's loop would be drawn under his name if he reached the graph
    // without a computation (his degree screen closed by the window manager).
    assignment.Variants[1].ResponseArrays = {};
    assignment.CurrentVariant = 1;
    do {
        screens.ShowDegreeEntry();
        screens.ShowGraph();
    } while (!assignment.Done);
}

} // namespace nirdal
