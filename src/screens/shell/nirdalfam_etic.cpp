// SPDX-License-Identifier: MIT
#include "screens/shell/nirdalfam_etic.h"

#include "screens/roster/nirdal_vib.h"
#include "screens/shell/controls.h"

namespace nirdal {

TNirdalFam_ETICForm* NirdalFam_ETICForm = nullptr;

TNirdalFam_ETICForm::TNirdalFam_ETICForm(QWidget* parent) : TETICForm(parent)
{
    setObjectName(QStringLiteral("NirdalFam_ETICForm"));
    setFixedSize(493, height());
}

void TNirdalFam_ETICForm::RunNext()
{
    NIRDAL_vibForm->ShowModal();
    show();
}

void TNirdalFam_ETICForm::PrepareContinueLabel()
{
    Label3->setFixedWidth(460);
    Label3->setText(ContinueText());
    FitHeight(Label3);
}

} // namespace nirdal
