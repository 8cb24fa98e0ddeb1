// SPDX-License-Identifier: MIT
#include "screens/shell/road.h"

#include "core/shell/shell_state.h"
#include "screens/plot/nirdal_graf.h"
#include "screens/plot/pechnac.h"
#include "screens/response/nirdal_ras.h"
#include "screens/roster/nirdal_vib.h"
#include "screens/shell/nirdal_etic.h"
#include "screens/shell/nirdal_inf.h"
#include "screens/shell/nirdalfam_etic.h"
#include "screens/tf/nirdal_nastroika.h"
#include "screens/tf/nirdal_nastvar.h"
#include "screens/tf/nirdal_znach.h"

#include <QApplication>

namespace nirdal {

void CreateScreens()
{
    CreateForm(NirdalFam_ETICForm);
    CreateForm(NIRDAL_ETICForm);
    CreateForm(PechNacForm);
    CreateForm(NIRDAL_grafForm);
    CreateForm(NIRDAL_infForm);
    CreateForm(NIRDAL_nastroikaForm);
    CreateForm(NIRDAL_nastvarForm);
    CreateForm(NIRDAL_rasform);
    CreateForm(NIRDAL_vibForm);
    CreateForm(NIRDAL_znachForm);
}

void ShowMainWindow()
{
    QObject::connect(NirdalFam_ETICForm, &QDialog::finished, qApp,
                     [] { QCoreApplication::quit(); });
    NirdalFam_ETICForm->show();
}

Assignment& ProgramAssignment()
{
    static Assignment assignment;
    return assignment;
}

void RunAssignmentLoop()
{
    RunAssignmentLoop(ProgramAssignment(), AssignmentLoopScreens{
                                               [] { NIRDAL_znachForm->ShowModal(); },
                                               [] { NIRDAL_grafForm->ShowModal(); },
                                           });
}

} // namespace nirdal
