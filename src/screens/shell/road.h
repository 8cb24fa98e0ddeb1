// SPDX-License-Identifier: MIT
#pragma once

namespace nirdal {

/// Creates the screens in their start-up order; the title screen is the main window.
void CreateScreens();

/// Shows the main window; its closing ends the application's event loop.
void ShowMainWindow();

/// The assignment loop over the program's own screens: degree entry, then the graph, until
/// the student has finished.
void RunAssignmentLoop();

} // namespace nirdal
