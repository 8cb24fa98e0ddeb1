// SPDX-License-Identifier: MIT
#include "screens/tf/nirdal_nastroika.h"

#include "core/numtext/numtext.h"
#include "core/tf/general_text.h"
#include "core/tf/transfer_function.h"
#include "screens/shell/controls.h"
#include "screens/shell/look.h"
#include "screens/shell/nirdal_inf.h"
#include "screens/shell/placement.h"
#include "screens/tf/coefficient_panels.h"

#include <QLineEdit>
#include <QToolButton>

namespace nirdal {
namespace {

constexpr int kGridTop = 20;
constexpr int kRowHeight = 18;

StringGrid* AddDisplayGrid(QWidget* panel, const char* name, int left, int columnWidth)
{
    auto* grid = new StringGrid(panel, name);
    grid->SetColCount(2);
    grid->SetDefaultColWidth(columnWidth);
    grid->SetDefaultRowHeight(kRowHeight);
    grid->setGeometry(left, kGridTop, 2 * (columnWidth + 1), 19 * 2);
    grid->setFocusPolicy(Qt::NoFocus); // it only shows: Tab passes it by
    return grid;
}

StringGrid* AddEntryGrid(QWidget* panel, const char* name, int left)
{
    auto* grid = new StringGrid(panel, name);
    grid->SetColCount(1);
    grid->SetDefaultColWidth(50);
    grid->SetDefaultRowHeight(kRowHeight);
    grid->SetEditable(true);
    grid->setGeometry(left, kGridTop, 51, 19 * 3);
    return grid;
}

} // namespace

TNIRDAL_nastroikaForm* NIRDAL_nastroikaForm = nullptr;

TNIRDAL_nastroikaForm::TNIRDAL_nastroikaForm(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("NIRDAL_nastroikaForm"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(502, 282);
    SetBackground(this, look::kSkyBlue);

    PZ = AddPanel(this, "PZ", QRect(0, 0, 146, 80), look::kAqua);
    LZ = AddLabel(PZ, "LZ", QStringLiteral("ВВОД ЗНАМЕНАТЕЛЯ "), 4, 3);
    SetBackground(LZ, look::kLime);
    SZ1 = AddDisplayGrid(PZ, "SZ1", 4, 40);
    SZ1->SetFixed(1, 1);
    SZ2 = AddEntryGrid(PZ, "SZ2", 90);

    PC = AddPanel(this, "PC", QRect(146, 0, 165, 60), look::kBackground);
    LC = AddLabel(PC, "LC", QStringLiteral("ВВОД  ЧИСЛИТЕЛЯ "), 4, 3);
    SetTextColour(LC, look::kWindowText);
    SC1 = AddDisplayGrid(PC, "SC1", 4, 42);
    SC2 = AddEntryGrid(PC, "SC2", 94);

    Panel1 = AddPanel(this, "Panel1", QRect(146, 60, 165, 49), look::kHotLight);
    Label1 = AddLabel(Panel1, "Label1", QStringLiteral("ЗАПАЗДЫВАНИЕ(секунды)"), 4, 3);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(4, 22, 89, 21);

    Button1 = AddButton(this, "Button1", QStringLiteral("ввод"), QRect(381, 8, 113, 57));
    Button2 = AddButton(this, "Button2", QStringLiteral("повторный ввод"), QRect(381, 8, 113, 33));
    SetTextColour(Button2, look::kHighlight);
    Button3 =
        AddButton(this, "Button3", QStringLiteral("окончание  ввода"), QRect(381, 45, 113, 33));
    SetTextColour(Button3, look::kGreen);
    // Caption and help button stay above 120 pixels, the least height of the window.
    Label2 = AddLabel(this, "Label2", QString(), 381, 81);
    SpeedButton1 = AddSpeedButton(this, "SpeedButton1", Glyph::Question, QRect(426, 96, 23, 22),
                                  QStringLiteral("Вопрос"));

    connect(Button1, &QPushButton::clicked, this, &TNIRDAL_nastroikaForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TNIRDAL_nastroikaForm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TNIRDAL_nastroikaForm::Button3Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TNIRDAL_nastroikaForm::SpeedButton1Click);
}

void TNIRDAL_nastroikaForm::FormActivate()
{
    const TransferFunction& variant = CurrentTransferFunction();
    const int n = variant.DenominatorDegree;
    const int m = variant.NumeratorDegree;
    Panel1->show();
    LayOutCoefficientPanels(this, PZ, PC, Panel1, n, m);
    PlaceOnScreen(this, QPoint(100, 100));
    for (StringGrid* grid : {SZ1, SZ2, SC1, SC2})
        grid->SetDefaultRowHeight(kRowHeight);
    SZ2->SetDefaultColWidth(50);
    SC2->SetDefaultColWidth(50);
    SZ1->SetRowCount(n + 1);
    SZ1->resize(SZ1->width(), 19 * (n + 1));
    SZ2->SetRowCount(n + 1);
    SZ2->setGeometry(SZ2->x(), SZ1->y(), SZ2->width(), 19 * (n + 2));
    SC1->SetRowCount(m + 1);
    SC1->setGeometry(SC1->x(), SZ1->y(), SC1->width(), 19 * (m + 2));
    SC2->SetRowCount(m + 1);
    SC2->setGeometry(SC2->x(), SZ1->y(), SC2->width(), 19 * (m + 2));
    LZ->setText(QStringLiteral("ВВОД ЗНАМЕНАТЕЛЯ ") + FromCp1251(IntegerText(n)));
    LZ->adjustSize();
    LC->setText(QStringLiteral("ВВОД  ЧИСЛИТЕЛЯ ") + FromCp1251(IntegerText(m)));
    LC->adjustSize();
    ShowStoredCoefficients();
    SetEntryOpen(true);
}

void TNIRDAL_nastroikaForm::SetEntryOpen(bool open)
{
    // Between "ввод" and "повторный ввод" the stored values are on the screen: the cells
    // take no typing then, so nothing can be typed that "окончание  ввода" would not keep.
    SZ2->SetEditable(open);
    SC2->SetEditable(open);
    Edit1->setReadOnly(!open);
    Button1->setVisible(open);
    Button2->setVisible(!open);
    Button3->setVisible(!open);
    // The keyboard goes on where the student goes on: typing, or finishing the entry.
    if (open)
        SZ2->setFocus();
    else
        Button3->setFocus();
}

void TNIRDAL_nastroikaForm::ShowStoredCoefficients()
{
    const TransferFunction& variant = CurrentTransferFunction();
    Label2->setText(VariantCaption());
    Label2->adjustSize();
    ShowCoefficientColumn(SZ1, variant.A.data(), variant.DenominatorDegree, 'A');
    ShowCoefficientColumn(SC1, variant.B.data(), variant.NumeratorDegree, 'B');
    m_writtenDelay = FromCp1251(FormatNumber(variant.Delay));
    Edit1->setText(m_writtenDelay);
}

bool TNIRDAL_nastroikaForm::EnterColumn(StringGrid* entry, StringGrid* display,
                                        QVector<QString>& written, int degree,
                                        Extended* coefficients, char letter)
{
    written.resize(degree + 1);
    for (int r = 0; r <= degree; ++r) {
        const QString text = entry->Cell(0, r);
        if (text.isEmpty())
            continue;
        Extended& coefficient = coefficients[degree - r];
        if (text != written[r]) {
            try {
                coefficient = ParseNumber(text.toStdString());
            } catch (const ConversionError& error) {
                entry->SetCurrentCell(0, r);
                const std::string label = CoefficientLabel(static_cast<std::uint8_t>(degree - r), letter);
                RefuseText(entry, QStringLiteral("Коэффициент ") + FromCp1251(label).trimmed(), error);
                return false;
            }
        }
        written[r] = FromCp1251(GeneralText(coefficient, LocaleDecimalSeparator()));
        display->SetCell(1, r, written[r]);
        entry->SetCell(0, r, written[r]);
    }
    return true;
}

bool TNIRDAL_nastroikaForm::EnterDelay()
{
    Extended& delay = CurrentTransferFunction().Delay;
    const QString text = Edit1->text();
    if (!text.isEmpty() && text != m_writtenDelay) {
        try {
            delay = ParseNumber(text.toStdString());
        } catch (const ConversionError& error) {
            RefuseText(Edit1, QStringLiteral("Запаздывание"), error);
            return false;
        }
    }
    m_writtenDelay = FromCp1251(FormatNumber(delay));
    Edit1->setText(m_writtenDelay);
    return true;
}

void TNIRDAL_nastroikaForm::RefuseText(QWidget* place, const QString& name,
                                        const ConversionError& error)
{
    ShowErrorBox(this, name + QStringLiteral(": ") + QString::fromStdString(error.what()));
    place->setFocus();
}

void TNIRDAL_nastroikaForm::Button1Click()
{
    SZ2->CommitEdit();
    SC2->CommitEdit();
    TransferFunction& variant = CurrentTransferFunction();
    // A text that does not convert stops here: what came before is stored, the student
    // corrects that cell and presses "ввод" again.
    if (!EnterColumn(SZ2, SZ1, m_writtenDenominator, variant.DenominatorDegree, variant.A.data(),
                     'A') ||
        !EnterColumn(SC2, SC1, m_writtenNumerator, variant.NumeratorDegree, variant.B.data(),
                     'B') ||
        !EnterDelay())
        return;
    SetEntryOpen(false);
}

void TNIRDAL_nastroikaForm::Button2Click()
{
    ShowStoredCoefficients();
    SetEntryOpen(true);
}

void TNIRDAL_nastroikaForm::Button3Click()
{
    Close();
}

void TNIRDAL_nastroikaForm::SpeedButton1Click()
{
    NIRDAL_infForm->ShowModal();
}

} // namespace nirdal
