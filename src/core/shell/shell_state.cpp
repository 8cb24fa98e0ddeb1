// SPDX-License-Identifier: MIT
#include "core/shell/shell_state.h"

#include "core/roster/roster.h"
#include "core/tf/transfer_function.h"
#include "platform/text_encoding.h"

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

bool AssignmentDone = false;
std::string StudentSurname;
std::string StudentGroup;

void TakeStudentFromRoster(int group, int slot)
{
    StudentSurname = IsSlotOccupied(group, slot) ? WithoutBlanksAround(RosterSurname(group, slot))
                                                 : std::string();
    StudentGroup = WithoutBlanksAround(RosterGroupName(group));
}

std::string StudentTitle()
{
    if (StudentGroup.empty())
        return StudentSurname;
    const std::string group = Utf8ToCp1251("группа ") + StudentGroup;
    return StudentSurname.empty() ? group : StudentSurname + ", " + group;
}

void RunAssignmentLoop(const AssignmentLoopScreens& screens)
{
    // Set before the first pass, so a graph screen closed without a command ends the loop
    // unless a new variant or a variant change has asked for another pass.
    AssignmentDone = true;
    VariantCount = 1;
    PrepareVariantSlot(1);
    // A new student starts with nothing computed: the points the slot keeps from the
    // previous student's loop would be drawn under his name if he reached the graph
    // without a computation (his degree screen closed by the window manager).
    Variants[1].ResponseArrays = {};
    CurrentVariant = 1;
    do {
        screens.ShowDegreeEntry();
        screens.ShowGraph();
    } while (!AssignmentDone);
}

} // namespace nirdal
