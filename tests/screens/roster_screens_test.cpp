// SPDX-License-Identifier: MIT
#include "core/roster/roster.h"
#include "core/shell/shell_state.h"
#include "core/tf/transfer_function.h"
#include "platform/text_encoding.h"
#include "screen_driver.h"
#include "screens/roster/selection.h"
#include "screens/shell/road.h"
#include "screens/tf/degree_entry.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QUrl>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace nirdal;
using namespace nirdal::testing;

namespace {

StringGrid* Strip()
{
    return Control<StringGrid>(SelectionForm, "StringGrid2");
}

StringGrid* Surnames()
{
    return Control<StringGrid>(SelectionForm, "StringGrid1");
}

// Group g gets `count` surnames in its first slots and free slots after them.
void FillGroup(int g, int count)
{
    RosterGroup& group = ProgramRoster()[g - 1];
    for (int s = 1; s <= kSlotsPerGroup; ++s)
        group.Surnames[s - 1].Assign(
            s <= count ? "Name" + std::to_string(g) + "_" + std::to_string(s) : StoredFreeSlotMark());
}

// A new selection screen over the roster as it is now: the scan runs at creation.
void RecreateSelection()
{
    CreateForm(SelectionForm);
}

// After the degree screen of a pass: through coefficient entry and the computation to the
// graph screen, which finishes the assignment.
void FinishPassFromDegreeEntry(QWidget* degreeEntry)
{
    WhenShown("NIRDAL_nastroikaForm", [](QWidget* coefficients) {
        WhenShown("NIRDAL_rasform", [](QWidget* computation) {
            WhenShown("NIRDAL_grafForm",
                      [](QWidget* graph) { Click(Control<QToolButton>(graph, "SpeedButton3")); });
            Click(Control<QPushButton>(computation, "Button7"));
        });
        Click(Control<QPushButton>(coefficients, "Button1"));
        Click(Control<QPushButton>(coefficients, "Button3"));
    });
    Click(Control<QToolButton>(degreeEntry, "SpeedButton1"));
}

} // namespace

class RosterScreensTest : public QObject
{
    Q_OBJECT

public slots:
    // Stands in for the desktop: what the selection screen asks it to open.
    void openOnTheDesktop(const QUrl& url) { m_opened << url; }

private slots:
    void initTestCase()
    {
        ProgramRoster() = DefaultRoster();
        CreateScreens();
    }

    void cleanupTestCase() { DestroyForms(); }

    void init()
    {
        ProgramRoster() = DefaultRoster();
        RecreateSelection();
    }

    void defaultRosterFillsTheStripAndTheFirstGroup()
    {
        QCOMPARE(SelectionForm->pos(), QPoint(0, 0));
        QCOMPARE(Control<QLabel>(SelectionForm, "Label1")->text(),
                 QStringLiteral("ВЫБОР ГРУППЫ/ФАМИЛИИ АФЧX"));
        QCOMPARE(Strip()->ColCount(), 4);
        QCOMPARE(Strip()->width(), 200);
        for (int c = 0; c < 4; ++c)
            QCOMPARE(Strip()->Cell(c, 0), QString::number(251 + c));
        QCOMPARE(Surnames()->RowCount(), 10);
        QCOMPARE(Surnames()->height(), 250);
        QCOMPARE(SelectionForm->height(), 299);
        QCOMPARE(Surnames()->Cell(2, 9),
                 QString::fromStdString(RosterSurname(ProgramRoster(), 1, 30)));
        QCOMPARE(int(ProgramAssignment().StudentSelection.Group), 1);
        QCOMPARE(int(ProgramAssignment().StudentSelection.Slot), 1);
    }

    void aShortGroupShrinksTheWindowAndBlanksTheRest()
    {
        FillGroup(2, 4);
        RecreateSelection();
        WhenShown("NIRDAL_vibForm", [](QWidget*) {
            ClickCell(Strip(), 1, 0);
            QCOMPARE(int(ProgramAssignment().StudentSelection.Group), 2);
            QCOMPARE(Surnames()->RowCount(), 2);
            QCOMPARE(SelectionForm->height(), 48 + 50 + 1);
            QCOMPARE(Surnames()->Cell(0, 1), QStringLiteral("Name2_4"));
            QCOMPARE(Surnames()->Cell(1, 1), QString()); // group 1 had names here
            QCOMPARE(Surnames()->Cell(2, 1), QString());
            SelectionForm->Close();
        });
        SelectionForm->ShowModal();
    }

    void stripEndsAtTheFirstAbsentGroup_data()
    {
        QTest::addColumn<int>("absent");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("width");
        QTest::newRow("group 3 absent") << 3 << 2 << 100;
        QTest::newRow("group 6 absent") << 6 << 5 << 250;
        QTest::newRow("group 1 absent") << 1 << 1 << 0;
    }

    void stripEndsAtTheFirstAbsentGroup()
    {
        QFETCH(int, absent);
        QFETCH(int, columns);
        QFETCH(int, width);
        for (int g = 1; g <= kGroupCount; ++g)
            FillGroup(g, g == absent ? 0 : 3);
        RecreateSelection();
        QCOMPARE(Strip()->ColCount(), columns);
        QCOMPARE(Strip()->width(), width);
    }

    void surnameClickRunsTheAssignmentAndComesBack()
    {
        ProgramAssignment().Variants.clear();
        ProgramAssignment().VariantCount = 0;
        ProgramAssignment().CurrentVariant = 0;
        bool walked = false;
        WhenShown("NIRDAL_vibForm", [&](QWidget* selection) {
            ClickCell(Strip(), 1, 0);
            WhenShown("NIRDAL_znachForm", [&](QWidget* degreeEntry) {
                QVERIFY(!selection->isVisible());
                QCOMPARE(int(ProgramAssignment().StudentSelection.StudentNumber), 36);
                QCOMPARE(int(ProgramAssignment().StudentSelection.Group), 2);
                QCOMPARE(int(ProgramAssignment().StudentSelection.Slot), 6);
                QCOMPARE(int(ProgramAssignment().VariantCount), 1);
                QCOMPARE(int(ProgramAssignment().CurrentVariant), 1);
                QCOMPARE(Control<QLabel>(degreeEntry, "SZL")->text(), QStringLiteral("1"));
                QCOMPARE(Control<QLabel>(degreeEntry, "SCL")->text(), QStringLiteral("0"));
                QVERIFY(Control<QLabel>(degreeEntry, "LO1")->text().endsWith(QLatin1Char('1')));
                walked = true;
                FinishPassFromDegreeEntry(degreeEntry);
            });
            ClickCell(Surnames(), 2, 1); // third cell of the second row: slot 6

            // The loop has ended: the same screen is back, on the same group.
            QVERIFY(selection->isVisible());
            QVERIFY(ProgramAssignment().Done);
            QCOMPARE(Strip()->Col(), 1);
            QCOMPARE(Surnames()->Cell(0, 0),
                     QString::fromStdString(RosterSurname(ProgramRoster(), 2, 1)));
            Click(Control<QPushButton>(selection, "BitBtn1"));
        });
        SelectionForm->ShowModal();
        QVERIFY(walked);
        QVERIFY(!SelectionForm->isVisible());
    }

    void arrowKeyStartsTheAssignmentForTheNewCell()
    {
        int slotChosen = 0;
        WhenShown("NIRDAL_vibForm", [&](QWidget* selection) {
            ClickCell(Strip(), 0, 0);
            Surnames()->SetCurrentCell(0, 0);
            WhenShown("NIRDAL_znachForm", [&](QWidget* degreeEntry) {
                slotChosen = ProgramAssignment().StudentSelection.Slot;
                FinishPassFromDegreeEntry(degreeEntry);
            });
            QTest::keyClick(Surnames(), Qt::Key_Right);
            Click(Control<QPushButton>(selection, "BitBtn1"));
        });
        SelectionForm->ShowModal();
        QCOMPARE(slotChosen, 2);
    }

    void methodGuideIsTheProgramElseTheDocumentBesideTheRoster()
    {
        QTemporaryDir scratch;
        const QString here = QDir::currentPath();
        const QString own = scratch.filePath("own"), machine = scratch.filePath("machine");
        QDir().mkpath(scratch.filePath("work"));
        QDir::setCurrent(scratch.filePath("work"));
        qputenv("NIRDAL_ROOT", own.toUtf8());
        qputenv("XDG_DATA_DIRS", machine.toUtf8());
        QDesktopServices::setUrlHandler("file", this, "openOnTheDesktop");
        m_opened.clear();
        const auto put = [](const QString& path) {
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        };
        auto* guide = Control<QToolButton>(SelectionForm, "SpeedButton2");

        Click(guide); // nothing anywhere: nothing is opened
        QCOMPARE(m_opened.size(), 0);
        put(machine + "/nirdal/metod/albom.html");
        Click(guide);
        put(own + "/metod/albom.pdf");
        Click(guide);
        put(scratch.filePath("work/metod/albom.exe"));
        Click(guide);
        QCOMPARE(m_opened, (QList<QUrl>{QUrl::fromLocalFile(machine + "/nirdal/metod/albom.html"),
                                        QUrl::fromLocalFile(own + "/metod/albom.pdf"),
                                        QUrl::fromLocalFile(scratch.filePath("work/metod/albom.exe"))}));
        QCOMPARE(int(ProgramAssignment().StudentSelection.Group), 1);

        QDesktopServices::unsetUrlHandler("file");
        QDir::setCurrent(here);
        qunsetenv("NIRDAL_ROOT");
        qunsetenv("XDG_DATA_DIRS");
    }

private:
    QList<QUrl> m_opened;
};

QTEST_MAIN(RosterScreensTest)
#include "roster_screens_test.moc"
