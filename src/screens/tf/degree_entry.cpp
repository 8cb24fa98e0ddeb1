// SPDX-License-Identifier: MIT
#include "screens/tf/degree_entry.h"
#include "screens/shell/road.h"

#include "core/tf/assignment.h"
#include "screens/response/computation.h"
#include "screens/shell/controls.h"
#include "screens/shell/information.h"
#include "screens/shell/look.h"
#include "screens/tf/coefficient_entry.h"

#include <QKeyEvent>
#include <QToolButton>

namespace nirdal {

DegreeEntryScreen* DegreeEntryForm = nullptr;

DegreeEntryScreen::DegreeEntryScreen(QWidget* parent) : ShapedWindow(parent)
{
    setObjectName(QStringLiteral("NIRDAL_znachForm"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("ввод_1"));
    setFixedSize(202, 180);
    move(221, 172);
    SetBackground(this, look::kButtonFace);

    DegreePanel = AddPanel(this, "PO", QRect(0, 0, 202, 180), look::kLime);
    NextButton = AddSpeedButton(DegreePanel, "SpeedButton1", Glyph::Forward, QRect(88, 3, 25, 25),
                                QStringLiteral("Дальше"));
    DegreeHeading = AddLabel(DegreePanel, "LO1", QStringLiteral("ВВОД   ЗНАЧЕНИЙ "), 40, 32);

    DenominatorCaption =
        AddLabel(DegreePanel, "Label1", QStringLiteral("ЗНАМЕНАТЕЛЬ( ДО 15)"), 4, 56);
    NumeratorCaption = AddLabel(DegreePanel, "Label2", QStringLiteral("ЧИСЛИТЕЛЬ"), 4, 82);
    const int numbersLeft = DenominatorCaption->geometry().right() + 8;
    DenominatorDegreeLabel = AddLabel(DegreePanel, "SZL", QStringLiteral("1"), numbersLeft, 53);
    DenominatorDegreeLabel->setFont(look::Font(15));
    SetTextColour(DenominatorDegreeLabel, look::kBackground);
    DenominatorDegreeLabel->setFixedWidth(20);
    NumeratorDegreeLabel = AddLabel(DegreePanel, "SCL", QStringLiteral("0"), numbersLeft, 79);
    NumeratorDegreeLabel->setFont(look::Font(15));
    SetTextColour(NumeratorDegreeLabel, look::kHotLight);
    NumeratorDegreeLabel->setFixedWidth(20);
    DenominatorUpDown = new UpDown(DegreePanel, "SZ", 1, 15, 1);
    DenominatorUpDown->setGeometry(numbersLeft + 22, 51, 17, 24);
    NumeratorUpDown = new UpDown(DegreePanel, "SC", 0, 14, 0);
    NumeratorUpDown->setGeometry(numbersLeft + 22, 77, 17, 24);

    HelpButton = AddSpeedButton(DegreePanel, "SpeedButton2", Glyph::Question,
                                QRect(89, 112, 23, 22), QStringLiteral("Вопрос"));

    connect(DenominatorUpDown, &UpDown::MouseDown, this, &DegreeEntryScreen::DenominatorPressed);
    connect(DenominatorUpDown, &UpDown::MouseUp, this, &DegreeEntryScreen::DenominatorReleased);
    connect(NumeratorUpDown, &UpDown::MouseDown, this, &DegreeEntryScreen::NumeratorPressed);
    connect(NumeratorUpDown, &UpDown::MouseUp, this, &DegreeEntryScreen::NumeratorReleased);
    connect(NextButton, &QToolButton::clicked, this, &DegreeEntryScreen::Next);
    connect(HelpButton, &QToolButton::clicked, this, &DegreeEntryScreen::Help);
}

void DegreeEntryScreen::FormActivate()
{
    ShapedWindow::FormActivate();
    const TransferFunction& variant = CurrentTransferFunction(ProgramAssignment());
    DegreeHeading->setText(QStringLiteral(" ВВОД   ЗНАЧЕНИЙ ") +
                 QString::number(ProgramAssignment().CurrentVariant));
    DegreeHeading->adjustSize();
    ShowDegrees();
    // The up-downs step from what the labels show, so the first press after a change of
    // variant moves from the stored degree and not from an old position.
    DenominatorUpDown->SetPosition(variant.DenominatorDegree);
    NumeratorUpDown->SetPosition(variant.NumeratorDegree);
    DenominatorUpDown
        ->setFocus(); // the arrow keys step the denominator's degree; Tab goes to the numerator's
}

void DegreeEntryScreen::keyPressEvent(QKeyEvent* event)
{
    // Enter goes on, as "Дальше" does.
    if (IsEnterPress(event))
        Next();
    else
        ShapedWindow::keyPressEvent(event);
}

void DegreeEntryScreen::DenominatorPressed()
{
    StoreDegrees(DenominatorUpDown->Position(), CurrentTransferFunction(ProgramAssignment()).NumeratorDegree);
}

void DegreeEntryScreen::DenominatorReleased()
{
    StoreDegrees(DenominatorUpDown->Position(), CurrentTransferFunction(ProgramAssignment()).NumeratorDegree);
}

void DegreeEntryScreen::NumeratorPressed()
{
    StoreDegrees(CurrentTransferFunction(ProgramAssignment()).DenominatorDegree,
                      NumeratorUpDown->Position());
}

void DegreeEntryScreen::NumeratorReleased()
{
    StoreDegrees(CurrentTransferFunction(ProgramAssignment()).DenominatorDegree,
                      NumeratorUpDown->Position());
}

void DegreeEntryScreen::StoreDegrees(int n, int m)
{
    // A numerator degree not below n is cut to n − 1; the numerator's up-down keeps its
    // position, so the next press steps from there.
    SetDegrees(CurrentTransferFunction(ProgramAssignment()), n, m);
    ShowDegrees();
}

void DegreeEntryScreen::ShowDegrees()
{
    const TransferFunction& variant = CurrentTransferFunction(ProgramAssignment());
    DenominatorDegreeLabel->setText(QString::number(variant.DenominatorDegree));
    NumeratorDegreeLabel->setText(QString::number(variant.NumeratorDegree));
}

void DegreeEntryScreen::Next()
{
    // Every cycle starts both screens from their designed state; the earlier instances
    // stay alive until the program ends, but never shown again, they give back their
    // native windows and back buffers now.
    ReplaceForm(CoefficientEntryForm);
    ReplaceForm(ComputationForm);
    hide();
    CoefficientEntryForm->ShowModal();
    ComputationForm->ShowModal();
    show();
    Close();
}

void DegreeEntryScreen::Help()
{
    InformationForm->ShowModal();
}

} // namespace nirdal
