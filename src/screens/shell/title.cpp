// SPDX-License-Identifier: MIT
#include "screens/shell/title.h"

#include "screens/roster/selection.h"
#include "screens/shell/controls.h"

namespace nirdal {

TitleScreen* TitleForm = nullptr;

TitleScreen::TitleScreen(QWidget* parent) : TitleWindow(parent)
{
    setObjectName(QStringLiteral("NirdalFam_ETICForm"));
    setFixedSize(493, height());
}

void TitleScreen::RunNext()
{
    SelectionForm->ShowModal();
    show();
}

void TitleScreen::PrepareContinueLabel()
{
    ContinueLabel->setFixedWidth(460);
    ContinueLabel->setText(ContinueText());
    FitHeight(ContinueLabel);
}

} // namespace nirdal
