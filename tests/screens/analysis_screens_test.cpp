// SPDX-License-Identifier: MIT
// The analysis window on a real X display: opened by a right click on a curve of the graph
// screen, driven by its keys, closed by Escape.
#include "core/plot/curve_reading.h"
#include "core/plot/plot.h"
#include "graph_support.h"
#include "screens/plot/analysis_window.h"
#include "screens/plot/graph.h"
#include "screens/shell/information.h"
#include "x_input.h"

#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QHelpEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QToolTip>
#include <QLineEdit>
#include <QSlider>
#include <QTest>

#include <chrono>
#include <thread>

using namespace nirdal;
using namespace nirdal::testing;

namespace {

bool SameVariants(const std::vector<TransferFunction>& a, const std::vector<TransferFunction>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].A != b[i].A || a[i].B != b[i].B || a[i].Delay != b[i].Delay ||
            a[i].DenominatorDegree != b[i].DenominatorDegree ||
            a[i].NumeratorDegree != b[i].NumeratorDegree ||
            !(a[i].ResponseArrays == b[i].ResponseArrays))
            return false;
    return true;
}

void PressOn(QWidget* widget, Qt::Key key)
{
    QTest::keyClick(widget, key);
}

TransferFunction Parsed(const char* text)
{
    TransferFunction variant;
    std::string error;
    if (!ParseTransferFunctionText(text, variant, error))
        qFatal("bad transfer function %s: %s", text, error.c_str());
    return variant;
}

} // namespace

class AnalysisScreensTest : public QObject
{
    Q_OBJECT

private slots:
    // Variant 1 stays within the unit circle; variant 2, −2/(s+1)³, ends its sweep near −2,
    // a hundred pixels left of anything variant 1 draws: a right click there is on variant 2.
    void RightClickOnACurveOpensItsVariantAndEscapeCloses()
    {
        SetVariants({"1:1,3,3,1", "-2:1,3,3,1"});
        const std::vector<TransferFunction> before = ProgramAssignment().Variants;
        const ResponsePoint& last = ProgramAssignment().Variants[2].ResponseArrays[kLastSlot];
        QVERIFY(std::fabs(last.U + 2) < 0.05L && std::fabs(last.V) < 0.05L);
        const auto at = CurvePoint(last, ScreenPlotFields(), ScreenPlotOrigin());
        QVERIFY(at);

        GraphScreen graph;
        bool opened = false;
        QString suggestedName;
        WhenShown("NIRDAL_grafForm", [&](QWidget*) {
            WhenShown("NIRDAL_analizForm", [&](QWidget* window) {
                opened = true;
                // The window takes the keyboard as it opens, with no window manager to give it.
                QVERIFY(QTest::qWaitForWindowActive(window));
                QCOMPARE(window->windowTitle(), QStringLiteral("Анализ варианта 2"));
                auto* gain = Control<QSlider>(window, "GainSlider");
                auto* gainField = Control<QLineEdit>(window, "GainField");
                auto* delay = Control<QSlider>(window, "DelaySlider");
                QVERIFY(gain && gainField && delay);
                QCOMPARE(gain->accessibleName(), QStringLiteral("Коэффициент усиления K"));
                QCOMPARE(delay->accessibleName(),
                         QStringLiteral("Дополнительное запаздывание ΔT, с"));
                QCOMPARE(gainField->text(), QStringLiteral("1,00"));
                // −2/(s+1)³ at K = 1: the closed loop 1 − 2/(s+1)³ has the real root
                // s = 2^(1/3) − 1 > 0.
                auto* verdict = Control<QLabel>(window, "Verdict");
                QCOMPARE(verdict->text(), QStringLiteral("Замкнутая система неустойчива"));
                // Page Up: a fifth of a decade, K = 10^0.2 = 1.5849; an arrow: a
                // hundredth of a decade more, 10^0.21 = 1.6218.
                gain->setFocus();
                PressOn(gain, Qt::Key_PageUp);
                QCOMPARE(gainField->text(), QStringLiteral("1,58"));
                PressOn(gain, Qt::Key_Right);
                QCOMPARE(gainField->text(), QStringLiteral("1,62"));
                // Tab goes on to the field; text that is no number stays to be corrected,
                // and the reason names the field and quotes the text.
                PressOn(gain, Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), gainField);
                const int position = gain->value();
                RetypeEdit(gainField, {});
                TypeText(gainField, QStringLiteral("1e-2.5"));
                PressOn(gainField, Qt::Key_Return);
                QCOMPARE(gainField->text(), QStringLiteral("1e-2.5"));
                QVERIFY2(gainField->toolTip().startsWith(QStringLiteral("Поле K: «1e-2.5» — не число")),
                         qPrintable(gainField->toolTip()));
                QCOMPARE(gain->value(), position); // nothing taken
                RetypeEdit(gainField, QStringLiteral("-1"));
                PressOn(gainField, Qt::Key_Return);
                QCOMPARE(gainField->text(), QStringLiteral("1,62"));
                // −0.25/(s+1)³ closes into 1 − 0.25/(s+1)³: its real root 0.25^(1/3) − 1
                // and the complex pair −1.315 ± 0.546j all lie in the left half-plane.
                RetypeEdit(gainField, QStringLiteral("0,125"));
                PressOn(gainField, Qt::Key_Return);
                QCOMPARE(verdict->text(), QStringLiteral("Замкнутая система устойчива"));
                // "Сохранить рисунок…": the four pictures as one image as wide as they are,
                // with the caption under them.
                QTemporaryDir folder;
                const QString path = folder.filePath(QStringLiteral("analiz"));
                AnalysisWindow::SetSavePathChooser(
                    [&](QWidget*, const QString& suggested) {
                        suggestedName = QFileInfo(suggested).fileName();
                        return path;
                    });
                // It waits for the step response of K = 0.125, computed meanwhile.
                Click(Control<QPushButton>(window, "SaveButton"));
                QTRY_COMPARE(suggestedName, QStringLiteral("nirdal-analiz-2.png"));
                AnalysisWindow::SetSavePathChooser({});
                const QImage saved(path + QStringLiteral(".png"));
                const QSize pictures = Control<QWidget>(window, "Pictures")->size();
                QCOMPARE(saved.width(), pictures.width());
                QVERIFY(saved.height() > pictures.height());
                PressOn(QApplication::focusWidget(), Qt::Key_Escape);
                QVERIFY(!window->isVisible());
            });
            // The laser preset: 300 dots per unit, which the graph screen keeps until its
            // next redraw of its own.
            graph.ChooseLaserPrinter();
            QTest::mouseClick(&graph, Qt::RightButton, {}, QPoint(at->x, at->y));
            QVERIFY(opened);
            QVERIFY(graph.isVisible());
            QCOMPARE(graph.Fields().PlotScale, 1.0 / 300);
            graph.Close();
        });
        graph.ShowModal();
        QVERIFY(opened);
        QVERIFY(SameVariants(before, ProgramAssignment().Variants));
    }

    // 2e^(−s)/(s+1)³ stands 0.53937 s more delay: at ΔT = 0.5393 the response takes the
    // longest span to settle (seconds of computing). A click on the K slider 0.3 s after ΔT
    // is typed, through the X server as a student's click comes, takes effect at once.
    void AClickRightAfterTypingTheDelayMarginTakesEffect()
    {
        const XInput input;
        if (!input.Available())
            QSKIP("no X server with the XTEST extension");
        auto window = std::make_unique<AnalysisWindow>(Parsed("2:1,3,3,1:1"), 1);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto* gain = Control<QSlider>(window.get(), "GainSlider");
        auto* delayField = Control<QLineEdit>(window.get(), "DelayField");
        auto* settling = Control<QLabel>(window.get(), "Figure6");
        QTRY_VERIFY_WITH_TIMEOUT(!window->StepPending(), 10000); // K = 1, ΔT = 0: quick
        QVERIFY(settling->isEnabled());

        // Left of the handle on the groove: a page down of K.
        const QPoint onGroove = input.ScreenPoint(gain, QPoint(gain->width() / 10, gain->height() / 2));
        const int before = gain->value();
        RetypeEdit(delayField, QStringLiteral("0.5393"));
        PressOn(delayField, Qt::Key_Return);
        QCOMPARE(Control<QLabel>(window.get(), "Verdict")->text(),
                 QStringLiteral("Замкнутая система устойчива"));
        QVERIFY(window->StepPending());
        QVERIFY(!settling->isEnabled()); // the previous figure, greyed
        using Clock = std::chrono::steady_clock;
        Clock::time_point clicked;
        std::thread student([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            clicked = Clock::now();
            input.ClickAt(onGroove);
        });
        const auto giveUp = Clock::now() + std::chrono::seconds(30);
        while (gain->value() == before && Clock::now() < giveUp)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const Clock::time_point answered = Clock::now();
        student.join();
        QVERIFY(gain->value() < before);
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(answered - clicked).count();
        QVERIFY2(waited < 2000, qPrintable(QStringLiteral("the click took %1 ms").arg(waited)));
        // Closed while a response is still being computed (K back at the delay margin; the
        // response of the clicked K may have come already): it stops, nothing is left.
        gain->setValue(before);
        QVERIFY(window->StepPending());
        window.reset();
    }

    // The map of 1/(s+1)³ spans K from 0.01 to 100 on a logarithmic axis and ΔT from 0 to
    // the end of the ΔT slider: a click in the middle of its box across and a quarter of its
    // height up asks for K = 1 (gain slider position 1000 of 2000) and ΔT at a quarter of
    // the range (position 250 of 1000), within a pixel's worth of positions. The point then
    // stands there, and a move of K to 10 (position 1500) moves it a quarter of the box right.
    void AClickOnTheMapSetsBothSliders()
    {
        AnalysisWindow window(Parsed("1:1,3,3,1"), 1);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* canvas = qobject_cast<ExplorationCanvas*>(Control<QWidget>(&window, "Pictures"));
        auto* gain = Control<QSlider>(&window, "GainSlider");
        auto* delay = Control<QSlider>(&window, "DelaySlider");
        QVERIFY(canvas && gain && delay);
        QTRY_VERIFY_WITH_TIMEOUT(!canvas->MapBox().isEmpty(), 10000);
        const QRect box = canvas->MapBox();
        QVERIFY(box.width() > 100 && box.height() > 60);
        const QPoint click(box.left() + box.width() / 2, box.top() + box.height() * 3 / 4);
        QTest::mouseClick(canvas, Qt::LeftButton, {}, click);
        QVERIFY2(std::abs(gain->value() - 1000) <= 2000 / box.width() + 1,
                 qPrintable(QString::number(gain->value())));
        QVERIFY2(std::abs(delay->value() - 250) <= 1000 / box.height() + 1,
                 qPrintable(QString::number(delay->value())));
        QCOMPARE(window.State().Gain(), GainAt(gain->value()));

        // The point: a black ring of 7 pixels around its centre, give or take the pixel a
        // half rounds to.
        const auto ringAt = [canvas](QPoint centre) {
            const QImage shown = canvas->grab().toImage();
            const auto ring = [&shown](QPoint at) {
                for (const QPoint& d : {QPoint(7, 0), QPoint(-7, 0), QPoint(0, 7), QPoint(0, -7)}) {
                    const QColor c = shown.pixelColor(at + d);
                    if (c.red() > 90 || c.green() > 90 || c.blue() > 90)
                        return false;
                }
                return true;
            };
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                    if (ring(centre + QPoint(dx, dy)))
                        return true;
            return false;
        };
        // Where the sliders put it: log10 K + 2 = position / 500 of the axis's 4 decades.
        const auto pointOf = [&] {
            return QPoint(qRound(box.left() + box.width() * gain->value() / 2000.0),
                          qRound(box.top() + box.height() * (1 - delay->value() / 1000.0)));
        };
        const QPoint first = pointOf();
        QVERIFY(std::abs(first.x() - click.x()) <= 1 && std::abs(first.y() - click.y()) <= 1);
        QVERIFY(ringAt(first));
        gain->setValue(1500);
        QVERIFY(ringAt(pointOf()));
        QVERIFY(std::abs(pointOf().x() - first.x() - box.width() / 4.0) <= 2);
        QVERIFY(!ringAt(first));
    }

    // F3 and the analysis button open the variant under the pointer, or the current one when
    // the pointer rests on no curve; Tab goes from the variant button to the analysis button;
    // the curve's hint and the help text name both ways.
    void F3AndTheAnalysisButtonOpenTheCurrentVariant()
    {
        SetVariants({"1:1,3,3,1", "-2:1,3,3,1"});
        ProgramAssignment().CurrentVariant = 1;
        GraphScreen graph;
        QStringList opened;
        WhenShown("NIRDAL_grafForm", [&](QWidget*) {
            const auto closeAnalysis = [&] {
                WhenShown("NIRDAL_analizForm", [&](QWidget* window) {
                    opened << window->windowTitle();
                    PressOn(window, Qt::Key_Escape);
                });
            };
            graph.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&graph));
            QCursor::setPos(graph.mapToGlobal(QPoint(2, 2)));
            closeAnalysis();
            PressOn(&graph, Qt::Key_F3);
            auto* button = Control<QToolButton>(&graph, "SpeedButton7");
            QVERIFY(button->toolTip().contains(QStringLiteral("F3")));
            QCOMPARE(button->accessibleName(), QStringLiteral("Анализ варианта"));
            auto* variantButton = Control<QToolButton>(&graph, "SpeedButton6");
            variantButton->setFocus();
            PressOn(variantButton, Qt::Key_Tab);
            QCOMPARE(graph.focusWidget(), button);
            closeAnalysis();
            PressOn(button, Qt::Key_Space);
            // With the pointer on variant 2's curve, F3 opens variant 2.
            const ResponsePoint& last = ProgramAssignment().Variants[2].ResponseArrays[kLastSlot];
            const auto at = CurvePoint(last, ScreenPlotFields(), ScreenPlotOrigin());
            QVERIFY(at);
            QCursor::setPos(graph.mapToGlobal(QPoint(at->x, at->y)));
            closeAnalysis();
            PressOn(&graph, Qt::Key_F3);
            QHelpEvent hint(QEvent::ToolTip, QPoint(at->x, at->y),
                            graph.mapToGlobal(QPoint(at->x, at->y)));
            QApplication::sendEvent(&graph, &hint);
            QVERIFY2(QToolTip::text().endsWith(
                         QStringLiteral("\nправая кнопка мыши или F3 — анализ варианта")),
                     qPrintable(QToolTip::text()));
            graph.Close();
        });
        graph.ShowModal();
        QCOMPARE(opened, (QStringList{QStringLiteral("Анализ варианта 1"),
                                      QStringLiteral("Анализ варианта 1"),
                                      QStringLiteral("Анализ варианта 2")}));
        auto* help = new InformationScreen;
        QVERIFY(Control<QPlainTextEdit>(help, "Memo1")->toPlainText().contains(
            QStringLiteral("Правая кнопка мыши на кривой или клавиша F3")));
        delete help;
    }
};

QTEST_MAIN(AnalysisScreensTest)
#include "analysis_screens_test.moc"
