// SPDX-License-Identifier: MIT
#include "screens/roster/selection_window.h"

#include "core/roster/method_guide.h"
#include "core/roster/roster.h"
#include "screens/shell/controls.h"
#include "screens/shell/look.h"
#include "screens/shell/placement.h"

#include <QDesktopServices>
#include <QDir>
#include <QStyle>
#include <QToolButton>
#include <QUrl>

namespace nirdal {
namespace {

constexpr int kStripColumnWidth = 45;
constexpr int kSurnameColumnWidth = 225;
constexpr int kSurnameRowHeight = 24;
constexpr int kSurnameGridTop = 48;

} // namespace

SelectionWindow::SelectionWindow(const RosterGroups& roster, StudentChoice& selection,
                                 QWidget* parent)
    : Form(parent), m_roster(roster), m_selection(selection)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    SetBackground(this, look::kBlue);

    Heading = AddLabel(this, "Label1", QStringLiteral("ВЫВОР  ГРУППЫ  И ФАМИЛИИ"), 0, 0);
    Heading->setWordWrap(true);
    Heading->setFixedWidth(180);
    FitHeight(Heading);
    SetBackground(Heading, look::kCaptionText);
    SetTextColour(Heading, look::kWindowText);

    GuideButton = AddSpeedButton(this, "SpeedButton2", Glyph::Question, QRect(190, 8, 33, 33));
    GuideButton->setIconSize(QSize(16, 16));

    CloseButton = AddButton(this, "BitBtn1", StandardCloseCaption(), QRect(232, 12, 80, 25));
    CloseButton->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    SetBackground(CloseButton, look::kButtonFace);

    GroupGrid = new StringGrid(this, "StringGrid2");
    GroupGrid->SetColCount(6);
    GroupGrid->SetRowCount(1);
    GroupGrid->SetDefaultColWidth(kStripColumnWidth);
    GroupGrid->SetDefaultRowHeight(kSurnameRowHeight);
    GroupGrid->setGeometry(322, 12, 281, kSurnameRowHeight + 1);

    SurnameGrid = new StringGrid(this, "StringGrid1");
    SurnameGrid->SetColCount(3);
    SurnameGrid->SetRowCount(10);
    SurnameGrid->SetDefaultColWidth(kSurnameColumnWidth);
    SurnameGrid->SetDefaultRowHeight(kSurnameRowHeight);
    SurnameGrid->setGeometry(0, kSurnameGridTop, 3 * (kSurnameColumnWidth + 1), 250);

    resize(707, 328);

    connect(GroupGrid, &StringGrid::Click, this, &SelectionWindow::ChooseGroup);
    connect(SurnameGrid, &StringGrid::Click, this, &SelectionWindow::ChooseStudent);
    connect(GuideButton, &QToolButton::clicked, this, &SelectionWindow::OpenMethodGuide);
    connect(CloseButton, &QPushButton::clicked, this, &SelectionWindow::Close);
}

void SelectionWindow::FormCreate()
{
    SetHeading();
    // Downward, so the strip ends at the first absent group: a present group after an
    // absent one is not offered.
    for (int a = kGroupCount; a >= 1; --a) {
        GroupGrid->SetCell(a - 1, 0, QString::fromStdString(RosterGroupName(m_roster, a)));
        if (!GroupPresent(m_roster, a)) {
            GroupGrid->SetColCount(std::max(a - 1, 1));
            GroupGrid->resize((a - 1) * (GroupGrid->DefaultColWidth() + 5), GroupGrid->height());
        }
    }
    GroupGrid->SetCurrentCell(0, 0);
    m_selection.Group = 1;
    m_selection.Slot = 1;
    FillSurnameGrid();
    PlaceOnScreen(this, QPoint(0, 0));
    // The keyboard starts on the surnames: Enter picks the current one, an arrow the next.
    SurnameGrid->setFocus();
}

void SelectionWindow::FillSurnameGrid()
{
    const int n = GroupCount(m_roster, m_selection.Group);
    const int rowPitch = SurnameGrid->DefaultRowHeight() + 1;
    SurnameGrid->resize(SurnameGrid->width(), (n + 2) / 3 * rowPitch);
    resize(width(), SurnameGrid->y() + SurnameGrid->height() + 1);
    SurnameGrid->SetRowCount((n - 1) / 3 + 1);
    SurnameGrid->ClearCells();
    for (int c = 1; c <= n; ++c)
        SurnameGrid->SetCell((c - 1) % 3, (c - 1) / 3,
                             QString::fromStdString(RosterSurname(m_roster, m_selection.Group, c)));
}

void SelectionWindow::ChooseGroup()
{
    m_selection.Group = static_cast<std::uint8_t>(GroupGrid->Col() + 1);
    FillSurnameGrid();
}

void SelectionWindow::ChooseStudent()
{
    const int slot = SurnameGrid->Col() + 1 + 3 * SurnameGrid->Row();
    m_selection = StudentNumbered((m_selection.Group - 1) * kSlotsPerGroup + slot);
    hide();
    RunAssignment();
    show();
}

void SelectionWindow::OpenMethodGuide()
{
    // Whether the desktop can open the guide is the desktop's business, and the screen
    // stays as it is either way.
    const std::filesystem::path guide = FindMethodGuide();
    if (guide.empty())
        return;
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QDir::current().absoluteFilePath(QString::fromStdString(guide))));
}

} // namespace nirdal
