// SPDX-License-Identifier: MIT
// The whole road on a real X display, as a student walks it on his desktop: title, selection,
// degree entry, coefficient entry, computation, graph, print set-up, print, help, new
// variant, change of variant, finish, a second student, the end of the program. Every click
// and key goes through the X server to where the window manager has put the window
// (tests/screens/desktop_road_test.sh runs it under openbox and on a bare server).
//
// A screen that takes no input shows as a step that never completes: the road stops there
// with the step and the screen named, and the next road starts afresh. NIRDAL_ROADS sets
// how many roads each test walks (3 by default).
#include "core/response/response_computation.h"
#include "core/roster/roster.h"
#include "core/settings/print_settings.h"
#include "core/shell/shell_state.h"
#include "core/tf/transfer_function.h"
#include "platform/file_registry.h"
#include "screens/plot/graph.h"
#include "screens/response/computation.h"
#include "screens/shell/controls.h"
#include "screens/shell/desktop.h"
#include "screens/shell/form.h"
#include "screens/shell/title.h"
#include "screens/shell/road.h"
#include "screens/tf/variant_choice.h"
#include "support/temporary_root.h"
#include "road_walker.h"
#include "x_input.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>
#include <vector>

using namespace nirdal;
using namespace nirdal::testing;

namespace {

Road::Check Visible(const char* control)
{
    return [control](QWidget* screen) {
        auto* widget = Find<QWidget>(screen, control);
        return widget != nullptr && widget->isVisible();
    };
}

Road::Check Shows(const char* label, QString text)
{
    return [label, text](QWidget* screen) { return Find<QLabel>(screen, label)->text() == text; };
}

// The press of a control: a click, or Tab to it and Enter.
void Use(Road& road, const QString& screen, const char* control, Road::Check ready = {})
{
    if (road.Hands() == Hand::Mouse) {
        road.Click(screen, control, ready);
    } else {
        if (ready)
            road.On(screen, QStringLiteral("wait"), ready, [](QWidget*) {});
        road.TabTo(screen, control);
        road.Press(screen, Key::Return);
    }
}

// Types into the cells of an entry grid from the top row down, each ended by Enter.
void FillColumn(Road& road, const char* grid, const QStringList& cells)
{
    for (int row = 0; row < cells.size(); ++row) {
        if (road.Hands() == Hand::Mouse) {
            road.ClickCell(kCoefficients, grid, row, 0);
        } else if (row == 0) {
            road.TabTo(kCoefficients, grid);
        } // Enter after a cell has gone on to the next one
        road.On(
            kCoefficients, QStringLiteral("type ") + cells[row],
            [grid, row](QWidget* screen) {
                auto* table = Find<StringGrid>(screen, grid);
                return table->hasFocus() && table->currentRow() == row;
            },
            [&road, text = cells[row]](QWidget*) {
                road.Input().Type(text);
                road.Input().Press(Key::Return);
            });
        road.On(
            kCoefficients, QStringLiteral("see ") + cells[row],
            [grid, row, text = cells[row]](QWidget* screen) {
                auto* table = Find<StringGrid>(screen, grid);
                const auto* editor = table->viewport()->findChild<QLineEdit*>();
                return table->Cell(0, row) == text && (editor == nullptr || !editor->isVisible());
            },
            [](QWidget*) {});
    }
}

void EnterCoefficients(Road& road, const QStringList& denominator, const QStringList& numerator)
{
    if (!denominator.isEmpty())
        FillColumn(road, "SZ2", denominator);
    if (!numerator.isEmpty())
        FillColumn(road, "SC2", numerator);
    Use(road, kCoefficients, "Button1");
    if (road.Hands() == Hand::Mouse)
        road.Click(kCoefficients, "Button3", Visible("Button3"));
    else
        road.Press(kCoefficients, Key::Return, [](QWidget* screen) {
            return QApplication::focusWidget() == Find<QWidget>(screen, "Button3");
        });
}

// Pages on with "Далее" while it is offered, then "финиш".
void FinishComputation(Road& road)
{
    // The next page is asked for once the last one has come.
    auto lastSlot = std::make_shared<int>(-1);
    road.Repeat(
        kComputation, QStringLiteral("page on"),
        [](QWidget* screen) { return Find<QWidget>(screen, "Panel4")->isVisible(); },
        [&road, lastSlot](QWidget* screen) {
            auto* next = Find<QPushButton>(screen, "DD");
            return ComputationForm->Computation() != nullptr && next->isVisible() &&
                   ComputationForm->Computation()->Fields().NextSlot != *lastSlot &&
                   (road.Hands() == Hand::Mouse || next->hasFocus());
        },
        [&road, lastSlot](QWidget* screen) {
            *lastSlot = ComputationForm->Computation()->Fields().NextSlot;
            if (road.Hands() == Hand::Mouse)
                road.Input().Click(Find<QPushButton>(screen, "DD"));
            else
                road.Input().Press(Key::Return);
        });
    Use(road, kComputation, "Button6", Visible("Panel4"));
}

void VisitHelp(Road& road, const QString& screen, const char* button)
{
    Use(road, screen, button);
    if (road.Hands() == Hand::Mouse)
        road.Click(kInformation, "SpeedButton1");
    else
        road.Press(kInformation, Key::Escape);
}

// One program run: two students, the first with three passes of the assignment loop.
void PlanRoad(Road& road)
{
    const bool mouse = road.Hands() == Hand::Mouse;
    if (mouse)
        road.Click(kTitle, "Label3");
    else
        road.Press(kTitle, Key::Return);

    // The first student of the first group; W(s) = 1/(s + 1)².
    if (mouse)
        road.ClickCell(kSelection, "StringGrid1", 0, 0);
    else
        road.Press(kSelection, Key::Return, [](QWidget* s) {
            return QApplication::focusWidget() == Find<QWidget>(s, "StringGrid1");
        });
    if (mouse)
        road.On(kDegrees, QStringLiteral("raise the denominator's degree"),
                Shows("SZL", QStringLiteral("1")),
                [&road](QWidget* s) { road.Input().Click(Find<QWidget>(s, "SZ"), QPoint(8, 5)); });
    else
        road.Press(kDegrees, Key::Up, Shows("SZL", QStringLiteral("1")));
    road.Until(QStringLiteral("degree 2 shown"), [] {
        return Describe(TopScreen()) == kDegrees &&
               Find<QLabel>(TopScreen(), "SZL")->text() == QStringLiteral("2");
    });
    VisitHelp(road, kDegrees, "SpeedButton2");
    if (mouse)
        road.Click(kDegrees, "SpeedButton1");
    else {
        road.TabTo(kDegrees, "SZ");
        road.Press(kDegrees, Key::Return);
    }
    EnterCoefficients(road, {"1", "2", "1"}, {"1"});
    FinishComputation(road);

    // The graph: print set-up, print (no printer here: the error box), help, new variant.
    Use(road, kGraph, "SpeedButton5");
    Use(road, kGraph, "Button6", Visible("Panel1"));
    road.Until(QStringLiteral("print set-up closed"), [] {
        return Describe(TopScreen()) == kGraph &&
               !Find<QWidget>(TopScreen(), "Panel1")->isVisible();
    });
    Use(road, kGraph, "SpeedButton1");
    road.On(kMessageBox, QStringLiteral("close the print error"), {}, [&road, mouse](QWidget* s) {
        if (mouse)
            road.Input().Click(static_cast<QMessageBox*>(s)->button(QMessageBox::Ok));
        else
            road.Input().Press(Key::Return);
    });
    VisitHelp(road, kGraph, "SpeedButton2");
    Use(road, kGraph, "SpeedButton4");

    // Variant 2, a copy of 1 with a numerator of 2.
    road.Until(QStringLiteral("degree entry of variant 2"), [] {
        return Describe(TopScreen()) == kDegrees && ProgramAssignment().VariantCount == 2;
    });
    if (mouse)
        road.Click(kDegrees, "SpeedButton1");
    else
        road.Press(kDegrees, Key::Return);
    EnterCoefficients(road, {}, {"2"});
    FinishComputation(road);

    // Back to variant 1, unchanged, then the finish.
    Use(road, kGraph, "SpeedButton6");
    if (mouse)
        road.On(kChoice, QStringLiteral("step the variant down"), {}, [&road](QWidget* s) {
            auto* spin = Find<QSpinBox>(s, "SpinEdit1");
            road.Input().Click(spin, QPoint(spin->width() - 6, spin->height() * 3 / 4));
        });
    else {
        road.TabTo(kChoice, "SpinEdit1");
        road.Press(kChoice, Key::Down);
    }
    Use(road, kChoice, "Button1",
        [](QWidget* s) { return Find<QSpinBox>(s, "SpinEdit1")->value() == 1; });
    road.Until(QStringLiteral("degree entry of variant 1"), [] {
        return Describe(TopScreen()) == kDegrees && ProgramAssignment().CurrentVariant == 1;
    });
    if (mouse)
        road.Click(kDegrees, "SpeedButton1");
    else
        road.Press(kDegrees, Key::Return);
    EnterCoefficients(road, {}, {});
    FinishComputation(road);
    road.Until(QStringLiteral("two curves"), [] {
        return Describe(TopScreen()) == kGraph && ProgramAssignment().VariantCount == 2 &&
               ProgramAssignment().Variants[1].B[0] == 1 &&
               ProgramAssignment().Variants[2].B[0] == 2;
    });
    Use(road, kGraph, "SpeedButton3");

    // The second student: one variant, 3/(s + 1), and only his curve on the graph.
    if (mouse)
        road.ClickCell(kSelection, "StringGrid1", 0, 1);
    else
        road.Press(kSelection, Key::Right);
    if (mouse)
        road.Click(kDegrees, "SpeedButton1", Shows("SZL", QStringLiteral("1")));
    else
        road.Press(kDegrees, Key::Return, Shows("SZL", QStringLiteral("1")));
    EnterCoefficients(road, {"1", "1"}, {"3"});
    FinishComputation(road);
    road.Until(QStringLiteral("one curve, the second student's"), [] {
        return Describe(TopScreen()) == kGraph && ProgramAssignment().VariantCount == 1 &&
               ProgramAssignment().Variants[1].B[0] == 3 && ProgramAssignment().StudentSelection.Slot == 2;
    });
    Use(road, kGraph, "SpeedButton3");
    Use(road, kSelection, "BitBtn1");
}

int RoadsToWalk()
{
    const int roads = qEnvironmentVariableIntValue("NIRDAL_ROADS");
    return roads > 0 ? roads : 3;
}

} // namespace

class DesktopRoadTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!m_input.Available())
            QSKIP("needs an X display with the XTEST extension (QT_QPA_PLATFORM=xcb)");
        // Printing fails at once, with the error box the road closes.
        qputenv("CUPS_SERVER", "/nonexistent/nirdal-no-print-server");
        SetUpDesktop(*qApp);
        QApplication::setQuitOnLastWindowClosed(false); // as the program: only the title ends it
    }

    void roadByClicks() { WalkRoads(Hand::Mouse, QStringLiteral("clicks")); }
    void roadByKeys() { WalkRoads(Hand::Keyboard, QStringLiteral("keys")); }

private:
    void WalkRoads(Hand hand, const QString& by)
    {
        const int roads = RoadsToWalk();
        QStringList stuck;
        QElapsedTimer clock;
        clock.start();
        for (int k = 1; k <= roads; ++k) {
            const QString failure = WalkOneRoad(hand);
            if (!failure.isEmpty())
                stuck << QStringLiteral("road %1: %2").arg(k).arg(failure);
        }
        qInfo("%s", qPrintable(QStringLiteral("by %1: %2 of %3 roads walked to the end, %4 stuck, "
                                              "%5 s a road")
                                   .arg(by)
                                   .arg(roads - stuck.size())
                                   .arg(roads)
                                   .arg(stuck.size())
                                   .arg(clock.elapsed() / 1000.0 / roads, 0, 'f', 1)));
        if (!stuck.isEmpty())
            QFAIL(qPrintable(stuck.join(QChar('\n'))));
    }

    QString WalkOneRoad(Hand hand)
    {
        test_support::TemporaryRoot root;
        InitialiseRoster(ProgramRoster(), root.Path());
        InitialiseSettings(ProgramAssignment().Print, std::make_shared<FileRegistry>(root.Path()));
        CreateScreens();
        Road road(m_input, hand);
        PlanRoad(road);
        ShowMainWindow();
        const QString stuck = road.Walk();
        DestroyForms();
        FinaliseSettings(ProgramAssignment().Print);
        ProgramAssignment().Print = {};
        return stuck;
    }

    XInput m_input;
};

QTEST_MAIN(DesktopRoadTest)
#include "desktop_road_test.moc"
