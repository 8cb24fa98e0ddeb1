// SPDX-License-Identifier: MIT
#include "screens/response/computation.h"

#include "core/tf/assignment.h"
#include "core/tf/transfer_function.h"
#include "screens/shell/controls.h"
#include "screens/shell/look.h"
#include "screens/shell/road.h"

#include <QFontMetrics>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmapCache>
#include <QPushButton>

#include <cmath>

namespace nirdal {
namespace {

constexpr QSize kClientSize(525, 324);

// A one-line notice label keeps its designed box: a text wider than the box is drawn a pixel
// or two smaller rather than cut off, since the stand-in font is wider than the designed one.
void FitToBox(QLabel* label)
{
    if (label->wordWrap())
        return;
    QFont font = look::DefaultFont();
    while (font.pixelSize() > 8 &&
           QFontMetrics(font).horizontalAdvance(label->text()) > label->width())
        font.setPixelSize(font.pixelSize() - 1);
    label->setFont(font);
}

// The sixteen colours of the classic display palette, which the icon is limited to.
QList<QRgb> SixteenColours()
{
    return {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
            0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
            0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};
}

// A small hodograph on its axes: what the screen computes, as a 32 × 32 icon.
QPixmap ComputationIcon()
{
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(QColor(0xFF, 0xFF, 0xFF));
    QPainter painter(&image);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawLine(2, 12, 29, 12);
    painter.drawLine(12, 2, 12, 29);
    painter.setPen(QColor(0x00, 0x00, 0xFF));
    painter.drawEllipse(QRect(4, 4, 16, 16));
    QPolygon curve;
    for (int k = 0; k <= 12; ++k) {
        // 1/(1 + jω)·e^(−jω/2) for ω from 0 up: a spiral in towards the origin
        const double w = k * 0.35;
        const double u = (std::cos(w / 2) - w * std::sin(w / 2)) / (1 + w * w);
        const double v = (-std::sin(w / 2) - w * std::cos(w / 2)) / (1 + w * w);
        curve << QPoint(12 + static_cast<int>(std::lround(u * 16)),
                        12 - static_cast<int>(std::lround(v * 16)));
    }
    painter.setPen(QPen(QColor(0x80, 0x00, 0x00), 2));
    painter.drawPolyline(curve);
    painter.end();
    return QPixmap::fromImage(image.convertToFormat(QImage::Format_Indexed8, SixteenColours()));
}

} // namespace

ComputationScreen* ComputationForm = nullptr;

ComputationScreen::ComputationScreen(QWidget* parent)
    // Texts are drawn without a box of their own, so that the header's second row does not
    // cut the descenders of the first; each page is drawn on a clean image (NextPage).
    : Form(parent), m_listing(kClientSize, devicePixelRatioF(), look::kSkyBlue, look::DefaultFont(),
                              look::kWindowText, false)
{
    using C = ScreenControl;
    setObjectName(QStringLiteral("NIRDAL_rasform"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(kClientSize);
    SetBackground(this, look::kSkyBlue);

    // The three notices and the fault notice share the top-left corner; one shows at a time.
    StartNotFoundPanel =
        static_cast<QFrame*>(Add(C::StartNotFoundPanel, this, QRect(8, 0, 281, 161)));
    Add(C::StartNotFoundLine, StartNotFoundPanel, QRect(8, 6, 265, 15));
    Add(C::SearchStepsLine, StartNotFoundPanel, QRect(8, 22, 265, 15));
    Add(C::StopFrequencyLine, StartNotFoundPanel, QRect(8, 38, 265, 15));
    Add(C::StopULine, StartNotFoundPanel, QRect(8, 56, 265, 28));
    Add(C::StopVLine, StartNotFoundPanel, QRect(8, 88, 265, 28));
    Add(C::ContinueSearchButton, StartNotFoundPanel, QRect(8, 128, 160, 25));
    Add(C::LeaveSearchButton, StartNotFoundPanel, QRect(176, 128, 97, 25));

    LimitPanel = static_cast<QFrame*>(Add(C::LimitPanel, this, QRect(8, 0, 225, 73)));
    Add(C::LimitLine1, LimitPanel, QRect(6, 4, 215, 14));
    Add(C::LimitLine2, LimitPanel, QRect(6, 18, 215, 14));
    Add(C::LimitLine3, LimitPanel, QRect(6, 32, 215, 14));
    Add(C::FinishAtLimitButton, LimitPanel, QRect(75, 47, 75, 22));

    ConvergedPanel = static_cast<QFrame*>(Add(C::ConvergedPanel, this, QRect(8, 0, 265, 81)));
    Add(C::ConvergedLine1, ConvergedPanel, QRect(6, 4, 255, 14));
    Add(C::ConvergedLine2, ConvergedPanel, QRect(6, 18, 255, 14));
    Add(C::ConvergedLine3, ConvergedPanel, QRect(6, 32, 255, 14));
    Add(C::FinishConvergedButton, ConvergedPanel, QRect(95, 52, 75, 22));

    // The computation's own notice for a case it cannot go on from.
    FaultPanel = static_cast<QFrame*>(Add(C::FaultPanel, this, QRect(8, 0, 281, 97)));
    Add(C::FaultLine1, FaultPanel, QRect(6, 4, 269, 15));
    Add(C::FaultLine2, FaultPanel, QRect(6, 20, 269, 15));
    Add(C::FaultLine3, FaultPanel, QRect(6, 36, 269, 15));
    Add(C::FinishAfterFaultButton, FaultPanel, QRect(103, 64, 75, 25));

    // Right of the panels, above the listing's first header row.
    NextPageButton = static_cast<QPushButton*>(Add(C::NextPageButton, this, QRect(300, 0, 75, 19)));
    ExitButton = static_cast<QPushButton*>(Add(C::ExitButton, this, QRect(300, 20, 75, 19)));

    ListingImage = new QLabel(this);
    ListingImage->setObjectName(QStringLiteral("Image1"));
    ListingImage->setGeometry(kClientSize.width() - 32, 0, 32, 32);
    // Every pass makes a new computation screen: they share one icon.
    QPixmap icon;
    if (!QPixmapCache::find(QStringLiteral("nirdal-computation-icon"), &icon)) {
        icon = ComputationIcon();
        QPixmapCache::insert(QStringLiteral("nirdal-computation-icon"), icon);
    }
    ListingImage->setPixmap(icon);

    for (QFrame* panel : {StartNotFoundPanel, LimitPanel, ConvergedPanel, FaultPanel})
        panel->hide();

    const auto button = [this](C control) {
        return static_cast<QPushButton*>(m_controls[int(control)]);
    };
    connect(button(C::ContinueSearchButton), &QPushButton::clicked, this,
            &ComputationScreen::ContinueSearch);
    connect(button(C::LeaveSearchButton), &QPushButton::clicked, this,
            &ComputationScreen::LeaveSearch);
    connect(button(C::FinishAtLimitButton), &QPushButton::clicked, this,
            &ComputationScreen::FinishAtLimit);
    connect(button(C::FinishConvergedButton), &QPushButton::clicked, this,
            &ComputationScreen::FinishConverged);
    connect(button(C::FinishAfterFaultButton), &QPushButton::clicked, this,
            &ComputationScreen::FinishAfterFault);
    connect(NextPageButton, &QPushButton::clicked, this, &ComputationScreen::NextPage);
    connect(ExitButton, &QPushButton::clicked, this, &ComputationScreen::Exit);
}

ComputationScreen::~ComputationScreen() = default;

QWidget* ComputationScreen::Add(ScreenControl control, QWidget* parent, const QRect& place)
{
    const char* name = ControlName(control);
    const QString caption = QString::fromStdString(DesignCaption(control));
    QWidget* widget = nullptr;
    switch (control) {
    case ScreenControl::StartNotFoundPanel:
        widget = AddPanel(parent, name, place, look::kActiveCaption);
        break;
    case ScreenControl::LimitPanel:
    case ScreenControl::FaultPanel:
        widget = AddPanel(parent, name, place, look::kButtonFace);
        break;
    case ScreenControl::ConvergedPanel:
        widget = AddPanel(parent, name, place, look::kYellow);
        break;
    case ScreenControl::ContinueSearchButton:
    case ScreenControl::LeaveSearchButton:
    case ScreenControl::FinishAtLimitButton:
    case ScreenControl::FinishConvergedButton:
    case ScreenControl::FinishAfterFaultButton:
    case ScreenControl::NextPageButton:
    case ScreenControl::ExitButton:
        widget = AddButton(parent, name, caption, place);
        break;
    default: {
        QLabel* label = AddLabel(parent, name, caption, place.left(), place.top());
        label->setGeometry(place);
        label->setWordWrap(place.height() > 20); // the long search notices take two lines
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        FitToBox(label);
        widget = label;
    }
    }
    m_controls[static_cast<int>(control)] = widget;
    return widget;
}

template <class Command> void ComputationScreen::Run(Command command)
{
    if (m_computation)
        command(*m_computation);
    m_listing.End();
    update();
}

void ComputationScreen::FormActivate()
{
    if (m_computation)
        return; // the screen computes once; later activations change nothing
    ResponseScreen& screen = *this;
    m_computation = std::make_unique<ResponseComputation>(
        CurrentTransferFunction(ProgramAssignment()), screen, &m_listing);
    Run([](ResponseComputation& c) { c.Start(); });
}

void ComputationScreen::ContinueSearch()
{
    Run([](ResponseComputation& c) { c.ContinueSearch(); });
}

void ComputationScreen::LeaveSearch()
{
    Run([](ResponseComputation& c) { c.LeaveSearch(); });
}

void ComputationScreen::FinishAtLimit()
{
    Run([](ResponseComputation& c) { c.FinishAtLimit(); });
}

void ComputationScreen::FinishConverged()
{
    Run([](ResponseComputation& c) { c.FinishConverged(); });
}

void ComputationScreen::Exit()
{
    Run([](ResponseComputation& c) { c.Exit(); });
}

void ComputationScreen::FinishAfterFault()
{
    Run([](ResponseComputation& c) { c.FinishAfterFault(); });
}

void ComputationScreen::NextPage()
{
    // Each page of the listing starts on a clean surface: no row of the page before shows
    // between or below the new one's.
    if (m_computation && m_computation->State() == ComputationState::PageFull)
        m_listing.Clear();
    Run([](ResponseComputation& c) { c.NextPage(); });
}

void ComputationScreen::ReleasePictures()
{
    // The listing's image is as large as the screen; the computation keeps its figures.
    m_listing.Release();
}

void ComputationScreen::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_listing.Image());
}

void ComputationScreen::SetVisible(ScreenControl control, bool visible)
{
    using C = ScreenControl;
    QWidget* widget = m_controls[static_cast<int>(control)];
    widget->setVisible(visible);
    if (!visible)
        return;
    // Enter goes on from wherever the computation stands: a notice that comes takes the
    // keyboard on its first button, "Далее" takes it while pages are offered.
    if (control == C::NextPageButton)
        NextPageButton->setFocus();
    else if (control == C::StartNotFoundPanel || control == C::LimitPanel ||
             control == C::ConvergedPanel || control == C::FaultPanel)
        widget->findChild<QPushButton*>()->setFocus();
}

void ComputationScreen::SetCaption(ScreenControl control, std::string_view text)
{
    QWidget* widget = m_controls[static_cast<int>(control)];
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
        FitToBox(label);
    } else if (auto* button = qobject_cast<QPushButton*>(widget))
        button->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

void ComputationScreen::RequestClose()
{
    Close();
}

} // namespace nirdal
