// SPDX-License-Identifier: MIT
#include "screens/shell/shaped_window.h"

#include "screens/shell/centred_window.h"
#include "screens/shell/controls.h"
#include "screens/shell/look.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHideEvent>
#include <QMouseEvent>
#include <QRegion>

namespace nirdal {

bool DrawnByWaylandCompositor()
{
    // In a Wayland session the program runs as an X client unless told otherwise.
    return qEnvironmentVariableIsSet("WAYLAND_DISPLAY") &&
           !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QPolygon PentagonOutline()
{
    return QPolygon(
        {QPoint(0, 0), QPoint(200, 0), QPoint(200, 100), QPoint(100, 150), QPoint(0, 100)});
}

ShapedWindow::ShapedWindow(QWidget* parent) : Form(parent)
{
    SetBackground(this, look::kHighlight);
    // A Wayland compositor may show an X window whole, shape or not (weston does): there the
    // cut parts are drawn transparent as well, which needs a window with an alpha channel,
    // chosen before the native window is made.
    if (DrawnByWaylandCompositor())
        setAttribute(Qt::WA_TranslucentBackground);
    // The window's shape is not enough on every platform to keep the mouse out of the cut
    // parts; the filter sees every mouse event of the program before it reaches a control.
    qApp->installEventFilter(this);
}

ShapedWindow::~ShapedWindow()
{
    qApp->removeEventFilter(this);
}

void ShapedWindow::FormActivate()
{
    CentreOnScreen(this);
    m_shape = QRegion(PentagonOutline(), Qt::WindingFill);
    if (!testAttribute(Qt::WA_TranslucentBackground)) {
        setMask(m_shape);
        return;
    }
    // There the X shape is left out: weston leaves what lies outside it undefined. The
    // window paints nothing of its own; each control on it paints only its part inside the
    // pentagon, so the rest of the window stays transparent.
    setAutoFillBackground(false);
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->setMask(m_shape.translated(-child->pos()));
}

void ShapedWindow::hideEvent(QHideEvent* event)
{
    m_heldInside = Qt::NoButton;
    Form::hideEvent(event);
}

bool ShapedWindow::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        break;
    default:
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this || m_shape.isEmpty())
        return false;
    const auto* pointer = static_cast<QSinglePointEvent*>(event);
    // The point in window coordinates comes from the event itself, never through the
    // window's position on the screen: a reparenting window manager may place the window
    // without telling Qt (openbox does), and a stale position would put every click
    // outside the pentagon.
    const QPoint atWindow = widget->mapTo(this, pointer->position().toPoint());
    const bool inside = m_shape.contains(atWindow);
    // A press that began on the window belongs to it to the end: its moves and its release
    // reach the control wherever the pointer is let go, or an up-down would repeat forever.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (inside)
            m_heldInside |= pointer->button();
        break;
    case QEvent::MouseButtonRelease:
        if (m_heldInside & pointer->button()) {
            m_heldInside &= ~pointer->button();
            return false;
        }
        break;
    case QEvent::MouseMove:
        if (m_heldInside & pointer->buttons())
            return false;
        break;
    default:
        break;
    }
    return !inside;
}

} // namespace nirdal
