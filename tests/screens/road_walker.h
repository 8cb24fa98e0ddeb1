// SPDX-License-Identifier: MIT
#pragma once
// A road through the screens as a student walks it on a real X display: steps that each wait
// for the screen and state they act in, then act once with real input through the X server.
// The desktop road tests and the road memory benchmark walk their roads with it.
#include "core/shell/shell_state.h"
#include "screens/shell/controls.h"
#include "screens/shell/title.h"
#include "x_input.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>
#include <vector>

namespace nirdal::testing {

constexpr int kRoadTickMs = 5;

// The screens by their object names, as a road names them.
inline const QString kTitle = QStringLiteral("NirdalFam_ETICForm");
inline const QString kSelection = QStringLiteral("NIRDAL_vibForm");
inline const QString kDegrees = QStringLiteral("NIRDAL_znachForm");
inline const QString kCoefficients = QStringLiteral("NIRDAL_nastroikaForm");
inline const QString kComputation = QStringLiteral("NIRDAL_rasform");
inline const QString kGraph = QStringLiteral("NIRDAL_grafForm");
inline const QString kInformation = QStringLiteral("NIRDAL_infForm");
inline const QString kChoice = QStringLiteral("NIRDAL_nastvarForm");
inline const QString kMessageBox = QStringLiteral("QMessageBox");

/// How long a road waits: a person looks at a screen before acting on it (the window manager
/// has placed it by then); a step waited for longer than StuckMs is where the road stuck.
struct RoadPace
{
    int SettleMs = 40;
    int StuckMs = 8000;
};

enum class Hand
{
    Mouse,
    Keyboard
};

// The screen the student has in front of him: the modal one on top, else the title.
inline QWidget* TopScreen()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return TitleForm != nullptr && TitleForm->isVisible() ? TitleForm : nullptr;
}

inline QString Describe(const QWidget* widget)
{
    if (widget == nullptr)
        return QStringLiteral("none");
    const QString name = widget->objectName();
    return name.isEmpty() ? QString::fromLatin1(widget->metaObject()->className()) : name;
}

template <class T> T* Find(QWidget* screen, const char* name)
{
    return screen->findChild<T*>(QString::fromLatin1(name));
}

// One road: steps that each wait for the state they act in, then act with real input.
class Road
{
public:
    using Check = std::function<bool(QWidget* screen)>;
    using Act = std::function<void(QWidget* screen)>;

    Road(const XInput& input, Hand hand, RoadPace pace = {})
        : m_input(input), m_hand(hand), m_pace(pace)
    {
    }

    const XInput& Input() const { return m_input; }
    Hand Hands() const { return m_hand; }

    /// Waits until `screen` is on top (with the keyboard, when keys are to be pressed),
    /// settled, and `ready` holds; then acts once.
    void On(const QString& screen, const QString& what, Check ready, Act act)
    {
        auto acted = std::make_shared<bool>(false);
        Repeat(
            screen, what, [acted](QWidget*) { return *acted; }, ready,
            [acted, act](QWidget* top) {
                act(top);
                *acted = true;
            });
    }

    /// Acts whenever the screen is on top, settled and `ready` holds, until `finished`.
    void Repeat(const QString& screen, const QString& what, Check finished, Check ready, Act act)
    {
        m_steps.push_back({screen + QStringLiteral(": ") + what, [=, this](bool& settled) {
                               QWidget* top = TopScreen();
                               if (Describe(top) == screen && finished(top))
                                   return true;
                               const bool shown = Describe(top) == screen &&
                                                  top->windowHandle() != nullptr &&
                                                  top->windowHandle()->isExposed();
                               const bool keys = m_hand == Hand::Mouse || HasKeyboard(top);
                               if (!shown || !keys || (ready && !ready(top))) {
                                   settled = false;
                                   return false;
                               }
                               if (!settled) {
                                   settled = true; // act on the next tick after the pause
                                   return false;
                               }
                               act(top);
                               settled = false;
                               return finished(top);
                           }});
    }

    /// A click on a named control of the screen, once no other window covers it at the X
    /// server (a click that reached a window being taken down would be lost).
    void Click(const QString& screen, const char* control, Check ready = {})
    {
        On(
            screen, QStringLiteral("click ") + QLatin1String(control),
            [this, control, ready](QWidget* top) {
                return (!ready || ready(top)) && m_input.Uncovered(Find<QWidget>(top, control));
            },
            [this, control](QWidget* top) { m_input.Click(Find<QWidget>(top, control)); });
    }

    /// A click on a cell of a named grid of the screen.
    void ClickCell(const QString& screen, const char* grid, int row, int column)
    {
        On(screen, QStringLiteral("click a cell of ") + QLatin1String(grid), {},
           [this, grid, row, column](QWidget* top) {
               auto* table = Find<StringGrid>(top, grid);
               const QRect cell = table->visualRect(table->model()->index(row, column));
               m_input.Click(table->viewport(), cell.center());
           });
    }

    /// A key to the screen on top.
    void Press(const QString& screen, Key key, Check ready = {})
    {
        On(screen, QStringLiteral("key 0x%1").arg(uint(key), 0, 16), ready,
           [this, key](QWidget*) { m_input.Press(key); });
    }

    /// Tab until the named control has the keyboard.
    void TabTo(const QString& screen, const char* control)
    {
        auto pressed = std::make_shared<QWidget*>(nullptr);
        m_steps.push_back(
            {screen + QStringLiteral(": tab to ") + QLatin1String(control), [=, this](bool&) {
                 QWidget* top = TopScreen();
                 if (Describe(top) != screen || !HasKeyboard(top))
                     return false;
                 QWidget* target = Find<QWidget>(top, control);
                 QWidget* focus = QApplication::focusWidget();
                 if (focus == target || (focus != nullptr && target->isAncestorOf(focus)))
                     return true;
                 // One Tab at a time: the next only once the last one has moved the focus.
                 if (*pressed == nullptr || focus != *pressed) {
                     *pressed = focus != nullptr ? focus : top;
                     m_input.Press(Key::Tab);
                 }
                 return false;
             }});
    }

    /// Waits for a state without acting.
    void Until(const QString& what, std::function<bool()> condition)
    {
        m_steps.push_back({what, [condition](bool&) { return condition(); }});
    }

    /// Whether keys now reach the screen: Qt has made it the active window and the X server
    /// sends the keyboard there.
    bool HasKeyboard(const QWidget* screen) const
    {
        return screen->isActiveWindow() && m_input.HasKeyboard(screen);
    }

    /// Walks the road to its end; returns the step it got stuck on, or an empty text.
    QString Walk()
    {
        QTimer ticker;
        QElapsedTimer sinceStep;
        QElapsedTimer sinceReady;
        std::size_t next = 0;
        bool settled = false;
        QString stuck;
        sinceStep.start();
        sinceReady.start();
        ticker.setInterval(kRoadTickMs);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            if (!stuck.isEmpty()) {
                // Unwind whatever the stuck road left open, until the program has ended.
                ProgramAssignment().Done = true;
                while (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    dialog->done(QDialog::Rejected);
                return;
            }
            if (next == m_steps.size())
                return;
            bool wasSettled = settled;
            if (settled && sinceReady.elapsed() < m_pace.SettleMs)
                return;
            if (m_steps[next].Run(settled)) {
                ++next;
                settled = false;
                sinceStep.restart();
            } else if (settled && !wasSettled) {
                sinceReady.restart();
            } else if (sinceStep.elapsed() > m_pace.StuckMs) {
                stuck = QStringLiteral("step %1 of %2, %3 (on top: %4, active: %5, focus: %6)")
                            .arg(next + 1)
                            .arg(m_steps.size())
                            .arg(m_steps[next].What, Describe(TopScreen()),
                                 Describe(QApplication::activeWindow()),
                                 Describe(QApplication::focusWidget()));
            }
        });
        ticker.start();
        const int status = QCoreApplication::exec();
        if (stuck.isEmpty() && next != m_steps.size())
            stuck = QStringLiteral("the program ended at step %1 of %2, %3 (status %4)")
                        .arg(next + 1)
                        .arg(m_steps.size())
                        .arg(next < m_steps.size() ? m_steps[next].What : QString())
                        .arg(status);
        return stuck;
    }

private:
    struct Step
    {
        QString What;
        std::function<bool(bool& settled)> Run;
    };

    const XInput& m_input;
    Hand m_hand;
    RoadPace m_pace;
    std::vector<Step> m_steps;
};

} // namespace nirdal::testing
