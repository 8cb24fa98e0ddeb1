// SPDX-License-Identifier: MIT
#include "screens/shell/road.h"

#include "core/shell/shell_state.h"
#include "screens/plot/graph.h"
#include "screens/response/computation.h"
#include "screens/roster/selection.h"
#include "screens/shell/information.h"
#include "screens/shell/title.h"
#include "screens/tf/coefficient_entry.h"
#include "screens/tf/degree_entry.h"
#include "screens/tf/variant_choice.h"

#include <QApplication>

namespace nirdal {

void CreateScreens()
{
    CreateForm(TitleForm);
    CreateForm(GraphForm);
    CreateForm(InformationForm);
    CreateForm(CoefficientEntryForm);
    CreateForm(VariantChoiceForm);
    CreateForm(ComputationForm);
    CreateForm(SelectionForm);
    CreateForm(DegreeEntryForm);
}

void ShowMainWindow()
{
    QObject::connect(TitleForm, &QDialog::finished, qApp, [] { QCoreApplication::quit(); });
    TitleForm->show();
}

Assignment& ProgramAssignment()
{
    static Assignment assignment;
    return assignment;
}

RosterGroups& ProgramRoster()
{
    static RosterGroups roster{};
    return roster;
}

void RunAssignmentLoop()
{
    RunAssignmentLoop(ProgramAssignment(), AssignmentLoopScreens{
                                               [] { DegreeEntryForm->ShowModal(); },
                                               [] { GraphForm->ShowModal(); },
                                           });
}

} // namespace nirdal
