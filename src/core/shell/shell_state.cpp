// SPDX-License-Identifier: MIT
#include "core/shell/shell_state.h"

#include "core/tf/transfer_function.h"

namespace nirdal {

bool AssignmentDone = false;
std::string StudentSurname;

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
