// SPDX-License-Identifier: MIT
#include "screens/roster/nirdal_vib.h"

#include "core/roster/roster.h"
#include "core/shell/shell_state.h"
#include "screens/shell/controls.h"
#include "screens/shell/road.h"

#include <QLabel>

namespace nirdal {

TNIRDAL_vibForm* NIRDAL_vibForm = nullptr;

TNIRDAL_vibForm::TNIRDAL_vibForm(QWidget* parent) : TviborForm(parent)
{
    setObjectName(QStringLiteral("NIRDAL_vibForm"));
    resize(707, 328);
}

void TNIRDAL_vibForm::RunAssignment()
{
    hide();
    TakeStudentFromRoster(ProgramAssignment(), StudentSelection.Group, StudentSelection.Slot);
    RunAssignmentLoop();
    show();
}

void TNIRDAL_vibForm::ScanRoster()
{
    CountGroups();
}

void TNIRDAL_vibForm::SetHeading()
{
    // The last letter is a Latin X.
    Label1->setText(QStringLiteral("ВЫБОР ГРУППЫ/ФАМИЛИИ АФЧX"));
    FitHeight(Label1);
}

} // namespace nirdal
