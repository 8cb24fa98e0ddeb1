// SPDX-License-Identifier: MIT
#include "screens/shell/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace nirdal {
namespace {

// One axis: the designed start, pulled back so that the end lies in the area, but never
// before the area's start.
int FitAxis(int designed, int length, int areaStart, int areaLength)
{
    const int lastStart = areaStart + areaLength - length;
    return std::max(areaStart, std::min(designed, lastStart));
}

} // namespace

QPoint FittedPosition(const QRect& available, QPoint designed, QSize window)
{
    return {FitAxis(designed.x(), window.width(), available.x(), available.width()),
            FitAxis(designed.y(), window.height(), available.y(), available.height())};
}

void PlaceOnScreen(QWidget* window, QPoint designed)
{
    const QScreen* screen = QGuiApplication::screenAt(designed);
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        window->move(designed);
        return;
    }
    // The designed place is the client area's; the frame a window manager puts around it
    // (known once the window has been shown) must fit on the screen as well.
    const QPoint frameToClient = window->geometry().topLeft() - window->frameGeometry().topLeft();
    const QPoint frame = FittedPosition(screen->availableGeometry(), designed - frameToClient,
                                        window->frameGeometry().size());
    window->setGeometry(QRect(frame + frameToClient, window->size()));
}

} // namespace nirdal
