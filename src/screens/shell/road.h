// SPDX-License-Identifier: MIT
#pragma once

#include "core/tf/assignment.h"

namespace nirdal {

/// The assignment of the student at work, which the program's screens show and change.
Assignment& ProgramAssignment();

/// Creates the screens in their start-up order; the title screen is the main window.
void CreateScreens();

/// Shows the main window; its closing ends the application's event loop.
void ShowMainWindow();

/// The assignment loop over the program's own screens: degree entry, then the graph, until
/// the student has finished.
void RunAssignmentLoop();

} // namespace nirdal
