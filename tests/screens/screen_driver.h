// SPDX-License-Identifier: MIT
#pragma once

// Drives the screens as a user would: real mouse clicks and key presses, and actions run
// inside the modal displays the clicks open.

#include "screens/shell/controls.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>

namespace nirdal::testing {

/// The named control of a screen; fails the test when there is none.
template <class T> T* Control(QWidget* screen, const char* name)
{
    T* control = screen->findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr)
        qWarning("no control %s on %s", name, qPrintable(screen->objectName()));
    return control;
}

/// Ends every modal display still open: the way out after a failed step.
inline void CloseAllModal()
{
    while (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
        dialog->done(QDialog::Rejected);
}

/// Runs `action` as soon as the screen named `name` is the visible modal screen on top.
/// Call it before the click that opens that screen. If the screen does not come within
/// two seconds the step fails and every modal display is closed, so the test ends.
inline void WhenShown(const QString& name, std::function<void(QWidget*)> action)
{
    auto* timer = new QTimer;
    const QDeadlineTimer deadline(2000);
    timer->setInterval(2);
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* top = QApplication::activeModalWidget();
        if (top != nullptr && top->isVisible() && top->objectName() == name) {
            timer->stop();
            timer->deleteLater();
            action(top);
            // A failed check returns from the action early: unwind what it left open.
            if (QTest::currentTestFailed())
                CloseAllModal();
        } else if (deadline.hasExpired()) {
            timer->stop();
            timer->deleteLater();
            QTest::qFail(qPrintable(QStringLiteral("screen %1 never came").arg(name)), __FILE__,
                         __LINE__);
            CloseAllModal();
        }
    });
    timer->start();
}

/// A left click in the middle of a widget, or at a point of it.
inline void Click(QWidget* widget, QPoint at = {})
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at.isNull() ? widget->rect().center() : at);
}

/// A left click on a grid cell.
inline void ClickCell(StringGrid* grid, int column, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

/// Picks a cell with the mouse and types text into it, as into the grid's own editor.
inline void TypeIntoCell(StringGrid* grid, int row, const QString& text)
{
    ClickCell(grid, 0, row);
    QTest::keyClicks(grid, text.left(1));
    QLineEdit* editor = nullptr;
    for (auto* candidate : grid->viewport()->findChildren<QLineEdit*>())
        if (candidate->isVisible())
            editor = candidate;
    if (editor == nullptr) {
        qWarning("no editor opened in %s", qPrintable(grid->objectName()));
        return;
    }
    QTest::keyClicks(editor, text.mid(1));
}

/// Types any text, letter by letter, into the widget that has it.
inline void TypeText(QWidget* widget, const QString& text)
{
    for (const QChar letter : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(letter), Qt::NoModifier);
}

/// Replaces the text of an edit box by typing.
inline void RetypeEdit(QLineEdit* edit, const QString& text)
{
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

} // namespace nirdal::testing
