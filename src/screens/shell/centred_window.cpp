// SPDX-License-Identifier: MIT
#include "screens/shell/centred_window.h"

#include <QGuiApplication>
#include <QScreen>

namespace nirdal {

QPoint CentredPosition(QSize screen, QSize window)
{
    // C++ integer division truncates toward zero, as the window placement must.
    return {(screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2};
}

void CentreOnScreen(QWidget* window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    window->move(CentredPosition(screen->size(), window->frameGeometry().size()));
}

CentredWindow::CentredWindow(QWidget* parent) : Form(parent) {}

void CentredWindow::FormActivate()
{
    CentreOnScreen(this);
}

} // namespace nirdal
