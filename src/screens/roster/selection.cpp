// SPDX-License-Identifier: MIT
#include "screens/roster/selection.h"

#include "core/roster/roster.h"
#include "core/shell/shell_state.h"
#include "screens/shell/controls.h"
#include "screens/shell/road.h"

#include <QLabel>

namespace nirdal {

SelectionScreen* SelectionForm = nullptr;

SelectionScreen::SelectionScreen(QWidget* parent)
    : SelectionWindow(ProgramRoster(), ProgramAssignment().StudentSelection, parent)
{
    setObjectName(QStringLiteral("NIRDAL_vibForm"));
    resize(707, 328);
}

void SelectionScreen::RunAssignment()
{
    hide();
    Assignment& assignment = ProgramAssignment();
    TakeStudentFromRoster(assignment, ProgramRoster(), assignment.StudentSelection.Group,
                          assignment.StudentSelection.Slot);
    RunAssignmentLoop();
    show();
}

void SelectionScreen::SetHeading()
{
    // The last letter is a Latin X.
    Heading->setText(QStringLiteral("ВЫБОР ГРУППЫ/ФАМИЛИИ АФЧX"));
    FitHeight(Heading);
}

} // namespace nirdal
