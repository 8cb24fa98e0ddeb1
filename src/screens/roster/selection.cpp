// SPDX-License-Identifier: MIT
#include "screens/roster/selection.h"

#include "core/roster/roster.h"
#include "core/shell/shell_state.h"
#include "screens/shell/controls.h"
#include "screens/shell/road.h"

#include <QLabel>

namespace nirdal {

SelectionScreen* SelectionForm = nullptr;

SelectionScreen::SelectionScreen(QWidget* parent) : SelectionWindow(parent)
{
    setObjectName(QStringLiteral("NIRDAL_vibForm"));
    resize(707, 328);
}

void SelectionScreen::RunAssignment()
{
    hide();
    TakeStudentFromRoster(StudentSelection.Group, StudentSelection.Slot);
    RunAssignmentLoop();
    show();
}

void SelectionScreen::ScanRoster()
{
    CountGroups();
}

void SelectionScreen::SetHeading()
{
    // The last letter is a Latin X.
    Heading->setText(QStringLiteral("ВЫБОР ГРУППЫ/ФАМИЛИИ АФЧX"));
    FitHeight(Heading);
}

} // namespace nirdal
