// SPDX-License-Identifier: MIT
// The whole road as a student walks it, on the program's real screens: title, selection,
// three passes of the assignment loop with two variants, the finish, and the end of the
// program, which writes both settings back.
#include "core/response/response_computation.h"
#include "core/roster/roster.h"
#include "core/settings/print_settings.h"
#include "core/shell/shell_state.h"
#include "core/tf/transfer_function.h"
#include "graph_support.h"
#include "platform/file_registry.h"
#include "screens/plot/graph.h"
#include "screens/response/computation.h"
#include "screens/shell/road.h"
#include "screens/shell/title.h"
#include "settings_support.h"
#include "support/temporary_root.h"

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <memory>

using namespace nirdal;
using namespace nirdal::testing;

namespace {

// What the student does on each screen of one pass of the assignment loop.
struct Pass
{
    std::function<void(QWidget*)> Degrees;      ///< before "Дальше"
    std::function<void(QWidget*)> Coefficients; ///< before "окончание  ввода"
    std::function<void(QWidget*)> Computation;  ///< must end with a finish
    std::function<void(QWidget*)> Graph;        ///< must close the graph screen
};

// Registers the pass for the next degree entry screen to come.
void ExpectPass(const Pass& pass)
{
    WhenShown("NIRDAL_znachForm", [pass](QWidget* degrees) {
        pass.Degrees(degrees);
        WhenShown("NIRDAL_nastroikaForm", [pass](QWidget* coefficients) {
            pass.Coefficients(coefficients);
            WhenShown("NIRDAL_rasform", [pass](QWidget* computation) {
                WhenShown("NIRDAL_grafForm", pass.Graph);
                pass.Computation(computation);
            });
            Click(Control<QPushButton>(coefficients, "Button3"));
        });
        Click(Control<QToolButton>(degrees, "SpeedButton1"));
    });
}

QString VariantShown(QWidget* degrees)
{
    return Control<QLabel>(degrees, "LO1")->text();
}

// Pages on with "Далее" while it is offered, then presses the notice's "финиш".
void FinishComputation(QWidget* screen)
{
    auto* next = Control<QPushButton>(screen, "DD");
    while (next->isVisible())
        Click(next);
    QVERIFY(ComputationForm->Computation()->State() == ComputationState::Converged);
    Click(Control<QPushButton>(screen, "Button6"));
}

int CurvePixels(QImage picture, const Rgb& colour)
{
    picture = picture.convertToFormat(QImage::Format_RGB32);
    const QColor wanted(colour.red, colour.green, colour.blue);
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            count += picture.pixelColor(x, y) == wanted;
    return count;
}

void NoChange(QWidget*) {}

} // namespace

class RoadScreensTest : public QObject
{
    Q_OBJECT

private slots:
    void wholeRoadFromTitleToTheEnd()
    {
        // The program's start-up over an empty machine.
        test_support::TemporaryRoot root;
        QCOMPARE(InitialiseRoster(ProgramRoster(), root.Path()), RosterSource::Defaults);
        auto registry = std::make_shared<FileRegistry>(root.Path());
        InitialiseSettings(ProgramAssignment().Print, registry);
        std::filesystem::remove(registry->FilePath()); // the ending must write both again
        CreateScreens();
        ShowMainWindow();

        const Pass second{
            [](QWidget* degrees) {
                QCOMPARE(VariantShown(degrees), QStringLiteral(" ВВОД   ЗНАЧЕНИЙ 2"));
                QCOMPARE(int(ProgramAssignment().VariantCount), 2);
            },
            [](QWidget* coefficients) {
                // The copy of variant 1 with a numerator of 2: W(s) = 2/(s + 1).
                TypeIntoCell(Control<StringGrid>(coefficients, "SC2"), 0, QStringLiteral("2"));
                Click(Control<QPushButton>(coefficients, "Button1"));
                QCOMPARE(ProgramAssignment().Variants[2].B[0], 2.0L);
                QCOMPARE(ProgramAssignment().Variants[2].A[1], 1.0L);
            },
            FinishComputation,
            [](QWidget* graph) {
                QCOMPARE(int(ProgramAssignment().VariantCount), 2);
                const QImage picture = GraphForm->Picture();
                QVERIFY(CurvePixels(picture, VariantColors[0]) > 100);
                QVERIFY(CurvePixels(picture, VariantColors[1]) > 100);
                WhenShown("NIRDAL_nastvarForm", [](QWidget* choice) {
                    QTest::keyClick(Control<QSpinBox>(choice, "SpinEdit1"), Qt::Key_Down);
                    QCOMPARE(int(ProgramAssignment().CurrentVariant), 1);
                    ExpectPass({[](QWidget* degrees) {
                                    QCOMPARE(VariantShown(degrees),
                                             QStringLiteral(" ВВОД   ЗНАЧЕНИЙ 1"));
                                },
                                NoChange, FinishComputation,
                                [](QWidget* lastGraph) {
                                    QCOMPARE(int(ProgramAssignment().VariantCount), 2);
                                    const QImage last = GraphForm->Picture();
                                    QVERIFY(CurvePixels(last, VariantColors[0]) > 100);
                                    QVERIFY(CurvePixels(last, VariantColors[1]) > 100);
                                    Click(Control<QToolButton>(lastGraph, "SpeedButton3"));
                                }});
                    Click(Control<QPushButton>(choice, "Button1"));
                });
                Click(Control<QToolButton>(graph, "SpeedButton6"));
            }};

        const Pass first{
            [](QWidget* degrees) {
                QCOMPARE(VariantShown(degrees), QStringLiteral(" ВВОД   ЗНАЧЕНИЙ 1"));
                QCOMPARE(Control<QLabel>(degrees, "SZL")->text(), QStringLiteral("1"));
                QCOMPARE(Control<QLabel>(degrees, "SCL")->text(), QStringLiteral("0"));
            },
            [](QWidget* coefficients) {
                // W(s) = 1/(s + 1)
                auto* denominator = Control<StringGrid>(coefficients, "SZ2");
                TypeIntoCell(denominator, 0, QStringLiteral("1"));
                TypeIntoCell(denominator, 1, QStringLiteral("1"));
                TypeIntoCell(Control<StringGrid>(coefficients, "SC2"), 0, QStringLiteral("1"));
                Click(Control<QPushButton>(coefficients, "Button1"));
                QCOMPARE(ProgramAssignment().Variants[1].A[1], 1.0L);
                QCOMPARE(ProgramAssignment().Variants[1].A[0], 1.0L);
                QCOMPARE(ProgramAssignment().Variants[1].B[0], 1.0L);
            },
            [](QWidget* computation) {
                QCOMPARE(int(ComputationForm->Computation()->Fields().NextSlot), 48);
                Click(Control<QPushButton>(computation, "DD"));
                QVERIFY(Control<QWidget>(computation, "Panel4")->isVisible());
                Click(Control<QPushButton>(computation, "Button6"));
            },
            [second](QWidget* graph) {
                QCOMPARE(int(ProgramAssignment().VariantCount), 1);
                QVERIFY(CurvePixels(GraphForm->Picture(), VariantColors[0]) > 100);
                QCOMPARE(CurvePixels(GraphForm->Picture(), VariantColors[1]), 0);
                ExpectPass(second);
                Click(Control<QToolButton>(graph, "SpeedButton4"));
            }};

        bool selectionCame = false;
        bool selectionBack = false;
        WhenShown("NIRDAL_vibForm", [&](QWidget* selection) {
            selectionCame = true;
            ClickCell(Control<StringGrid>(selection, "StringGrid2"), 0, 0);
            ExpectPass(first);
            ClickCell(Control<StringGrid>(selection, "StringGrid1"), 0, 0); // runs the loop
            selectionBack = selection->isVisible();
            Click(Control<QPushButton>(selection, "BitBtn1"));
        });
        auto* paragraph = Control<QLabel>(TitleForm, "Label3");
        QTimer::singleShot(0, [paragraph] { Click(paragraph); });
        QTimer::singleShot(60000, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), 0);

        QVERIFY(selectionCame);
        QVERIFY(selectionBack);
        QVERIFY(!TitleForm->isVisible());
        QVERIFY(ProgramAssignment().Done);
        QCOMPARE(int(ProgramAssignment().VariantCount), 2);
        QCOMPARE(ProgramAssignment().Variants[1].B[0], 1.0L);
        QCOMPARE(ProgramAssignment().Variants[2].B[0], 2.0L);
        // Every point of both variants was computed: 1/(s + 1) ends near U = 1, 2/(s + 1)
        // near U = 2.
        QVERIFY(std::fabs(ProgramAssignment().Variants[1].ResponseArrays[200].U - 1) < 0.001L);
        QVERIFY(std::fabs(ProgramAssignment().Variants[2].ResponseArrays[200].U - 2) < 0.002L);

        // The ending: the screens go, then the settings are written back.
        DestroyForms();
        FinaliseSettings(ProgramAssignment().Print);
        QCOMPARE(StoredSetting(*registry, "pecats"), StoredGain(1.0));
        QCOMPARE(StoredSetting(*registry, "zadan"), StoredMethod(2));
        ProgramAssignment().Print = {};
    }
};

QTEST_MAIN(RoadScreensTest)
#include "road_screens_test.moc"
