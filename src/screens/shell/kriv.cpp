#include "screens/shell/kriv.h"

#include "screens/shell/centr.h"
#include "screens/shell/controls.h"
#include "screens/shell/look.h"

#include <QApplication>
#include <QMouseEvent>
#include <QRegion>

namespace nirdal {

QPolygon PentagonOutline()
{
    return QPolygon(
        {QPoint(0, 0), QPoint(200, 0), QPoint(200, 100), QPoint(100, 150), QPoint(0, 100)});
}

TFormkriv::TFormkriv(QWidget* parent) : Form(parent)
{
    SetBackground(this, look::kHighlight);
    // The window's shape is not enough on every platform to keep the mouse out of the cut
    // parts; the filter sees every mouse event of the program before it reaches a control.
    qApp->installEventFilter(this);
}

TFormkriv::~TFormkriv()
{
    qApp->removeEventFilter(this);
}

void TFormkriv::FormActivate()
{
    CentreOnScreen(this);
    setMask(QRegion(PentagonOutline(), Qt::WindingFill));
}

bool TFormkriv::eventFilter(QObject* watched, QEvent* event)
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
    if (widget == nullptr || widget->window() != this || mask().isEmpty())
        return false;
    const auto* pointer = static_cast<QSinglePointEvent*>(event);
    const QPoint inWindow = mapFromGlobal(pointer->globalPosition().toPoint());
    return !mask().contains(inWindow);
}

} // namespace nirdal
