// SPDX-License-Identifier: MIT
#pragma once

#include "core/tf/assignment.h"

#include <functional>
#include <string>

namespace nirdal {

/// Takes the surname and group of the roster's slot (group 1..6, slot 1..30) as the
/// assignment's student; a free slot gives no surname.
void TakeStudentFromRoster(Assignment& assignment, const RosterGroups& roster, int group,
                           int slot);

/// The student as the graph and the printed page name him: "Абрамов А.В., группа 251", or
/// what of it is known.
std::string StudentTitle(const Assignment& assignment);

/// The two screens one pass of the assignment loop shows, each modally: the call returns
/// when the screen has closed.
struct AssignmentLoopScreens
{
    std::function<void()> ShowDegreeEntry;
    std::function<void()> ShowGraph;
};

/// Starts a fresh assignment with one new variant and repeats degree entry and graph
/// until the assignment is done.
void RunAssignmentLoop(Assignment& assignment, const AssignmentLoopScreens& screens);

} // namespace nirdal
