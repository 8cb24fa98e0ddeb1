// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

namespace nirdal {

/// True once the student has finished the assignment loop; the graph screen's commands and
/// the variant choice set it back to false to ask for another pass.
extern bool AssignmentDone;

/// The surname typed on the surname screen, Windows-1251 bytes, empty unless typed there.
extern std::string StudentSurname;

/// The two screens one pass of the assignment loop shows, each modally: the call returns
/// when the screen has closed.
struct AssignmentLoopScreens
{
    std::function<void()> ShowDegreeEntry;
    std::function<void()> ShowGraph;
};

/// Starts a fresh assignment with one new variant and repeats degree entry and graph
/// until AssignmentDone.
void RunAssignmentLoop(const AssignmentLoopScreens& screens);

} // namespace nirdal
