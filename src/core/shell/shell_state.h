// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

namespace nirdal {

/// True once the student has finished the assignment loop; the graph screen's commands and
/// the variant choice set it back to false to ask for another pass.
extern bool AssignmentDone;

/// The student's surname with his initials, Windows-1251 bytes: taken from the roster when
/// he picks himself on the selection screen, or typed on the surname screen.
extern std::string StudentSurname;

/// The code of the student's group (Windows-1251), empty when he came without the roster.
extern std::string StudentGroup;

/// Takes the surname and group of the roster's slot (group 1..6, slot 1..30) as the
/// student's own; a free slot gives no surname.
void TakeStudentFromRoster(int group, int slot);

/// The student as the graph and the printed page name him: "Абрамов А.В., группа 251", or
/// what of it is known (Windows-1251).
std::string StudentTitle();

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
