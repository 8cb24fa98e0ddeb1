// SPDX-License-Identifier: MIT
#include "screens/roster/vibor.h"

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

TviborForm::TviborForm(QWidget* parent) : Form(parent)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    SetBackground(this, look::kBlue);

    Label1 = AddLabel(this, "Label1", QStringLiteral("ВЫВОР  ГРУППЫ  И ФАМИЛИИ"), 0, 0);
    Label1->setWordWrap(true);
    Label1->setFixedWidth(180);
    FitHeight(Label1);
    SetBackground(Label1, look::kCaptionText);
    SetTextColour(Label1, look::kWindowText);

    SpeedButton2 = AddSpeedButton(this, "SpeedButton2", Glyph::Question, QRect(190, 8, 33, 33));
    SpeedButton2->setIconSize(QSize(16, 16));

    BitBtn1 = AddButton(this, "BitBtn1", StandardCloseCaption(), QRect(232, 12, 80, 25));
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    SetBackground(BitBtn1, look::kButtonFace);

    StringGrid2 = new StringGrid(this, "StringGrid2");
    StringGrid2->SetColCount(6);
    StringGrid2->SetRowCount(1);
    StringGrid2->SetDefaultColWidth(kStripColumnWidth);
    StringGrid2->SetDefaultRowHeight(kSurnameRowHeight);
    StringGrid2->setGeometry(322, 12, 281, kSurnameRowHeight + 1);

    StringGrid1 = new StringGrid(this, "StringGrid1");
    StringGrid1->SetColCount(3);
    StringGrid1->SetRowCount(10);
    StringGrid1->SetDefaultColWidth(kSurnameColumnWidth);
    StringGrid1->SetDefaultRowHeight(kSurnameRowHeight);
    StringGrid1->setGeometry(0, kSurnameGridTop, 3 * (kSurnameColumnWidth + 1), 250);

    resize(707, 328);

    connect(StringGrid2, &StringGrid::Click, this, &TviborForm::StringGrid2Click);
    connect(StringGrid1, &StringGrid::Click, this, &TviborForm::StringGrid1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TviborForm::SpeedButton2Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TviborForm::Close);
}

void TviborForm::FormCreate()
{
    SetHeading();
    ScanRoster();
    // Downward, so the strip ends at the first absent group: a present group after an
    // absent one is not offered.
    for (int a = kGroupCount; a >= 1; --a) {
        StringGrid2->SetCell(a - 1, 0, FromCp1251(RosterGroupName(a)));
        if (!GroupPresent(a)) {
            StringGrid2->SetColCount(std::max(a - 1, 1));
            StringGrid2->resize((a - 1) * (StringGrid2->DefaultColWidth() + 5),
                                StringGrid2->height());
        }
    }
    StringGrid2->SetCurrentCell(0, 0);
    StudentSelection.Group = 1;
    StudentSelection.Slot = 1;
    FillSurnameGrid();
    PlaceOnScreen(this, QPoint(0, 0));
    // The keyboard starts on the surnames: Enter picks the current one, an arrow the next.
    StringGrid1->setFocus();
}

void TviborForm::FillSurnameGrid()
{
    const int n = GroupCount(StudentSelection.Group);
    const int rowPitch = StringGrid1->DefaultRowHeight() + 1;
    StringGrid1->resize(StringGrid1->width(), (n + 2) / 3 * rowPitch);
    resize(width(), StringGrid1->y() + StringGrid1->height() + 1);
    StringGrid1->SetRowCount((n - 1) / 3 + 1);
    StringGrid1->ClearCells();
    for (int c = 1; c <= n; ++c)
        StringGrid1->SetCell((c - 1) % 3, (c - 1) / 3,
                             FromCp1251(RosterSurname(StudentSelection.Group, c)));
}

void TviborForm::StringGrid2Click()
{
    StudentSelection.Group = static_cast<std::uint8_t>(StringGrid2->Col() + 1);
    FillSurnameGrid();
}

void TviborForm::StringGrid1Click()
{
    StudentSelection.Slot =
        static_cast<std::uint8_t>(StringGrid1->Col() + 1 + 3 * StringGrid1->Row());
    SelectStudent((StudentSelection.Group - 1) * kSlotsPerGroup + StudentSelection.Slot);
    hide();
    RunAssignment();
    show();
}

void TviborForm::SpeedButton2Click()
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
