// SPDX-License-Identifier: MIT
#include "screens/tf/nirdal_znach.h"
#include "screens/shell/road.h"

#include "core/tf/assignment.h"
#include "screens/response/nirdal_ras.h"
#include "screens/shell/controls.h"
#include "screens/shell/look.h"
#include "screens/shell/nirdal_inf.h"
#include "screens/tf/nirdal_nastroika.h"

#include <QKeyEvent>
#include <QToolButton>

namespace nirdal {

TNIRDAL_znachForm* NIRDAL_znachForm = nullptr;

TNIRDAL_znachForm::TNIRDAL_znachForm(QWidget* parent) : TFormkriv(parent)
{
    setObjectName(QStringLiteral("NIRDAL_znachForm"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("ввод_1"));
    setFixedSize(202, 180);
    move(221, 172);
    SetBackground(this, look::kButtonFace);

    PO = AddPanel(this, "PO", QRect(0, 0, 202, 180), look::kLime);
    SpeedButton1 = AddSpeedButton(PO, "SpeedButton1", Glyph::Forward, QRect(88, 3, 25, 25),
                                  QStringLiteral("Дальше"));
    LO1 = AddLabel(PO, "LO1", QStringLiteral("ВВОД   ЗНАЧЕНИЙ "), 40, 32);

    Label1 = AddLabel(PO, "Label1", QStringLiteral("ЗНАМЕНАТЕЛЬ( ДО 15)"), 4, 56);
    Label2 = AddLabel(PO, "Label2", QStringLiteral("ЧИСЛИТЕЛЬ"), 4, 82);
    const int numbersLeft = Label1->geometry().right() + 8;
    SZL = AddLabel(PO, "SZL", QStringLiteral("1"), numbersLeft, 53);
    SZL->setFont(look::Font(15));
    SetTextColour(SZL, look::kBackground);
    SZL->setFixedWidth(20);
    SCL = AddLabel(PO, "SCL", QStringLiteral("0"), numbersLeft, 79);
    SCL->setFont(look::Font(15));
    SetTextColour(SCL, look::kHotLight);
    SCL->setFixedWidth(20);
    SZ = new UpDown(PO, "SZ", 1, 15, 1);
    SZ->setGeometry(numbersLeft + 22, 51, 17, 24);
    SC = new UpDown(PO, "SC", 0, 14, 0);
    SC->setGeometry(numbersLeft + 22, 77, 17, 24);

    SpeedButton2 = AddSpeedButton(PO, "SpeedButton2", Glyph::Question, QRect(89, 112, 23, 22),
                                  QStringLiteral("Вопрос"));

    connect(SZ, &UpDown::MouseDown, this, &TNIRDAL_znachForm::SZMouseDown);
    connect(SZ, &UpDown::MouseUp, this, &TNIRDAL_znachForm::SZMouseUp);
    connect(SC, &UpDown::MouseDown, this, &TNIRDAL_znachForm::SCMouseDown);
    connect(SC, &UpDown::MouseUp, this, &TNIRDAL_znachForm::SCMouseUp);
    connect(SpeedButton1, &QToolButton::clicked, this, &TNIRDAL_znachForm::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TNIRDAL_znachForm::SpeedButton2Click);
}

void TNIRDAL_znachForm::FormActivate()
{
    TFormkriv::FormActivate();
    const TransferFunction& variant = CurrentTransferFunction(ProgramAssignment());
    LO1->setText(QStringLiteral(" ВВОД   ЗНАЧЕНИЙ ") +
                 QString::number(ProgramAssignment().CurrentVariant));
    LO1->adjustSize();
    ShowDegrees();
    // The up-downs step from what the labels show, so the first press after a change of
    // variant moves from the stored degree and not from an old position.
    SZ->SetPosition(variant.DenominatorDegree);
    SC->SetPosition(variant.NumeratorDegree);
    SZ->setFocus(); // the arrow keys step the denominator's degree; Tab goes to the numerator's
}

void TNIRDAL_znachForm::keyPressEvent(QKeyEvent* event)
{
    // Enter goes on, as "Дальше" does.
    if (IsEnterPress(event))
        SpeedButton1Click();
    else
        TFormkriv::keyPressEvent(event);
}

void TNIRDAL_znachForm::SZMouseDown()
{
    ActionList1Change(SZ->Position(), CurrentTransferFunction(ProgramAssignment()).NumeratorDegree);
}

void TNIRDAL_znachForm::SZMouseUp()
{
    ActionList1Change(SZ->Position(), CurrentTransferFunction(ProgramAssignment()).NumeratorDegree);
}

void TNIRDAL_znachForm::SCMouseDown()
{
    ActionList1Change(CurrentTransferFunction(ProgramAssignment()).DenominatorDegree,
                      SC->Position());
}

void TNIRDAL_znachForm::SCMouseUp()
{
    ActionList1Change(CurrentTransferFunction(ProgramAssignment()).DenominatorDegree,
                      SC->Position());
}

void TNIRDAL_znachForm::ActionList1Change(int n, int m)
{
    // A numerator degree not below n is cut to n − 1; the numerator's up-down keeps its
    // position, so the next press steps from there.
    SetDegrees(CurrentTransferFunction(ProgramAssignment()), n, m);
    ShowDegrees();
}

void TNIRDAL_znachForm::ShowDegrees()
{
    const TransferFunction& variant = CurrentTransferFunction(ProgramAssignment());
    SZL->setText(QString::number(variant.DenominatorDegree));
    SCL->setText(QString::number(variant.NumeratorDegree));
}

void TNIRDAL_znachForm::SpeedButton1Click()
{
    // Every cycle starts both screens from their designed state; the earlier instances
    // stay alive until the program ends, but never shown again, they give back their
    // native windows and back buffers now.
    ReplaceForm(NIRDAL_nastroikaForm);
    ReplaceForm(NIRDAL_rasform);
    hide();
    NIRDAL_nastroikaForm->ShowModal();
    NIRDAL_rasform->ShowModal();
    show();
    Close();
}

void TNIRDAL_znachForm::SpeedButton2Click()
{
    NIRDAL_infForm->ShowModal();
}

} // namespace nirdal
