// SPDX-License-Identifier: MIT
#include "screens/response/nirdal_ras.h"

#include "core/tf/transfer_function.h"
#include "screens/shell/controls.h"
#include "screens/shell/look.h"

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

TNIRDAL_rasform* NIRDAL_rasform = nullptr;

TNIRDAL_rasform::TNIRDAL_rasform(QWidget* parent)
    // Texts are drawn without a box of their own, so that the header's second row does not
    // cut the descenders of the first; each page is drawn on a clean image (DDClick).
    : Form(parent), m_listing(kClientSize, devicePixelRatioF(), look::kSkyBlue, look::DefaultFont(),
                              look::kWindowText, false)
{
    using C = ScreenControl;
    setObjectName(QStringLiteral("NIRDAL_rasform"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(kClientSize);
    SetBackground(this, look::kSkyBlue);

    // The three notices and the fault notice share the top-left corner; one shows at a time.
    Panel1 = static_cast<QFrame*>(Add(C::Panel1, this, QRect(8, 0, 281, 161)));
    Add(C::Label2, Panel1, QRect(8, 6, 265, 15));
    Add(C::shags, Panel1, QRect(8, 22, 265, 15));
    Add(C::lfr, Panel1, QRect(8, 38, 265, 15));
    Add(C::lu, Panel1, QRect(8, 56, 265, 28));
    Add(C::lv, Panel1, QRect(8, 88, 265, 28));
    Add(C::Button1, Panel1, QRect(8, 128, 160, 25));
    Add(C::Button2, Panel1, QRect(176, 128, 97, 25));

    Panel3 = static_cast<QFrame*>(Add(C::Panel3, this, QRect(8, 0, 225, 73)));
    Add(C::Label1, Panel3, QRect(6, 4, 215, 14));
    Add(C::Label6, Panel3, QRect(6, 18, 215, 14));
    Add(C::Label7, Panel3, QRect(6, 32, 215, 14));
    Add(C::Button5, Panel3, QRect(75, 47, 75, 22));

    Panel4 = static_cast<QFrame*>(Add(C::Panel4, this, QRect(8, 0, 265, 81)));
    Add(C::Label8, Panel4, QRect(6, 4, 255, 14));
    Add(C::Label9, Panel4, QRect(6, 18, 255, 14));
    Add(C::Label10, Panel4, QRect(6, 32, 255, 14));
    Add(C::Button6, Panel4, QRect(95, 52, 75, 22));

    // The computation's own notice for a case it cannot go on from.
    Panel5 = static_cast<QFrame*>(Add(C::Panel5, this, QRect(8, 0, 281, 97)));
    Add(C::Label11, Panel5, QRect(6, 4, 269, 15));
    Add(C::Label12, Panel5, QRect(6, 20, 269, 15));
    Add(C::Label13, Panel5, QRect(6, 36, 269, 15));
    Add(C::Button8, Panel5, QRect(103, 64, 75, 25));

    // Right of the panels, above the listing's first header row.
    DD = static_cast<QPushButton*>(Add(C::DD, this, QRect(300, 0, 75, 19)));
    Button7 = static_cast<QPushButton*>(Add(C::Button7, this, QRect(300, 20, 75, 19)));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(kClientSize.width() - 32, 0, 32, 32);
    // Every pass makes a new computation screen: they share one icon.
    QPixmap icon;
    if (!QPixmapCache::find(QStringLiteral("nirdal-computation-icon"), &icon)) {
        icon = ComputationIcon();
        QPixmapCache::insert(QStringLiteral("nirdal-computation-icon"), icon);
    }
    Image1->setPixmap(icon);

    for (QFrame* panel : {Panel1, Panel3, Panel4, Panel5})
        panel->hide();

    const auto button = [this](C control) {
        return static_cast<QPushButton*>(m_controls[int(control)]);
    };
    connect(button(C::Button1), &QPushButton::clicked, this, &TNIRDAL_rasform::Button1Click);
    connect(button(C::Button2), &QPushButton::clicked, this, &TNIRDAL_rasform::Button2Click);
    connect(button(C::Button5), &QPushButton::clicked, this, &TNIRDAL_rasform::Button5Click);
    connect(button(C::Button6), &QPushButton::clicked, this, &TNIRDAL_rasform::Button6Click);
    connect(button(C::Button8), &QPushButton::clicked, this, &TNIRDAL_rasform::Button8Click);
    connect(DD, &QPushButton::clicked, this, &TNIRDAL_rasform::DDClick);
    connect(Button7, &QPushButton::clicked, this, &TNIRDAL_rasform::Button7Click);
}

TNIRDAL_rasform::~TNIRDAL_rasform() = default;

QWidget* TNIRDAL_rasform::Add(ScreenControl control, QWidget* parent, const QRect& place)
{
    const char* name = ControlName(control);
    const QString caption = FromCp1251(DesignCaption(control));
    QWidget* widget = nullptr;
    switch (control) {
    case ScreenControl::Panel1:
        widget = AddPanel(parent, name, place, look::kActiveCaption);
        break;
    case ScreenControl::Panel3:
    case ScreenControl::Panel5:
        widget = AddPanel(parent, name, place, look::kButtonFace);
        break;
    case ScreenControl::Panel4:
        widget = AddPanel(parent, name, place, look::kYellow);
        break;
    case ScreenControl::Button1:
    case ScreenControl::Button2:
    case ScreenControl::Button5:
    case ScreenControl::Button6:
    case ScreenControl::Button8:
    case ScreenControl::DD:
    case ScreenControl::Button7:
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

template <class Command> void TNIRDAL_rasform::Run(Command command)
{
    if (m_computation)
        command(*m_computation);
    m_listing.End();
    update();
}

void TNIRDAL_rasform::FormActivate()
{
    if (m_computation)
        return; // the screen computes once; later activations change nothing
    ResponseScreen& screen = *this;
    m_computation =
        std::make_unique<ResponseComputation>(CurrentTransferFunction(), screen, &m_listing);
    Run([](ResponseComputation& c) { c.FormActivate(); });
}

void TNIRDAL_rasform::Button1Click()
{
    Run([](ResponseComputation& c) { c.Button1Click(); });
}

void TNIRDAL_rasform::Button2Click()
{
    Run([](ResponseComputation& c) { c.Button2Click(); });
}

void TNIRDAL_rasform::Button5Click()
{
    Run([](ResponseComputation& c) { c.Button5Click(); });
}

void TNIRDAL_rasform::Button6Click()
{
    Run([](ResponseComputation& c) { c.Button6Click(); });
}

void TNIRDAL_rasform::Button7Click()
{
    Run([](ResponseComputation& c) { c.Button7Click(); });
}

void TNIRDAL_rasform::Button8Click()
{
    Run([](ResponseComputation& c) { c.Button8Click(); });
}

void TNIRDAL_rasform::DDClick()
{
    // Each page of the listing starts on a clean surface: no row of the page before shows
    // between or below the new one's.
    if (m_computation && m_computation->State() == ComputationState::PageFull)
        m_listing.Clear();
    Run([](ResponseComputation& c) { c.DDClick(); });
}

void TNIRDAL_rasform::ReleasePictures()
{
    // The listing's image is as large as the screen; the computation keeps its figures.
    m_listing.Release();
}

void TNIRDAL_rasform::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_listing.Image());
}

void TNIRDAL_rasform::SetVisible(ScreenControl control, bool visible)
{
    using C = ScreenControl;
    QWidget* widget = m_controls[static_cast<int>(control)];
    widget->setVisible(visible);
    if (!visible)
        return;
    // Enter goes on from wherever the computation stands: a notice that comes takes the
    // keyboard on its first button, "Далее" takes it while pages are offered.
    if (control == C::DD)
        DD->setFocus();
    else if (control == C::Panel1 || control == C::Panel3 || control == C::Panel4 ||
             control == C::Panel5)
        widget->findChild<QPushButton*>()->setFocus();
}

void TNIRDAL_rasform::SetCaption(ScreenControl control, std::string_view text)
{
    QWidget* widget = m_controls[static_cast<int>(control)];
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(FromCp1251(text));
        FitToBox(label);
    } else if (auto* button = qobject_cast<QPushButton*>(widget))
        button->setText(FromCp1251(text));
}

void TNIRDAL_rasform::RequestClose()
{
    Close();
}

} // namespace nirdal
