// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class QEventLoop;

#include <memory>
#include <vector>

namespace nirdal {

/// Base of every screen: a dialog shown modally from another screen's handler, with the
/// activation and close behaviour the road relies on.
///
/// - ShowModal returns only when the screen has closed. Hiding a screen that waits in its
///   own modal display (to show the next one) does not end that display.
/// - Close ends the modal display; it takes effect when the running handler returns.
/// - FormActivate runs whenever the screen becomes the active one: when it is shown, and
///   again when a screen it opened modally closes while it is visible.
/// - Escape and Enter do not close the screen: only its own commands and the close box do.
class Form : public QDialog
{
    Q_OBJECT

public:
    explicit Form(QWidget* parent = nullptr);

    /// Shows the screen modally; returns when it has closed.
    void ShowModal();

    /// Ends the screen's modal display; takes effect when the running handler returns.
    void Close();

    /// Runs the creation handler; called once, right after construction, by CreateForm.
    void Create() { FormCreate(); }

    /// Gives back what the window system holds for a hidden screen that will not be shown
    /// again: its native window and back buffer, with those of its children, the pictures
    /// it keeps for painting itself, its scroll areas' pan gestures and, when no
    /// accessibility tool is listening, what Qt keeps for such tools about its controls.
    /// The object and its controls keep their contents; showing it again would make a new
    /// native window.
    void GiveBackWindow();

    /// The screen that currently has the user's input, or null.
    static Form* ActiveForm() { return s_active; }

protected:
    /// Creation handler: the whole object exists, so overrides of virtual steps are seen.
    virtual void FormCreate() {}

    /// Activation handler.
    virtual void FormActivate() {}

    /// Gives back the pictures the screen keeps for painting itself again; called when the
    /// screen gives back its window.
    virtual void ReleasePictures() {}

    bool event(QEvent* event) override;
    void done(int result) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    /// The loop of the running modal display, or null.
    QEventLoop* m_modalLoop = nullptr;
    static Form* s_active;
};

/// Owns every screen instance until DestroyForms, as the application owns its windows.
void AdoptForm(std::unique_ptr<Form> form);

/// Creates a screen, makes `instance` refer to it before its creation handler runs, and
/// keeps it alive until DestroyForms. An instance replaced later stays alive as well.
template <class T> T* CreateForm(T*& instance)
{
    auto form = std::make_unique<T>();
    instance = form.get();
    AdoptForm(std::move(form));
    instance->Create();
    return instance;
}

/// Creates a new instance of a screen under the name `instance`, as CreateForm does. The
/// instance it replaces is never shown again: its object stays alive until DestroyForms,
/// but its native window and back buffer are given back to the window system at once.
template <class T> T* ReplaceForm(T*& instance)
{
    if (instance != nullptr && !instance->isVisible())
        instance->GiveBackWindow();
    return CreateForm(instance);
}

/// Destroys every screen made by CreateForm, the latest first.
void DestroyForms();

} // namespace nirdal
