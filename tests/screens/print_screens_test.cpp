// SPDX-License-Identifier: MIT
// Printing from the graph screen on the system's default printer, as the student prints.
// Run by the suite with no printing system (the error box and its PDF instead), and by the
// print server test, which starts a print server with a PDF printer as the default and
// checks what arrives.
#include "core/plot/print_page.h"
#include "core/roster/roster.h"
#include "core/shell/shell_state.h"
#include "graph_support.h"
#include "screens/plot/graph.h"
#include "screens/shell/road.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace nirdal;
using namespace nirdal::testing;

namespace {

// Three variants, the largest of them with every coefficient and a delay: n = 15, m = 14.
const std::vector<const char*> kPrintedVariants{
    "1:1,3,3,1",
    "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15:"
    "1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,105,15,1:0.25",
    "3:1,3,3,1"};

// Every entry of every variant's summary line, a line each (UTF-8), for the print server
// test to look for on paper.
void WriteExpectedEntries(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    for (int i = 1; i <= ProgramAssignment().VariantCount; ++i) {
        for (const std::string& entry : VariantSummaryEntries(ProgramAssignment(), i))
            file.write(QByteArray::fromStdString(entry) + "\n");
    }
}

// The text of a PDF as poppler reads it; empty when it cannot.
QString PdfText(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(20000) || pdftotext.exitCode() != 0)
        return {};
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
}

} // namespace

class PrintScreensTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        CreateScreens();
        SetVariants(kPrintedVariants);
    }

    void cleanupTestCase()
    {
        GraphScreen::SetSavePathChooser({});
        DestroyForms();
    }

    // With a printer: one page at the matrix preset, then one at the laser preset.
    void printButtonPrintsOnTheDefaultPrinterOrShowsWhyNot()
    {
        const bool printerExpected = qEnvironmentVariableIsSet("NIRDAL_EXPECT_PRINTER");
        const bool hasPrinter = !QPrinterInfo::defaultPrinter().isNull();
        QCOMPARE(hasPrinter, printerExpected);
        const QString entries = qEnvironmentVariable("NIRDAL_EXPECTED_ENTRIES");
        if (!entries.isEmpty())
            WriteExpectedEntries(entries);

        QStringList boxTexts;
        WhenShown("NIRDAL_grafForm", [&](QWidget* graph) {
            auto* print = Control<QToolButton>(graph, "SpeedButton1");
            const QImage before = GraphForm->Picture().copy();
            for (const char* preset : {"Button6", "Button7"}) {
                Click(Control<QToolButton>(graph, "SpeedButton5"));
                Click(Control<QPushButton>(graph, preset));
                const PlotFields fields = GraphForm->Fields();
                boxTexts << MessageBoxAfter([print] { Click(print); });
                QCOMPARE(GraphForm->Picture(), before);
                if (!printerExpected) {
                    // Nothing was drawn: the fields still hold the screen's values.
                    QCOMPARE(GraphForm->Fields().YStretch, fields.YStretch);
                    QCOMPARE(GraphForm->Fields().PixelsPerUnitY, fields.PixelsPerUnitY);
                }
            }
            QVERIFY(graph->isVisible());
            Click(Control<QToolButton>(graph, "SpeedButton3"));
        });
        GraphForm->ShowModal();
        const QString missing =
            QStringLiteral("Принтер по умолчанию не установлен: страница не напечатана.");
        if (printerExpected)
            QCOMPARE(boxTexts, QStringList({QString(), QString()}));
        else
            QCOMPARE(boxTexts, QStringList({missing, missing}));
        QCOMPARE(int(ProgramAssignment().VariantCount), 3);
    }

    // Without a printer the error box offers the page as a PDF; cancelling writes nothing.
    void withoutPrinterThePageCanBeSavedAsPdf()
    {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this run has a printer");
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("страница"));
        QString suggested;
        QString chosen;
        GraphScreen::SetSavePathChooser([&](QWidget*, const QString& offered) {
            suggested = offered;
            return chosen;
        });

        // The student picked from the built-in roster: the first of group 251.
        ProgramRoster() = DefaultRoster();
        TakeStudentFromRoster(ProgramAssignment(), ProgramRoster(), 1, 1);
        const QString save = QString::fromUtf8("Сохранить в PDF…");
        WhenShown("NIRDAL_grafForm", [&](QWidget* graph) {
            auto* print = Control<QToolButton>(graph, "SpeedButton1");
            // The box ends by Escape and by its close box as by "OK"; one that stays is
            // ended after a while, and the test fails.
            for (const bool byEscape : {true, false}) {
                bool stayed = false;
                QTimer::singleShot(100, [byEscape] {
                    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                        if (byEscape)
                            QTest::keyClick(box, Qt::Key_Escape);
                        else
                            box->close();
                    }
                });
                QTimer::singleShot(2000, [&stayed] {
                    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                        stayed = true;
                        box->done(QMessageBox::Ok);
                    }
                });
                Click(print);
                QVERIFY(!stayed);
            }
            chosen.clear(); // cancelled
            MessageBoxAfter([print] { Click(print); }, save);
            QVERIFY(QDir(folder.path()).isEmpty());
            chosen = path; // the name without its extension
            MessageBoxAfter([print] { Click(print); }, save);
            Click(Control<QToolButton>(graph, "SpeedButton3"));
        });
        GraphForm->ShowModal();

        QVERIFY2(QFileInfo(suggested).fileName() ==
                     QStringLiteral("251-Абрамов-%1.pdf")
                         .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))),
                 qPrintable(suggested));
        QVERIFY(QFile::exists(path + QStringLiteral(".pdf")));
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is missing (scripts/setup.sh installs poppler-utils)");
        const QString text = PdfText(path + QStringLiteral(".pdf"));
        QVERIFY2(text.contains(QStringLiteral("АМПЛИТУДНО -ФАЗОВАЯ ЧАСТОТНАЯ ХАРАКТЕРИСТИКА")),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Абрамов А.В., группа 251")), qPrintable(text));
        for (int i = 1; i <= ProgramAssignment().VariantCount; ++i) {
            for (const std::string& entry : VariantSummaryEntries(ProgramAssignment(), i)) {
                const QString words = QString::fromStdString(entry).simplified();
                QVERIFY2(text.contains(words), qPrintable(words));
            }
        }
    }
};

QTEST_MAIN(PrintScreensTest)
#include "print_screens_test.moc"
