// SPDX-License-Identifier: MIT
#include "screens/shell/nirdal_etic.h"

#include "core/shell/shell_state.h"
#include "platform/text_encoding.h"
#include "screens/shell/controls.h"
#include "screens/shell/look.h"
#include "screens/shell/road.h"

#include <QLineEdit>

namespace nirdal {

TNIRDAL_ETICForm* NIRDAL_ETICForm = nullptr;

TNIRDAL_ETICForm::TNIRDAL_ETICForm(QWidget* parent) : TitleWindow(parent)
{
    setObjectName(QStringLiteral("NIRDAL_ETICForm"));
    // Lies over the ministry, agency, institution and department lines.
    Panel1 = AddPanel(this, "Panel1", QRect(12, 84, 470, 80), look::kGreen);
    QLabel* caption =
        AddLabel(Panel1, "LabeledEdit1Label", QStringLiteral("Введите свою Фамилию"), 16, 10);
    SetTextColour(caption, look::kBlack);
    LabeledEdit1 = new QLineEdit(Panel1);
    LabeledEdit1->setObjectName(QStringLiteral("LabeledEdit1"));
    LabeledEdit1->setGeometry(16, 28, 250, 21);
    SetTextColour(LabeledEdit1, look::kBlack);
    Button1 =
        AddButton(Panel1, "Button1", QStringLiteral("Когда ввели,жмите"), QRect(290, 26, 160, 25));
    SetTextColour(Button1, look::kBlack);
    connect(Button1, &QPushButton::clicked, this, &TNIRDAL_ETICForm::Button1Click);
}

void TNIRDAL_ETICForm::Button1Click()
{
    // Taken as typed: no trimming, an empty surname is accepted too.
    StudentSurname = Utf8ToCp1251(LabeledEdit1->text().toStdString());
    Panel1->hide();
}

void TNIRDAL_ETICForm::RunNext()
{
    RunAssignmentLoop();
}

void TNIRDAL_ETICForm::PrepareContinueLabel()
{
    Panel1->hide();
    if (StudentSurname.empty())
        Panel1->show();
    ContinueLabel->setFixedWidth(460);
    ContinueLabel->setText(ContinueText());
    FitHeight(ContinueLabel);
}

} // namespace nirdal
