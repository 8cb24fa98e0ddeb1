// SPDX-License-Identifier: MIT
#pragma once

#include "core/roster/roster.h"
#include "core/tf/assignment.h"

namespace nirdal {

/// The assignment of the student at work, which the program's screens show and change.
Assignment& ProgramAssignment();

/// The roster the program loads at start-up, before any screen exists.
RosterGroups& ProgramRoster();

/// Creates the screens in their start-up order; the title screen is the main window.
void CreateScreens();

/// Shows the main window; its closing ends the application's event loop.
void ShowMainWindow();

/// The assignment loop over the program's own screens: degree entry, then the graph, until
/// the student has finished.
void RunAssignmentLoop();

} // namespace nirdal
