// SPDX-License-Identifier: MIT
#include "screens/tf/variant_choice.h"
#include "screens/shell/road.h"

#include "core/numtext/numtext.h"
#include "core/shell/shell_state.h"
#include "core/tf/assignment.h"
#include "core/tf/transfer_function.h"
#include "screens/shell/controls.h"
#include "screens/shell/information.h"
#include "screens/shell/look.h"
#include "screens/shell/placement.h"
#include "screens/tf/coefficient_panels.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>

namespace nirdal {
namespace {

constexpr int kRowHeight = 18;

StringGrid* AddDisplayGrid(QWidget* panel, const char* name, int columnWidth)
{
    auto* grid = new StringGrid(panel, name);
    grid->SetColCount(2);
    grid->SetDefaultColWidth(columnWidth);
    grid->SetDefaultRowHeight(kRowHeight);
    grid->setGeometry(4, 20, 2 * (columnWidth + 1), 19 * 2);
    grid->setFocusPolicy(Qt::NoFocus); // it only shows: Tab passes it by
    return grid;
}

} // namespace

VariantChoiceScreen* VariantChoiceForm = nullptr;

VariantChoiceScreen::VariantChoiceScreen(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("NIRDAL_nastvarForm"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(397, 282);
    SetBackground(this, look::kSkyBlue);

    DenominatorPanel = AddPanel(this, "PZ", QRect(0, 0, 92, 80), look::kAqua);
    DenominatorHeading =
        AddLabel(DenominatorPanel, "LZ", QStringLiteral("ВВОД ЗНАМЕНАТЕЛЯ "), 4, 3);
    SetBackground(DenominatorHeading, look::kLime);
    DenominatorGrid = AddDisplayGrid(DenominatorPanel, "SZ1", 40);
    DenominatorGrid->SetFixed(1, 1);

    NumeratorPanel = AddPanel(this, "PC", QRect(92, 0, 165, 60), look::kBackground);
    NumeratorHeading = AddLabel(NumeratorPanel, "LC", QStringLiteral("ВВОД  ЧИСЛИТЕЛЯ "), 4, 3);
    NumeratorGrid = AddDisplayGrid(NumeratorPanel, "SC1", 42);

    DelayPanel = AddPanel(this, "Panel1", QRect(92, 60, 165, 49), look::kHotLight);
    DelayHeading = AddLabel(DelayPanel, "Label1", QStringLiteral("ЗАПАЗДЫВАНИЕ(секунды)"), 4, 3);
    DelayEdit = new QLineEdit(DelayPanel);
    DelayEdit->setObjectName(QStringLiteral("Edit1"));
    DelayEdit->setGeometry(4, 22, 89, 21);

    NextButton = AddButton(this, "Button1", QStringLiteral("Далее"), QRect(284, 8, 105, 33));
    VariantLabel = AddLabel(this, "Label2", QString(), 284, 48);
    HelpButton = AddSpeedButton(this, "SpeedButton1", Glyph::Question, QRect(284, 68, 23, 22),
                                QStringLiteral("Вопрос"));
    VariantNumber = new QSpinBox(this);
    VariantNumber->setObjectName(QStringLiteral("SpinEdit1"));
    VariantNumber->setGeometry(284, 96, 57, 22);
    VariantNumber->setRange(1, 1);
    VariantNumber->setValue(1);

    FitPanelsToTheirTexts();

    connect(VariantNumber, &QSpinBox::textChanged, this,
            &VariantChoiceScreen::VariantNumberChanged);
    connect(NextButton, &QPushButton::clicked, this, &VariantChoiceScreen::ChooseVariant);
    connect(HelpButton, &QToolButton::clicked, this, &VariantChoiceScreen::Help);
}

void VariantChoiceScreen::FitPanelsToTheirTexts()
{
    // The denominator caption names degrees up to 15: its panel takes the widest one, and
    // what stands right of it moves along, the window widening when it must.
    DenominatorHeading->setText(QStringLiteral("ВВОД ЗНАМЕНАТЕЛЯ 15"));
    DenominatorHeading->adjustSize();
    DenominatorPanel->resize(
        std::max(DenominatorPanel->width(),
                 DenominatorHeading->x() + DenominatorHeading->width() + DenominatorHeading->x()),
        DenominatorPanel->height());
    const int shift = DenominatorPanel->width() - NumeratorPanel->x();
    NumeratorPanel->move(NumeratorPanel->x() + shift, NumeratorPanel->y());
    DelayPanel->move(DelayPanel->x() + shift, DelayPanel->y());
    const int right = std::max(NextButton->x(), NumeratorPanel->x() + NumeratorPanel->width() + 8);
    for (QWidget* control :
         std::initializer_list<QWidget*>{NextButton, VariantLabel, HelpButton, VariantNumber})
        control->move(right, control->y());
    setFixedSize(std::max(width(), NextButton->x() + NextButton->width() + 8), height());
}

void VariantChoiceScreen::FormActivate()
{
    const QSignalBlocker quiet(VariantNumber);
    VariantNumber->setMaximum(ProgramAssignment().VariantCount);
    // The spin box shows the variant the screen shows, so an immediate "Далее" chooses it.
    VariantNumber->setValue(ProgramAssignment().CurrentVariant);
    ShowChosenVariant();
}

void VariantChoiceScreen::VariantNumberChanged()
{
    SelectVariant(ProgramAssignment(), VariantNumber->value());
    ShowChosenVariant();
}

void VariantChoiceScreen::ChooseVariant()
{
    ChangeVariant(ProgramAssignment(), VariantNumber->value());
    Close();
}

void VariantChoiceScreen::Help()
{
    InformationForm->ShowModal();
}

void VariantChoiceScreen::ShowChosenVariant()
{
    const TransferFunction& variant = CurrentTransferFunction(ProgramAssignment());
    const int n = variant.DenominatorDegree;
    const int m = variant.NumeratorDegree;
    DelayPanel->show();
    LayOutCoefficientPanels(this, DenominatorPanel, NumeratorPanel, DelayPanel, n, m);
    PlaceOnScreen(this, QPoint(100, 700));
    DenominatorGrid->SetDefaultRowHeight(kRowHeight);
    NumeratorGrid->SetDefaultRowHeight(kRowHeight);
    DenominatorGrid->SetRowCount(n + 1);
    DenominatorGrid->resize(DenominatorGrid->width(), 19 * (n + 1));
    NumeratorGrid->SetRowCount(m + 1);
    NumeratorGrid->setGeometry(NumeratorGrid->x(), DenominatorGrid->y(), NumeratorGrid->width(),
                               19 * (m + 2));
    DenominatorHeading->setText(QStringLiteral("ВВОД ЗНАМЕНАТЕЛЯ ") +
                                QString::fromStdString(IntegerText(n)));
    DenominatorHeading->adjustSize();
    NumeratorHeading->setText(QStringLiteral("ВВОД  ЧИСЛИТЕЛЯ ") +
                              QString::fromStdString(IntegerText(m)));
    NumeratorHeading->adjustSize();
    VariantLabel->setText(VariantCaption());
    VariantLabel->adjustSize();
    ShowCoefficientColumn(DenominatorGrid, variant.A.data(), n, 'A');
    ShowCoefficientColumn(NumeratorGrid, variant.B.data(), m, 'B');
    DelayEdit->setText(QString::fromStdString(FormatNumber(variant.Delay)));
}

} // namespace nirdal
