// SPDX-License-Identifier: MIT
#include "screens/tf/nirdal_nastvar.h"

#include "core/numtext/numtext.h"
#include "core/shell/shell_state.h"
#include "core/tf/transfer_function.h"
#include "screens/shell/controls.h"
#include "screens/shell/look.h"
#include "screens/shell/nirdal_inf.h"
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

TNIRDAL_nastvarForm* NIRDAL_nastvarForm = nullptr;

TNIRDAL_nastvarForm::TNIRDAL_nastvarForm(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("NIRDAL_nastvarForm"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(397, 282);
    SetBackground(this, look::kSkyBlue);

    PZ = AddPanel(this, "PZ", QRect(0, 0, 92, 80), look::kAqua);
    LZ = AddLabel(PZ, "LZ", QStringLiteral("ВВОД ЗНАМЕНАТЕЛЯ "), 4, 3);
    SetBackground(LZ, look::kLime);
    SZ1 = AddDisplayGrid(PZ, "SZ1", 40);
    SZ1->SetFixed(1, 1);

    PC = AddPanel(this, "PC", QRect(92, 0, 165, 60), look::kBackground);
    LC = AddLabel(PC, "LC", QStringLiteral("ВВОД  ЧИСЛИТЕЛЯ "), 4, 3);
    SC1 = AddDisplayGrid(PC, "SC1", 42);

    Panel1 = AddPanel(this, "Panel1", QRect(92, 60, 165, 49), look::kHotLight);
    Label1 = AddLabel(Panel1, "Label1", QStringLiteral("ЗАПАЗДЫВАНИЕ(секунды)"), 4, 3);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(4, 22, 89, 21);

    Button1 = AddButton(this, "Button1", QStringLiteral("Далее"), QRect(284, 8, 105, 33));
    Label2 = AddLabel(this, "Label2", QString(), 284, 48);
    SpeedButton1 = AddSpeedButton(this, "SpeedButton1", Glyph::Question, QRect(284, 68, 23, 22),
                                  QStringLiteral("Вопрос"));
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setGeometry(284, 96, 57, 22);
    SpinEdit1->setRange(1, 1);
    SpinEdit1->setValue(1);

    FitPanelsToTheirTexts();

    connect(SpinEdit1, &QSpinBox::textChanged, this, &TNIRDAL_nastvarForm::SpinEdit1Change);
    connect(Button1, &QPushButton::clicked, this, &TNIRDAL_nastvarForm::Button1Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TNIRDAL_nastvarForm::SpeedButton1Click);
}

void TNIRDAL_nastvarForm::FitPanelsToTheirTexts()
{
    // The denominator caption names degrees up to 15: its panel takes the widest one, and
    // what stands right of it moves along, the window widening when it must.
    LZ->setText(QStringLiteral("ВВОД ЗНАМЕНАТЕЛЯ 15"));
    LZ->adjustSize();
    PZ->resize(std::max(PZ->width(), LZ->x() + LZ->width() + LZ->x()), PZ->height());
    const int shift = PZ->width() - PC->x();
    PC->move(PC->x() + shift, PC->y());
    Panel1->move(Panel1->x() + shift, Panel1->y());
    const int right = std::max(Button1->x(), PC->x() + PC->width() + 8);
    for (QWidget* control :
         std::initializer_list<QWidget*>{Button1, Label2, SpeedButton1, SpinEdit1})
        control->move(right, control->y());
    setFixedSize(std::max(width(), Button1->x() + Button1->width() + 8), height());
}

int TNIRDAL_nastvarForm::ChosenNumber() const
{
    return std::clamp(SpinEdit1->value(), 1, std::max<int>(VariantCount, 1));
}

void TNIRDAL_nastvarForm::FormActivate()
{
    const QSignalBlocker quiet(SpinEdit1);
    SpinEdit1->setMaximum(VariantCount);
    // The spin box shows the variant the screen shows, so an immediate "Далее" chooses it.
    SpinEdit1->setValue(CurrentVariant);
    ShowChosenVariant();
}

void TNIRDAL_nastvarForm::SpinEdit1Change()
{
    CurrentVariant = static_cast<std::uint8_t>(ChosenNumber());
    ShowChosenVariant();
}

void TNIRDAL_nastvarForm::Button1Click()
{
    AssignmentDone = false;
    CurrentVariant = static_cast<std::uint8_t>(ChosenNumber());
    Close();
}

void TNIRDAL_nastvarForm::SpeedButton1Click()
{
    NIRDAL_infForm->ShowModal();
}

void TNIRDAL_nastvarForm::ShowChosenVariant()
{
    const TransferFunction& variant = CurrentTransferFunction();
    const int n = variant.DenominatorDegree;
    const int m = variant.NumeratorDegree;
    Panel1->show();
    LayOutCoefficientPanels(this, PZ, PC, Panel1, n, m);
    PlaceOnScreen(this, QPoint(100, 700));
    SZ1->SetDefaultRowHeight(kRowHeight);
    SC1->SetDefaultRowHeight(kRowHeight);
    SZ1->SetRowCount(n + 1);
    SZ1->resize(SZ1->width(), 19 * (n + 1));
    SC1->SetRowCount(m + 1);
    SC1->setGeometry(SC1->x(), SZ1->y(), SC1->width(), 19 * (m + 2));
    LZ->setText(QStringLiteral("ВВОД ЗНАМЕНАТЕЛЯ ") + FromCp1251(IntegerText(n)));
    LZ->adjustSize();
    LC->setText(QStringLiteral("ВВОД  ЧИСЛИТЕЛЯ ") + FromCp1251(IntegerText(m)));
    LC->adjustSize();
    Label2->setText(VariantCaption());
    Label2->adjustSize();
    ShowCoefficientColumn(SZ1, variant.A.data(), n, 'A');
    ShowCoefficientColumn(SC1, variant.B.data(), m, 'B');
    Edit1->setText(FromCp1251(FormatNumber(variant.Delay)));
}

} // namespace nirdal
