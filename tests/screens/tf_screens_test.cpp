// SPDX-License-Identifier: MIT
#include "core/numtext/numtext.h"
#include "core/roster/roster.h"
#include "core/shell/shell_state.h"
#include "core/tf/transfer_function.h"
#include "screen_driver.h"
#include "screens/shell/information.h"
#include "screens/shell/road.h"
#include "screens/tf/coefficient_entry.h"
#include "screens/tf/degree_entry.h"
#include "screens/tf/variant_choice.h"

#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>

using namespace nirdal;
using namespace nirdal::testing;

namespace {

void StartOneVariant()
{
    ProgramAssignment().VariantCount = 1;
    PrepareVariantSlot(ProgramAssignment(), 1);
    ProgramAssignment().CurrentVariant = 1;
}

void PressUp(UpDown* control, int times = 1)
{
    for (int k = 0; k < times; ++k)
        Click(control, QPoint(control->width() / 2, 3));
}

void PressDown(UpDown* control, int times = 1)
{
    for (int k = 0; k < times; ++k)
        Click(control, QPoint(control->width() / 2, control->height() - 3));
}

QString Text(const std::string& ascii)
{
    return QString::fromStdString(ascii);
}

// Runs `steps` on a fresh coefficient screen for the current variant, then closes it.
void OnCoefficientEntry(const std::function<void(QWidget*)>& steps)
{
    CreateForm(CoefficientEntryForm);
    bool ran = false;
    WhenShown("NIRDAL_nastroikaForm", [&](QWidget* screen) {
        ran = true;
        steps(screen);
        CoefficientEntryForm->Close();
    });
    CoefficientEntryForm->ShowModal();
    QVERIFY(ran);
}

} // namespace

class TfScreensTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        ProgramRoster() = DefaultRoster();
        CreateScreens();
    }

    void cleanupTestCase() { DestroyForms(); }

    void init() { StartOneVariant(); }

    void degreeRuleCorrectsTheNumeratorOnPressAndRelease()
    {
        bool ran = false;
        WhenShown("NIRDAL_znachForm", [&](QWidget* screen) {
            ran = true;
            auto* n = Control<UpDown>(screen, "SZ");
            auto* m = Control<UpDown>(screen, "SC");
            auto* nLabel = Control<QLabel>(screen, "SZL");
            auto* mLabel = Control<QLabel>(screen, "SCL");
            QCOMPARE(nLabel->text(), QStringLiteral("1"));
            QCOMPARE(mLabel->text(), QStringLiteral("0"));
            QCOMPARE(Control<QLabel>(screen, "LO1")->text(), QStringLiteral(" ВВОД   ЗНАЧЕНИЙ 1"));

            PressUp(m, 3); // with n = 1 the numerator stays 0
            QCOMPARE(mLabel->text(), QStringLiteral("0"));
            QCOMPARE(m->Position(), 3);

            PressUp(n, 5);
            PressUp(m, 2);
            QCOMPARE(mLabel->text(), QStringLiteral("5"));
            PressDown(n, 3); // n = 3: m corrected to 2, its up-down stays at 5
            QCOMPARE(nLabel->text(), QStringLiteral("3"));
            QCOMPARE(mLabel->text(), QStringLiteral("2"));
            QCOMPARE(m->Position(), 5);
            PressUp(n); // position 5, label 2, n = 4
            QCOMPARE(mLabel->text(), QStringLiteral("2"));
            PressDown(m); // steps from the position: 4, corrected to 3
            QCOMPARE(mLabel->text(), QStringLiteral("3"));
            QCOMPARE(int(CurrentTransferFunction(ProgramAssignment()).DenominatorDegree), 4);
            QCOMPARE(int(CurrentTransferFunction(ProgramAssignment()).NumeratorDegree), 3);

            PressUp(n, 20); // stops at 15, and m = 14 then stands
            PressUp(m, 20);
            QCOMPARE(nLabel->text(), QStringLiteral("15"));
            QCOMPARE(mLabel->text(), QStringLiteral("14"));

            // Holding the button steps on; the release shows where it stopped.
            QTest::mousePress(n, Qt::LeftButton, {}, QPoint(n->width() / 2, n->height() - 3));
            QTest::qWait(700);
            QTest::mouseRelease(n, Qt::LeftButton, {}, QPoint(n->width() / 2, n->height() - 3));
            const int held = nLabel->text().toInt();
            QVERIFY2(held < 14, "holding stepped only once");
            QCOMPARE(mLabel->text().toInt(), held - 1);
            DegreeEntryForm->Close();
        });
        DegreeEntryForm->ShowModal();
        QVERIFY(ran);
    }

    void degreeScreenStartsFromTheStoredDegreesOfTheVariant()
    {
        ProgramAssignment().VariantCount = 2;
        PrepareVariantSlot(ProgramAssignment(), 2);
        ProgramAssignment().CurrentVariant = 2;
        CurrentTransferFunction(ProgramAssignment()).DenominatorDegree = 6;
        CurrentTransferFunction(ProgramAssignment()).NumeratorDegree = 2;
        bool ran = false;
        WhenShown("NIRDAL_znachForm", [&](QWidget* screen) {
            ran = true;
            QVERIFY(Control<QLabel>(screen, "LO1")->text().endsWith(QLatin1Char('2')));
            PressDown(Control<UpDown>(screen, "SC")); // steps from the shown 2, not an old place
            QCOMPARE(Control<QLabel>(screen, "SCL")->text(), QStringLiteral("1"));
            DegreeEntryForm->Close();
        });
        DegreeEntryForm->ShowModal();
        QVERIFY(ran);
    }

    void coefficientEntryStoresOnlyTypedCells()
    {
        TransferFunction& variant = CurrentTransferFunction(ProgramAssignment());
        variant.DenominatorDegree = 2;
        variant.NumeratorDegree = 1;
        variant.A = {7, 8, 9};
        variant.B = {4, 5};
        OnCoefficientEntry([&](QWidget* screen) {
            auto* display = Control<StringGrid>(screen, "SZ1");
            auto* entry = Control<StringGrid>(screen, "SZ2");
            auto* enter = Control<QPushButton>(screen, "Button1");
            auto* again = Control<QPushButton>(screen, "Button2");
            QCOMPARE(Control<QLabel>(screen, "Label2")->text(), QStringLiteral(" ВАРИАНТ  1 из 1"));
            QCOMPARE(Control<QLabel>(screen, "LZ")->text(), QStringLiteral("ВВОД ЗНАМЕНАТЕЛЯ 2"));
            QCOMPARE(display->RowCount(), 3);
            QCOMPARE(display->Cell(0, 0), QStringLiteral("A2  "));
            QCOMPARE(display->Cell(0, 2), QStringLiteral("A0  "));
            QCOMPARE(display->Cell(1, 0), Text(RealText(9)));
            QCOMPARE(Control<StringGrid>(screen, "SC1")->Cell(0, 1), QStringLiteral("B0  "));
            QCOMPARE(entry->Cell(0, 0), QString());

            TypeIntoCell(entry, 2, QStringLiteral("2.50"));
            Click(enter);
            QCOMPARE(variant.A[0], 2.5L);
            QCOMPARE(variant.A[1], 8.0L);
            QCOMPARE(variant.A[2], 9.0L);
            QCOMPARE(variant.B[0], 4.0L);
            QCOMPARE(display->Cell(1, 2), QStringLiteral("2,5"));
            QCOMPARE(entry->Cell(0, 2), QStringLiteral("2,5"));
            QVERIFY(!enter->isVisible());
            QVERIFY(again->isVisible());
            QVERIFY(Control<QPushButton>(screen, "Button3")->isVisible());

            Click(again);
            QCOMPARE(display->Cell(1, 2), Text(RealText(2.5L)));
            QVERIFY(enter->isVisible());
            QVERIFY(!again->isVisible());
            QCOMPARE(entry->Cell(0, 2), QStringLiteral("2,5"));
            Click(enter);
            QCOMPARE(variant.A[0], 2.5L);
            QCOMPARE(display->Cell(1, 2), QStringLiteral("2,5"));

            // Back from the information screen the screen is activated afresh: "ввод" again.
            WhenShown("NIRDAL_infForm", [](QWidget* information) {
                Click(Control<QToolButton>(information, "SpeedButton1"));
            });
            Click(Control<QToolButton>(screen, "SpeedButton1"));
            QVERIFY(screen->isVisible());
            QVERIFY(enter->isVisible());
            QVERIFY(!again->isVisible());
            QCOMPARE(display->Cell(1, 2), Text(RealText(2.5L)));
            QCOMPARE(variant.A[0], 2.5L);
        });
    }

    void afterEnteringTheCellsTakeNoTypingUntilEnteringAgain()
    {
        TransferFunction& variant = CurrentTransferFunction(ProgramAssignment());
        variant.DenominatorDegree = 1;
        variant.NumeratorDegree = 0;
        variant.A = {1, 1};
        variant.B = {3};
        variant.Delay = 0;
        OnCoefficientEntry([&](QWidget* screen) {
            auto* entry = Control<StringGrid>(screen, "SC2");
            auto* delay = Control<QLineEdit>(screen, "Edit1");
            TypeIntoCell(entry, 0, QStringLiteral("2"));
            Click(Control<QPushButton>(screen, "Button1"));
            QCOMPARE(variant.B[0], 2.0L);
            QCOMPARE(screen->focusWidget(), Control<QPushButton>(screen, "Button3"));
            // A correction typed now would be lost by "окончание  ввода": it cannot be typed.
            TypeIntoCell(entry, 0, QStringLiteral("7"));
            QCOMPARE(entry->Cell(0, 0), QStringLiteral("2"));
            const QString delayShown = delay->text();
            QTest::keyClicks(delay, QStringLiteral("5"));
            QCOMPARE(delay->text(), delayShown);

            // "повторный ввод" opens them again, and the correction is kept by "ввод".
            Click(Control<QPushButton>(screen, "Button2"));
            TypeIntoCell(entry, 0, QStringLiteral("7"));
            QCOMPARE(entry->Cell(0, 0), QStringLiteral("7"));
            Click(Control<QPushButton>(screen, "Button1"));
            QCOMPARE(variant.B[0], 7.0L);
            Click(Control<QPushButton>(screen, "Button3"));
        });
        QCOMPARE(variant.B[0], 7.0L);
    }

    void textsTheScreenWroteReadBackUnchanged()
    {
        TransferFunction& variant = CurrentTransferFunction(ProgramAssignment());
        variant.Delay = 1.2345L;
        OnCoefficientEntry([&](QWidget* screen) {
            auto* entry = Control<StringGrid>(screen, "SC2");
            auto* delay = Control<QLineEdit>(screen, "Edit1");
            auto* enter = Control<QPushButton>(screen, "Button1");
            QCOMPARE(delay->text(), QStringLiteral("1.23"));
            TypeIntoCell(entry, 0, QStringLiteral("0.00005"));
            Click(enter);
            const Extended typed = variant.B[0];
            QCOMPARE(entry->Cell(0, 0), QStringLiteral("5E-5"));
            QCOMPARE(variant.Delay, 1.2345L); // "1.23" was the screen's own text

            Click(Control<QPushButton>(screen, "Button2"));
            RetypeEdit(delay, QStringLiteral("0.05"));
            Click(enter);
            QCOMPARE(variant.B[0], typed); // not 5.5
            QCOMPARE(variant.Delay, ParseNumber("0.05"));
            QCOMPARE(delay->text(), Text(FormatNumber(ParseNumber("0.05"))));

            Click(Control<QPushButton>(screen, "Button2"));
            Click(enter);
            QCOMPARE(variant.Delay, ParseNumber("0.05")); // not 5.002
            QCOMPARE(variant.B[0], typed);
        });
    }

    void conversionErrorStopsEntryAtTheBadCell()
    {
        TransferFunction& variant = CurrentTransferFunction(ProgramAssignment());
        variant.DenominatorDegree = 2;
        variant.A = {1, 2, 3};
        OnCoefficientEntry([&](QWidget* screen) {
            auto* entry = Control<StringGrid>(screen, "SZ2");
            auto* enter = Control<QPushButton>(screen, "Button1");
            TypeIntoCell(entry, 0, QStringLiteral("6"));
            TypeIntoCell(entry, 1, QStringLiteral("1,2.3"));
            TypeIntoCell(entry, 2, QStringLiteral("7"));
            RetypeEdit(Control<QLineEdit>(screen, "Edit1"), QStringLiteral("4"));
            QString shown;
            bool boxCame = false;
            auto* watch = new QTimer;
            watch->setInterval(2);
            QObject::connect(watch, &QTimer::timeout, [&, watch] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    watch->stop();
                    watch->deleteLater();
                    boxCame = true;
                    shown = box->text();
                    Click(box->button(QMessageBox::Ok));
                }
            });
            watch->start();
            Click(enter);
            QVERIFY(boxCame);
            QVERIFY2(shown.startsWith(QStringLiteral("Коэффициент A1: «1,2.3» — не число")),
                     qPrintable(shown));
            QCOMPARE(entry->Cell(0, 1), QStringLiteral("1,2.3")); // kept for correcting
            QCOMPARE(variant.A[2], 6.0L); // before the bad cell: stored
            QCOMPARE(variant.A[1], 2.0L);
            QCOMPARE(variant.A[0], 1.0L); // after it: not read
            QCOMPARE(variant.Delay, 0.0L);
            QVERIFY(enter->isVisible());
            QVERIFY(!Control<QPushButton>(screen, "Button2")->isVisible());
        });
    }

    void typedNumbersAreReadWholeAndEnterGoesToTheNextCell()
    {
        TransferFunction& variant = CurrentTransferFunction(ProgramAssignment());
        variant.DenominatorDegree = 2;
        OnCoefficientEntry([&](QWidget* screen) {
            auto* entry = Control<StringGrid>(screen, "SZ2");
            screen->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(screen));
            ClickCell(entry, 0, 0);
            // What is typed goes where the keyboard is, as a student types it.
            for (const QChar c : QStringLiteral("1e-5\n3\n2,36\n 2\n")) {
                QWidget* keyboard = screen->focusWidget();
                QVERIFY(keyboard != nullptr);
                if (c == QLatin1Char('\n'))
                    QTest::keyClick(keyboard, Qt::Key_Return);
                else
                    QTest::keyClicks(keyboard, QString(c));
                QCoreApplication::processEvents();
            }
            QCOMPARE(entry->Cell(0, 0), QStringLiteral("1e-5"));
            QCOMPARE(entry->Cell(0, 1), QStringLiteral("3"));
            QCOMPARE(entry->Cell(0, 2), QStringLiteral("2,36"));
            // Past the last row of the denominator the numerator's cell takes the keyboard.
            QCOMPARE(Control<StringGrid>(screen, "SC2")->Cell(0, 0), QStringLiteral(" 2"));
            Click(Control<QPushButton>(screen, "Button1"));
            QCOMPARE(variant.A[2], 1e-5L);
            QCOMPARE(variant.A[1], 3.0L);
            QCOMPARE(variant.A[0], 2.36L);
            QCOMPARE(variant.B[0], 2.0L);
        });
    }

    void coefficientWindowHeightFollowsTheDegrees_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("height");
        QTest::newRow("n 1, m 0: the least height") << 1 << 0 << 120;
        QTest::newRow("n 15, m 0: the denominator panel") << 15 << 0 << 380;
        QTest::newRow("n 15, m 14: the delay panel") << 15 << 14 << 389;
    }

    void coefficientWindowHeightFollowsTheDegrees()
    {
        QFETCH(int, n);
        QFETCH(int, m);
        QFETCH(int, height);
        CurrentTransferFunction(ProgramAssignment()).DenominatorDegree =
            static_cast<std::uint8_t>(n);
        CurrentTransferFunction(ProgramAssignment()).NumeratorDegree = static_cast<std::uint8_t>(m);
        OnCoefficientEntry([&](QWidget* screen) {
            QCOMPARE(screen->height(), height);
            QCOMPARE(screen->pos(), QPoint(100, 100));
            QCOMPARE(Control<QWidget>(screen, "PZ")->height(), 20 * (n + 3));
            QCOMPARE(Control<StringGrid>(screen, "SZ2")->RowCount(), n + 1);
            QCOMPARE(Control<StringGrid>(screen, "SC2")->RowCount(), m + 1);
        });
    }

    void helpButtonLiesInsideTheLeastWindow()
    {
        // n = 1, m = 0: the denominator panel 80 + 20 and the delay panel 60 + 49 are both below
        // 120.
        OnCoefficientEntry([](QWidget* screen) {
            QCOMPARE(screen->height(), 120);
            for (const char* name : {"SpeedButton1", "Label2", "Button1"}) {
                const QRect place = Control<QWidget>(screen, name)->geometry();
                QVERIFY2(screen->rect().contains(place), name);
            }
        });
    }

    void cutGridCellShowsItsWholeTextAsAHint()
    {
        CurrentTransferFunction(ProgramAssignment()).A[1] = 100;
        OnCoefficientEntry([](QWidget* screen) {
            auto* grid = Control<StringGrid>(screen, "SZ1");
            // 100 in 23 characters, in a column of 40 pixels.
            const QString whole = QStringLiteral(" 1.00000000000000E+0002");
            QCOMPARE(grid->Cell(1, 0), whole);
            QVERIFY(grid->fontMetrics().horizontalAdvance(whole) > 40);
            const auto hover = [grid](int column, int row) {
                QTest::mouseMove(grid->viewport(),
                                 grid->visualRect(grid->model()->index(row, column)).center());
            };
            hover(1, 0);
            QTRY_COMPARE(QToolTip::text(), whole);
            // "A0  " fits its cell: no hint.
            hover(0, 1);
            QTRY_VERIFY(!QToolTip::isVisible());
            QTest::qWait(900);
            QVERIFY(!QToolTip::isVisible());
        });
    }

    void variantChoiceFitsItsLongestCaption()
    {
        CurrentTransferFunction(ProgramAssignment()).DenominatorDegree = 15;
        CurrentTransferFunction(ProgramAssignment()).NumeratorDegree = 14;
        bool ran = false;
        WhenShown("NIRDAL_nastvarForm", [&](QWidget* screen) {
            ran = true;
            auto* label = Control<QLabel>(screen, "LZ");
            auto* panel = Control<QFrame>(screen, "PZ");
            QCOMPARE(label->text(), QStringLiteral("ВВОД ЗНАМЕНАТЕЛЯ 15"));
            // What of the label shows: inside its panel's frame, left of the next panel.
            const int shown =
                std::min({label->x() + label->width(), panel->contentsRect().right() + 1,
                          Control<QWidget>(screen, "PC")->x() - panel->x()}) -
                label->x();
            QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= shown);
            // Nothing overlaps on the right: the panels end before the buttons, all inside.
            const QRect delay = Control<QWidget>(screen, "Panel1")->geometry();
            for (const char* name : {"Button1", "Label2", "SpeedButton1", "SpinEdit1"}) {
                const QRect place = Control<QWidget>(screen, name)->geometry();
                QVERIFY2(place.left() > delay.right(), name);
                QVERIFY2(screen->rect().contains(place), name);
            }
            QCOMPARE(screen->height(), 389);
            VariantChoiceForm->Close();
        });
        VariantChoiceForm->ShowModal();
        QVERIFY(ran);
    }

    void variantChoiceShowsAndChoosesTheSpinBoxNumber()
    {
        ProgramAssignment().VariantCount = 3;
        for (std::uint8_t k = 2; k <= 3; ++k) {
            PrepareVariantSlot(ProgramAssignment(), k);
            ProgramAssignment().Variants[k].DenominatorDegree = static_cast<std::uint8_t>(k + 4);
        }
        ProgramAssignment().CurrentVariant = 2;
        ProgramAssignment().Done = true;
        bool ran = false;
        WhenShown("NIRDAL_nastvarForm", [&](QWidget* screen) {
            ran = true;
            auto* spin = Control<QSpinBox>(screen, "SpinEdit1");
            auto* caption = Control<QLabel>(screen, "Label2");
            QCOMPARE(spin->value(), 2);
            QCOMPARE(caption->text(), QStringLiteral(" ВАРИАНТ  2 из 3"));
            QCOMPARE(Control<StringGrid>(screen, "SZ1")->RowCount(), 7);
            QTest::keyClick(spin, Qt::Key_Up);
            QCOMPARE(int(ProgramAssignment().CurrentVariant), 3);
            QCOMPARE(caption->text(), QStringLiteral(" ВАРИАНТ  3 из 3"));
            QTest::keyClick(spin, Qt::Key_Up); // no fourth variant
            QCOMPARE(spin->value(), 3);
            QTest::keyClick(spin, Qt::Key_Down);
            Click(Control<QPushButton>(screen, "Button1"));
        });
        VariantChoiceForm->ShowModal();
        QVERIFY(ran);
        QCOMPARE(int(ProgramAssignment().CurrentVariant), 2);
        QVERIFY(!ProgramAssignment().Done);
    }

    void variantChoiceWithOneVariantKeepsOne()
    {
        bool ran = false;
        WhenShown("NIRDAL_nastvarForm", [&](QWidget* screen) {
            ran = true;
            auto* spin = Control<QSpinBox>(screen, "SpinEdit1");
            QTest::keyClick(spin, Qt::Key_Up);
            RetypeEdit(spin->findChild<QLineEdit*>(), QStringLiteral("5"));
            QCOMPARE(spin->value(), 1);
            QCOMPARE(Control<QLineEdit>(screen, "Edit1")->text(), QStringLiteral("00"));
            Click(Control<QPushButton>(screen, "Button1"));
        });
        VariantChoiceForm->ShowModal();
        QVERIFY(ran);
        QCOMPARE(int(ProgramAssignment().CurrentVariant), 1);
    }
};

QTEST_MAIN(TfScreensTest)
#include "tf_screens_test.moc"
