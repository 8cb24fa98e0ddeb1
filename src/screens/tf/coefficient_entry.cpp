// SPDX-License-Identifier: MIT
#include "screens/tf/coefficient_entry.h"
#include "screens/shell/road.h"

#include "core/numtext/numtext.h"
#include "core/tf/assignment.h"
#include "core/tf/general_text.h"
#include "core/tf/transfer_function.h"
#include "screens/shell/controls.h"
#include "screens/shell/information.h"
#include "screens/shell/look.h"
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

CoefficientEntryScreen* CoefficientEntryForm = nullptr;

CoefficientEntryScreen::CoefficientEntryScreen(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("NIRDAL_nastroikaForm"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(502, 282);
    SetBackground(this, look::kSkyBlue);

    DenominatorPanel = AddPanel(this, "PZ", QRect(0, 0, 146, 80), look::kAqua);
    DenominatorHeading =
        AddLabel(DenominatorPanel, "LZ", QStringLiteral("ВВОД ЗНАМЕНАТЕЛЯ "), 4, 3);
    SetBackground(DenominatorHeading, look::kLime);
    DenominatorGrid = AddDisplayGrid(DenominatorPanel, "SZ1", 4, 40);
    DenominatorGrid->SetFixed(1, 1);
    DenominatorEntryGrid = AddEntryGrid(DenominatorPanel, "SZ2", 90);

    NumeratorPanel = AddPanel(this, "PC", QRect(146, 0, 165, 60), look::kBackground);
    NumeratorHeading = AddLabel(NumeratorPanel, "LC", QStringLiteral("ВВОД  ЧИСЛИТЕЛЯ "), 4, 3);
    SetTextColour(NumeratorHeading, look::kWindowText);
    NumeratorGrid = AddDisplayGrid(NumeratorPanel, "SC1", 4, 42);
    NumeratorEntryGrid = AddEntryGrid(NumeratorPanel, "SC2", 94);

    DelayPanel = AddPanel(this, "Panel1", QRect(146, 60, 165, 49), look::kHotLight);
    DelayHeading = AddLabel(DelayPanel, "Label1", QStringLiteral("ЗАПАЗДЫВАНИЕ(секунды)"), 4, 3);
    DelayEdit = new QLineEdit(DelayPanel);
    DelayEdit->setObjectName(QStringLiteral("Edit1"));
    DelayEdit->setGeometry(4, 22, 89, 21);

    EnterButton = AddButton(this, "Button1", QStringLiteral("ввод"), QRect(381, 8, 113, 57));
    ReenterButton =
        AddButton(this, "Button2", QStringLiteral("повторный ввод"), QRect(381, 8, 113, 33));
    SetTextColour(ReenterButton, look::kHighlight);
    EndEntryButton =
        AddButton(this, "Button3", QStringLiteral("окончание  ввода"), QRect(381, 45, 113, 33));
    SetTextColour(EndEntryButton, look::kGreen);
    // Caption and help button stay above 120 pixels, the least height of the window.
    VariantLabel = AddLabel(this, "Label2", QString(), 381, 81);
    HelpButton = AddSpeedButton(this, "SpeedButton1", Glyph::Question, QRect(426, 96, 23, 22),
                                QStringLiteral("Вопрос"));

    connect(EnterButton, &QPushButton::clicked, this, &CoefficientEntryScreen::Enter);
    connect(ReenterButton, &QPushButton::clicked, this, &CoefficientEntryScreen::Reenter);
    connect(EndEntryButton, &QPushButton::clicked, this, &CoefficientEntryScreen::EndEntry);
    connect(HelpButton, &QToolButton::clicked, this, &CoefficientEntryScreen::Help);
}

void CoefficientEntryScreen::FormActivate()
{
    const TransferFunction& variant = CurrentTransferFunction(ProgramAssignment());
    const int n = variant.DenominatorDegree;
    const int m = variant.NumeratorDegree;
    DelayPanel->show();
    LayOutCoefficientPanels(this, DenominatorPanel, NumeratorPanel, DelayPanel, n, m);
    PlaceOnScreen(this, QPoint(100, 100));
    for (StringGrid* grid :
         {DenominatorGrid, DenominatorEntryGrid, NumeratorGrid, NumeratorEntryGrid})
        grid->SetDefaultRowHeight(kRowHeight);
    DenominatorEntryGrid->SetDefaultColWidth(50);
    NumeratorEntryGrid->SetDefaultColWidth(50);
    DenominatorGrid->SetRowCount(n + 1);
    DenominatorGrid->resize(DenominatorGrid->width(), 19 * (n + 1));
    DenominatorEntryGrid->SetRowCount(n + 1);
    DenominatorEntryGrid->setGeometry(DenominatorEntryGrid->x(), DenominatorGrid->y(),
                                      DenominatorEntryGrid->width(), 19 * (n + 2));
    NumeratorGrid->SetRowCount(m + 1);
    NumeratorGrid->setGeometry(NumeratorGrid->x(), DenominatorGrid->y(), NumeratorGrid->width(),
                               19 * (m + 2));
    NumeratorEntryGrid->SetRowCount(m + 1);
    NumeratorEntryGrid->setGeometry(NumeratorEntryGrid->x(), DenominatorGrid->y(),
                                    NumeratorEntryGrid->width(), 19 * (m + 2));
    DenominatorHeading->setText(QStringLiteral("ВВОД ЗНАМЕНАТЕЛЯ ") +
                                QString::fromStdString(IntegerText(n)));
    DenominatorHeading->adjustSize();
    NumeratorHeading->setText(QStringLiteral("ВВОД  ЧИСЛИТЕЛЯ ") +
                              QString::fromStdString(IntegerText(m)));
    NumeratorHeading->adjustSize();
    ShowStoredCoefficients();
    SetEntryOpen(true);
}

void CoefficientEntryScreen::SetEntryOpen(bool open)
{
    // Between "ввод" and "повторный ввод" the stored values are on the screen: the cells
    // take no typing then, so nothing can be typed that "окончание  ввода" would not keep.
    DenominatorEntryGrid->SetEditable(open);
    NumeratorEntryGrid->SetEditable(open);
    DelayEdit->setReadOnly(!open);
    EnterButton->setVisible(open);
    ReenterButton->setVisible(!open);
    EndEntryButton->setVisible(!open);
    // The keyboard goes on where the student goes on: typing, or finishing the entry.
    if (open)
        DenominatorEntryGrid->setFocus();
    else
        EndEntryButton->setFocus();
}

void CoefficientEntryScreen::ShowStoredCoefficients()
{
    const TransferFunction& variant = CurrentTransferFunction(ProgramAssignment());
    VariantLabel->setText(VariantCaption());
    VariantLabel->adjustSize();
    ShowCoefficientColumn(DenominatorGrid, variant.A.data(), variant.DenominatorDegree, 'A');
    ShowCoefficientColumn(NumeratorGrid, variant.B.data(), variant.NumeratorDegree, 'B');
    m_writtenDelay = QString::fromStdString(FormatNumber(variant.Delay));
    DelayEdit->setText(m_writtenDelay);
}

bool CoefficientEntryScreen::EnterColumn(StringGrid* entry, StringGrid* display,
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
                const std::string label =
                    CoefficientLabel(static_cast<std::uint8_t>(degree - r), letter);
                RefuseText(entry,
                           QStringLiteral("Коэффициент ") + QString::fromStdString(label).trimmed(),
                           error);
                return false;
            }
        }
        written[r] = QString::fromStdString(GeneralText(coefficient, LocaleDecimalSeparator()));
        display->SetCell(1, r, written[r]);
        entry->SetCell(0, r, written[r]);
    }
    return true;
}

bool CoefficientEntryScreen::EnterDelay()
{
    Extended& delay = CurrentTransferFunction(ProgramAssignment()).Delay;
    const QString text = DelayEdit->text();
    if (!text.isEmpty() && text != m_writtenDelay) {
        try {
            delay = ParseNumber(text.toStdString());
        } catch (const ConversionError& error) {
            RefuseText(DelayEdit, QStringLiteral("Запаздывание"), error);
            return false;
        }
    }
    m_writtenDelay = QString::fromStdString(FormatNumber(delay));
    DelayEdit->setText(m_writtenDelay);
    return true;
}

void CoefficientEntryScreen::RefuseText(QWidget* place, const QString& name,
                                        const ConversionError& error)
{
    ShowErrorBox(this, name + QStringLiteral(": ") + QString::fromStdString(error.what()));
    place->setFocus();
}

void CoefficientEntryScreen::Enter()
{
    DenominatorEntryGrid->CommitEdit();
    NumeratorEntryGrid->CommitEdit();
    TransferFunction& variant = CurrentTransferFunction(ProgramAssignment());
    // A text that does not convert stops here: what came before is stored, the student
    // corrects that cell and presses "ввод" again.
    if (!EnterColumn(DenominatorEntryGrid, DenominatorGrid, m_writtenDenominator,
                     variant.DenominatorDegree, variant.A.data(), 'A') ||
        !EnterColumn(NumeratorEntryGrid, NumeratorGrid, m_writtenNumerator, variant.NumeratorDegree,
                     variant.B.data(), 'B') ||
        !EnterDelay())
        return;
    SetEntryOpen(false);
}

void CoefficientEntryScreen::Reenter()
{
    ShowStoredCoefficients();
    SetEntryOpen(true);
}

void CoefficientEntryScreen::EndEntry()
{
    Close();
}

void CoefficientEntryScreen::Help()
{
    InformationForm->ShowModal();
}

} // namespace nirdal
