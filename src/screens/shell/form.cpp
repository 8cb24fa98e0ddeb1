// SPDX-License-Identifier: MIT
#include "screens/shell/form.h"

#include "screens/shell/look.h"

#include <QKeyEvent>
#include <QAccessible>
#include <QAbstractScrollArea>
#include <QEventLoop>
#include <QShowEvent>

namespace nirdal {
namespace {

std::vector<std::unique_ptr<Form>>& OwnedForms()
{
    static std::vector<std::unique_ptr<Form>> forms;
    return forms;
}

} // namespace

Form* Form::s_active = nullptr;

Form::Form(QWidget* parent) : QDialog(parent)
{
    setFont(look::DefaultFont());
}

void Form::ShowModal()
{
    Form* opener = s_active;
    s_active = this;
    // The screen's own loop rather than QDialog::exec: a dialog ends exec whenever it is
    // hidden (Qt 6.8 even through QWidget::setVisible), but a screen that hides
    // itself to show the next one must keep waiting until it is closed.
    setAttribute(Qt::WA_ShowModal, true);
    setResult(QDialog::Rejected);
    show();
    QEventLoop loop;
    m_modalLoop = &loop;
    loop.exec(QEventLoop::DialogExec);
    m_modalLoop = nullptr;
    setAttribute(Qt::WA_ShowModal, false);
    s_active = opener;
    // The screen that opened this one has the user's input again.
    if (opener != nullptr && opener->isVisible())
        opener->FormActivate();
}

void Form::Close()
{
    done(QDialog::Rejected);
}

void Form::GiveBackWindow()
{
    // Only the native side goes: the window (with its back buffer, shared with the X
    // server) and the native windows of the children. The widgets keep every state. A
    // hidden dialog is no longer marked created, but its window is still there.
    if (windowHandle() != nullptr)
        destroy(true, true);
    ReleasePictures();
    // The pan gestures Qt gives every scroll area's viewport, with the gesture objects it
    // made for them from the events they got.
    for (QAbstractScrollArea* area : findChildren<QAbstractScrollArea*>())
        area->viewport()->ungrabGesture(Qt::PanGesture);
    // What Qt keeps for accessibility tools about every control shown with the screen, made
    // as it was shown even with no tool listening. With none listening it goes; a tool that
    // comes later asks again and gets it anew. Only the controls that were shown are asked,
    // as asking about any other would make what is not there yet.
    if (!QAccessible::isActive()) {
        QList<QWidget*> shown = findChildren<QWidget*>();
        shown.removeIf([this](const QWidget* widget) { return !widget->isVisibleTo(this); });
        shown.append(this);
        for (QWidget* widget : shown)
            if (QAccessibleInterface* known = QAccessible::queryAccessibleInterface(widget))
                QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(known));
    }
}

void Form::done(int result)
{
    QDialog::done(result);
    if (m_modalLoop != nullptr)
        m_modalLoop->exit();
}

void Form::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        // The screen shown is the one the student works on: it takes the keyboard, also
        // where no window manager hands it over.
        activateWindow();
        FormActivate();
    }
}

bool Form::event(QEvent* event)
{
    // A message box or another screen over this one has gone: the keyboard comes back here.
    // A window manager would hand it back; a bare X server leaves it with nobody.
    if (event->type() == QEvent::WindowUnblocked && isVisible())
        activateWindow();
    return QDialog::event(event);
}

void Form::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Enter:
    case Qt::Key_Return:
        QWidget::keyPressEvent(event);
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

void AdoptForm(std::unique_ptr<Form> form)
{
    OwnedForms().push_back(std::move(form));
}

void DestroyForms()
{
    auto& forms = OwnedForms();
    while (!forms.empty())
        forms.pop_back();
}

} // namespace nirdal
