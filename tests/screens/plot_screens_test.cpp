// SPDX-License-Identifier: MIT
#include "core/common/recording_surface.h"
#include "core/numtext/numtext.h"
#include "core/plot/print_page.h"
#include "core/roster/roster.h"
#include "core/shell/shell_state.h"
#include "graph_support.h"
#include "screens/plot/graph.h"
#include "screens/shell/road.h"

#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace nirdal;
using namespace nirdal::testing;

namespace {

RecordingPrinter printer;

// Runs steps on the graph screen over the variants there are; the steps must close it.
void OnGraph(const std::function<void(QWidget*)>& steps)
{
    bool ran = false;
    WhenShown("NIRDAL_grafForm", [&](QWidget* graph) {
        ran = true;
        steps(graph);
        const bool open = graph->isVisible();
        if (open)
            GraphForm->Close();
        QVERIFY2(!open, "the steps left the graph screen open");
    });
    GraphForm->ShowModal();
    QVERIFY(ran);
}

QToolButton* SpeedButton(QWidget* graph, const char* name)
{
    return Control<QToolButton>(graph, name);
}

// The geometry of a printed page, read from its drawing operations.
struct PageGeometry
{
    int OriginX = -1;
    int OriginY = -1;
    int Unit = -1;
    int VerticalAxisEnd = -1;
    int HorizontalAxisEnd = -1;
    QList<int> SummaryLines; ///< y of the summary line of variant 1, 2, …
};

PageGeometry Geometry(const std::vector<DrawOp>& page)
{
    using Kind = DrawOp::Kind;
    PageGeometry g;
    for (std::size_t i = 0; i + 1 < page.size(); ++i) {
        const DrawOp& op = page[i];
        const DrawOp& next = page[i + 1];
        if (op.kind == Kind::Move && next.kind == Kind::Line && g.OriginX < 0 && op.args[1] == 0 &&
            next.args[0] == op.args[0]) {
            g.OriginX = op.args[0];
            g.VerticalAxisEnd = next.args[1];
        }
        if (op.kind == Kind::Move && next.kind == Kind::Line && g.OriginY < 0 && op.args[0] == 0 &&
            next.args[1] == op.args[1]) {
            g.OriginY = op.args[1];
            g.HorizontalAxisEnd = next.args[0];
        }
    }
    for (const DrawOp& op : page) {
        if (op.kind == Kind::Arc && g.Unit < 0)
            g.Unit = op.args[2] - g.OriginX;
        for (int i = 1; i <= ProgramAssignment().VariantCount; ++i)
            if (op.kind == Kind::Text && op.text == VariantSummaryLine(ProgramAssignment(), i) &&
                g.SummaryLines.size() == i - 1)
                g.SummaryLines << op.args[1];
    }
    return g;
}

// Runs one command of the graph screen by its buttons.
void Command(QWidget* graph, const QString& command)
{
    auto* panel = Control<QWidget>(graph, "Panel1");
    if (command == "open") {
        Click(SpeedButton(graph, "SpeedButton5"));
    } else if (command == "matrix") {
        Click(Control<QPushButton>(panel, "Button6"));
    } else if (command == "laser") {
        Click(Control<QPushButton>(panel, "Button7"));
    } else if (command == "accept") {
        Click(Control<QPushButton>(panel, "Button5"));
    } else if (command.startsWith("type ")) {
        auto* edit = Control<QLineEdit>(panel, "Edit1");
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        TypeText(edit, command.mid(5));
        QCOMPARE(edit->text(), command.mid(5));
    } else if (command == "help") {
        WhenShown("NIRDAL_infForm", [](QWidget* information) {
            Click(Control<QToolButton>(information, "SpeedButton1"));
        });
        Click(SpeedButton(graph, "SpeedButton2"));
    } else {
        QFAIL(qPrintable("unknown command " + command));
    }
}

QColor ToQColor(const nirdal::Rgb& colour)
{
    return QColor(colour.red, colour.green, colour.blue);
}

bool HasColour(const QImage& image, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

// Why the page cannot be drawn at that gain, as the panel reports it.
std::optional<std::string> SetDotsPerUnitRefusal(Extended dotsPerUnit)
{
    PlotFields fields;
    return SetDotsPerUnit(fields, dotsPerUnit);
}

bool SameRecord(const TransferFunction& a, const TransferFunction& b)
{
    return a.A == b.A && a.B == b.B && a.DenominatorDegree == b.DenominatorDegree &&
           a.NumeratorDegree == b.NumeratorDegree && a.Delay == b.Delay &&
           a.ResponseArrays == b.ResponseArrays;
}

} // namespace

class PlotScreensTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ProgramRoster() = DefaultRoster();
        CreateScreens();
        GraphScreen::SetPagePrinter(
            [](const PageDrawing& draw, QString& error) { return printer(draw, error); });
    }

    void cleanupTestCase()
    {
        GraphScreen::SetPagePrinter({});
        DestroyForms();
    }

    void init()
    {
        printer.pages.clear();
        SetVariants({"1:1,1", "2:1,1", "1:1,1,1:1"});
        ProgramAssignment().Done = true;
    }

    void activationDrawsEveryVariantAtTheLeftEdge()
    {
        OnGraph([](QWidget* graph) {
            QCOMPARE(graph->pos().x(), 0);
            QCOMPARE(graph->size(), QSize(kGraphClientWidth, kGraphClientHeight));
            const PlotFields& fields = GraphForm->Fields();
            QCOMPARE(fields.PlotScale, 0.01);
            QCOMPARE(fields.PixelsPerUnitX, 100);
            QCOMPARE(fields.PixelsPerUnitY, 110);
            QCOMPARE(GraphForm->Origin().x, 375);
            QCOMPARE(GraphForm->Origin().y, 225);
            // The texts are the last variant's: e^(−s)/(s² + s + 1).
            QCOMPARE(ProgramAssignment().Texts.Denominator,
                     MakeCoefficientTexts(ProgramAssignment().Variants[3]).Denominator);
            QVERIFY(QString::fromStdString(ProgramAssignment().Texts.Delay)
                        .contains("1,000"));

            const QImage picture = GraphForm->Picture().convertToFormat(QImage::Format_RGB32);
            for (int i = 1; i <= 3; ++i)
                QVERIFY2(HasColour(picture, ToQColor(VariantColors[i - 1])),
                         qPrintable(QString::number(i)));
            QVERIFY(!HasColour(picture, ToQColor(VariantColors[3])));
            // Uncovered, the window shows the same picture again.
            graph->repaint();
            const QImage shown = graph->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const QRect beside(0, 0, 672, kGraphClientHeight); // left of the speed buttons
            QCOMPARE(shown.copy(beside), picture.copy(beside));

            const char* hints[][2] = {
                {"SpeedButton2", "Вопрос"},        {"SpeedButton5", "Настройка  печати"},
                {"SpeedButton1", "Печать "},       {"SpeedButton3", "Финиш"},
                {"SpeedButton4", "Новый вариант"}, {"SpeedButton6", "Изменение варианта"}};
            int top = 0;
            for (const auto& [name, hint] : hints) {
                QToolButton* button = SpeedButton(graph, name);
                QCOMPARE(button->toolTip(), QString::fromUtf8(hint));
                QCOMPARE(button->geometry(), QRect(672, top, 23, 22));
                QVERIFY(!button->icon().pixmap(16, 16).isNull());
                top += 24;
            }
            QVERIFY(!Control<QWidget>(graph, "Panel1")->isVisible());
            Click(SpeedButton(graph, "SpeedButton3"));
        });
        QVERIFY(ProgramAssignment().Done);
        QVERIFY(printer.pages.empty());
    }

    void graphNamesTheStudentAndShowsWhereTheKeyboardIs()
    {
        ProgramRoster() = DefaultRoster();
        TakeStudentFromRoster(ProgramAssignment(), ProgramRoster(), 1, 1);
        OnGraph([](QWidget* graph) {
            graph->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(graph));
            QCOMPARE(graph->windowTitle(), QStringLiteral("АФЧХ системы"));
            QVERIFY(Control<QPushButton>(graph, "Button7")->text().endsWith(QStringLiteral(" 300")));
            Click(SpeedButton(graph, "SpeedButton1"));
            const std::string title = "Абрамов А.В., группа 251";
            QVERIFY(std::any_of(printer.pages.at(0).begin(), printer.pages.at(0).end(),
                                [&](const DrawOp& op) { return op.text == title; }));
            // The button with the keyboard wears a frame of the highlight colour.
            QToolButton* help = SpeedButton(graph, "SpeedButton2");
            const QColor highlight = help->palette().color(QPalette::Highlight);
            SpeedButton(graph, "SpeedButton3")->setFocus();
            QVERIFY(!HasColour(help->grab().toImage(), highlight));
            help->setFocus();
            QVERIFY(help->hasFocus());
            QVERIFY(HasColour(help->grab().toImage(), highlight));
            Click(SpeedButton(graph, "SpeedButton3"));
        });
        const QDate day(2026, 12, 10);
        QCOMPARE(
            GraphScreen::PdfFileName(QStringLiteral("251"), QStringLiteral("Абрамов А.В."), day),
            QStringLiteral("251-Абрамов-2026-12-10.pdf"));
        QCOMPARE(GraphScreen::PdfFileName(QStringLiteral("25/1"), QStringLiteral(".Ив:ан"), day),
                 QStringLiteral("25_1-_Ив_ан-2026-12-10.pdf"));
        QCOMPARE(GraphScreen::PdfFileName({}, {}, day), QStringLiteral("nirdal-2026-12-10.pdf"));
        ProgramAssignment().StudentSurname.clear();
        ProgramAssignment().StudentGroup.clear();
    }

    void pointerOnACurveShowsTheNearestStoredPoint()
    {
        SetVariants({"1:1,1", "2:1,1"});
        const ResponsePoint first = ProgramAssignment().Variants[1].ResponseArrays[1];
        // It is a point of 1/(1 + jω) = (1 − jω) / (1 + ω²), and 1/(s + 1) starts between
        // |W| = 0.01 and 0.1.
        const long double w = first.Frequency;
        QVERIFY(std::fabs(first.U - 1 / (1 + w * w)) < 1e-15L);
        QVERIFY(std::fabs(first.V + w / (1 + w * w)) < 1e-15L);
        QVERIFY(w > 9 && w < 100);
        // Drawn 100 pixels per unit across and 110 up from (375, 225).
        const QPoint at(375 + qRound(double(first.U) * 100), 225 - qRound(double(first.V) * 110));
        const auto text = [](long double x) { return QString::fromStdString(FormatNumber(x)); };
        OnGraph([&](QWidget* graph) {
            const QImage before = GraphForm->Picture();
            QTest::mouseMove(graph, at);
            QTRY_VERIFY(QToolTip::isVisible());
            const QString hint = QToolTip::text();
            QVERIFY2(hint.startsWith(QStringLiteral("вариант 1\n")), qPrintable(hint));
            for (const QString& value :
                 {QStringLiteral("ω = ") + text(w), QStringLiteral("U = ") + text(first.U),
                  QStringLiteral("V = ") + text(first.V)})
                QVERIFY2(hint.contains(value), qPrintable(value));
            QCOMPARE(GraphForm->Picture(), before); // nothing drawn for the hint

            // Below and right of both curves: no hint.
            QTest::mouseMove(graph, QPoint(600, 400));
            QTRY_VERIFY(!QToolTip::isVisible());
            QTest::qWait(900);
            QVERIFY(!QToolTip::isVisible());
            Click(SpeedButton(graph, "SpeedButton3"));
        });
    }

    void printUsesTheScaleSetAfterTheLastRedraw_data()
    {
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QPoint>("origin");
        QTest::addColumn<QPoint>("axisEnds");
        QTest::addColumn<QList<int>>("summaryLines");
        const QList<int> matrixLines{496, 517, 538};
        QTest::newRow("as shown") << QStringList() << 100 << QPoint(375, 225) << QPoint(449, 799)
                                  << matrixLines;
        QTest::newRow("matrix preset") << QStringList{"open", "matrix"} << 100 << QPoint(375, 225)
                                       << QPoint(449, 799) << matrixLines;
        QTest::newRow("laser preset") << QStringList{"open", "laser"} << 300 << QPoint(1125, 675)
                                      << QPoint(1349, 2399) << QList<int>{1446, 1467, 1488};
        QTest::newRow("typed 250")
            << QStringList{"open", "type 250", "accept"} << 250 << QPoint(938, 562)
            << QPoint(1124, 1999) << QList<int>{1209, 1230, 1251};
        QTest::newRow("typed with blanks and an exponent")
            << QStringList{"open", "type   2.5E+0002", "accept"} << 250 << QPoint(938, 562)
            << QPoint(1124, 1999) << QList<int>{1209, 1230, 1251};
        QTest::newRow("typed with a comma")
            << QStringList{"open", "type 2,5e2 ", "accept"} << 250 << QPoint(938, 562)
            << QPoint(1124, 1999) << QList<int>{1209, 1230, 1251};
        QTest::newRow("laser, then the panel accepted unchanged")
            << QStringList{"open", "laser", "open", "accept"} << 300 << QPoint(1125, 675)
            << QPoint(1349, 2399) << QList<int>{1446, 1467, 1488};
        // The preset chosen stays in force whatever redraws the screen.
        QTest::newRow("laser, then the panel left open")
            << QStringList{"open", "laser", "open"} << 300 << QPoint(1125, 675)
            << QPoint(1349, 2399) << QList<int>{1446, 1467, 1488};
        QTest::newRow("laser, then help") << QStringList{"open", "laser", "help"} << 300
                                          << QPoint(1125, 675) << QPoint(1349, 2399)
                                          << QList<int>{1446, 1467, 1488};
    }

    void printUsesTheScaleSetAfterTheLastRedraw()
    {
        QFETCH(QStringList, commands);
        QFETCH(int, unit);
        QFETCH(QPoint, origin);
        QFETCH(QPoint, axisEnds);
        QFETCH(QList<int>, summaryLines);
        OnGraph([&](QWidget* graph) {
            for (const QString& command : commands)
                Command(graph, command);
            const QImage before = GraphForm->Picture().copy();
            Click(SpeedButton(graph, "SpeedButton1"));
            QCOMPARE(printer.pages.size(), std::size_t{1});
            QCOMPARE(GraphForm->Picture(), before); // printing does not redraw
            const PageGeometry page = Geometry(printer.pages[0]);
            QCOMPARE(page.Unit, unit);
            QCOMPARE(QPoint(page.OriginX, page.OriginY), origin);
            QCOMPARE(QPoint(page.VerticalAxisEnd, page.HorizontalAxisEnd), axisEnds);
            QCOMPARE(page.SummaryLines, summaryLines);

            // Printing changes nothing: a second page is the same.
            Click(SpeedButton(graph, "SpeedButton1"));
            QCOMPARE(printer.pages.size(), std::size_t{2});
            QVERIFY(printer.pages[1] == printer.pages[0]);
            Click(SpeedButton(graph, "SpeedButton3"));
        });
    }

    void refusedGainKeepsTheScaleAndSaysWhy_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("zero") << "0"
                              << QString::fromStdString(*SetDotsPerUnitRefusal(0));
        QTest::newRow("negative") << "-300"
                                  << QString::fromStdString(
                                         *SetDotsPerUnitRefusal(-300));
        QTest::newRow("origin beyond 16 bits")
            << "17477" << QString::fromStdString(*SetDotsPerUnitRefusal(17477));
        QTest::newRow("beyond any number")
            << "1E99999" << QStringLiteral("Точек на единицу: «1E99999» — число вне допустимых пределов");
        QTest::newRow("no number")
            << "три сотни"
            << QStringLiteral("Точек на единицу: «три сотни» — не число: допустимы знак, цифры с "
                              "одной точкой или запятой и порядок, например -1,5e-3");
        QTest::newRow("empty, silently") << "" << QString();
    }

    void refusedGainKeepsTheScaleAndSaysWhy()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QVERIFY(message.isNull() || message.size() > 10);
        OnGraph([&](QWidget* graph) {
            Command(graph, "open");
            Command(graph, "laser");
            Command(graph, "open");
            Command(graph, "type " + typed);
            const QString shown = MessageBoxAfter([graph] { Command(graph, "accept"); });
            QCOMPARE(shown, message);
            QVERIFY(!Control<QWidget>(graph, "Panel1")->isVisible());
            // The laser preset chosen before stays in force.
            QCOMPARE(GraphForm->Fields().PlotScale, 1.0 / 300);
            Click(SpeedButton(graph, "SpeedButton1"));
            QCOMPARE(Geometry(printer.pages.at(0)).Unit, 300);
            Click(SpeedButton(graph, "SpeedButton3"));
        });
    }

    void gainBoundaryIsAccepted()
    {
        OnGraph([](QWidget* graph) {
            Command(graph, "open");
            Command(graph, "type " + QString::number(kMaxDotsPerUnit));
            QCOMPARE(MessageBoxAfter([graph] { Command(graph, "accept"); }), QString());
            Click(SpeedButton(graph, "SpeedButton1"));
            QCOMPARE(Geometry(printer.pages.at(0)).OriginX, 65535);
            Click(SpeedButton(graph, "SpeedButton3"));
        });
    }

    void printScreenKeyPrintsOnRelease()
    {
        OnGraph([](QWidget* graph) {
            QTest::keyPress(graph, Qt::Key_Print);
            QCOMPARE(printer.pages.size(), std::size_t{0});
            QTest::keyRelease(graph, Qt::Key_Print);
            QCOMPARE(printer.pages.size(), std::size_t{1});
            QTest::keyClick(graph, Qt::Key_P);
            QTest::keyClick(graph, Qt::Key_F12);
            QCOMPARE(printer.pages.size(), std::size_t{1});

            // The window sees the key before its controls: typing in the panel prints too.
            Command(graph, "open");
            auto* edit = Control<QLineEdit>(graph, "Edit1");
            edit->setFocus();
            const QString text = edit->text();
            QTest::keyClick(edit, Qt::Key_Print);
            QCOMPARE(printer.pages.size(), std::size_t{2});
            QCOMPARE(edit->text(), text);
            QVERIFY(printer.pages[1] == printer.pages[0]);
            Click(SpeedButton(graph, "SpeedButton3"));
        });
    }

    void newVariantCopiesTheWholeRecord()
    {
        ProgramAssignment().CurrentVariant = 1;
        OnGraph([](QWidget* graph) { Click(SpeedButton(graph, "SpeedButton4")); });
        QCOMPARE(int(ProgramAssignment().VariantCount), 4);
        QCOMPARE(int(ProgramAssignment().CurrentVariant), 4);
        QCOMPARE(ProgramAssignment().Variants.size(), std::size_t{5});
        QVERIFY(!ProgramAssignment().Done);
        QVERIFY(ProgramAssignment().Variants[4].Delay == 1.0L);
        QVERIFY(SameRecord(ProgramAssignment().Variants[4], ProgramAssignment().Variants[3]));
    }

    void newVariantAtTheLimitRefusesAndChangesNothing()
    {
        ProgramAssignment().VariantCount = kMaxVariants;
        PrepareVariantSlot(ProgramAssignment(), ProgramAssignment().VariantCount);
        ProgramAssignment().Variants[kMaxVariants] = ProgramAssignment().Variants[3];
        ProgramAssignment().CurrentVariant = 7;
        const std::vector<TransferFunction> before = ProgramAssignment().Variants;
        OnGraph([](QWidget* graph) {
            const QString notice =
                MessageBoxAfter([graph] { Click(SpeedButton(graph, "SpeedButton4")); });
            QVERIFY2(notice.contains("255") && notice.contains(QStringLiteral("не создан")),
                     qPrintable(notice));
            QVERIFY(graph->isVisible());
            Click(SpeedButton(graph, "SpeedButton3"));
        });
        QCOMPARE(int(ProgramAssignment().VariantCount), kMaxVariants);
        QCOMPARE(int(ProgramAssignment().CurrentVariant), 7);
        QCOMPARE(ProgramAssignment().Variants.size(), before.size());
        for (std::size_t i = 1; i < before.size(); ++i)
            QVERIFY(SameRecord(ProgramAssignment().Variants[i], before[i]));
    }

    void changeOfVariantClosesTheGraphForTheChosenOne()
    {
        OnGraph([](QWidget* graph) {
            WhenShown("NIRDAL_nastvarForm", [](QWidget* choice) {
                auto* spin = Control<QSpinBox>(choice, "SpinEdit1");
                QTest::keyClick(spin, Qt::Key_Down);
                QTest::keyClick(spin, Qt::Key_Down);
                Click(Control<QPushButton>(choice, "Button1"));
            });
            Click(SpeedButton(graph, "SpeedButton6"));
        });
        QCOMPARE(int(ProgramAssignment().CurrentVariant), 1);
        QVERIFY(!ProgramAssignment().Done);
        QCOMPARE(int(ProgramAssignment().VariantCount), 3);
    }

    void closeBoxLeavesTheLoopFlagAsItIs_data()
    {
        QTest::addColumn<bool>("done");
        QTest::newRow("done") << true;
        QTest::newRow("another pass asked for") << false;
    }

    void closeBoxLeavesTheLoopFlagAsItIs()
    {
        QFETCH(bool, done);
        ProgramAssignment().Done = done;
        OnGraph([](QWidget* graph) { graph->close(); });
        QCOMPARE(ProgramAssignment().Done, done);
        QCOMPARE(int(ProgramAssignment().VariantCount), 3);
    }
};

QTEST_MAIN(PlotScreensTest)
#include "plot_screens_test.moc"
