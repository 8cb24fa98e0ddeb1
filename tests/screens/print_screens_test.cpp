// Printing from the graph screen on the system's default printer, as the student prints.
// Run by the suite with no printing system (the error box), and by the print server test,
// which starts a print server with a PDF printer as the default and checks what arrives.
#include "core/plot/print_page.h"
#include "core/shell/shell_state.h"
#include "graph_support.h"
#include "qtdraw/painter_surface.h"
#include "screens/plot/nirdal_graf.h"
#include "screens/shell/road.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>
#include <QToolButton>

using namespace nirdal;
using namespace nirdal::testing;

namespace {

// The page as the default printer was given it, written straight to a PDF file with the
// printer's paper, margins and resolution: what the print server should hand back.
void WriteReferencePage(const QString& file, PlotFields fields)
{
    const QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    QPrinter reference(QPrinter::HighResolution);
    reference.setOutputFormat(QPrinter::PdfFormat);
    reference.setOutputFileName(file);
    reference.setResolution(printer.resolution());
    reference.setPageLayout(printer.pageLayout());
    QPainter painter;
    QVERIFY(painter.begin(&reference));
    {
        PainterSurface page(painter);
        DrawPrintPage(page, fields, StudentSurname);
    }
    QVERIFY(painter.end());
}

} // namespace

class PrintScreensTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        CreateScreens();
        SetVariants({"1:1,1", "1:2,1"});
    }

    void cleanupTestCase() { DestroyForms(); }

    void printButtonPrintsOnTheDefaultPrinterOrShowsWhyNot()
    {
        const bool printerExpected = qEnvironmentVariableIsSet("NIRDAL_EXPECT_PRINTER");
        const bool hasPrinter = !QPrinterInfo::defaultPrinter().isNull();
        QCOMPARE(hasPrinter, printerExpected);

        QString boxText = QStringLiteral("not run");
        WhenShown("NIRDAL_grafForm", [&](QWidget* graph) {
            auto* print = Control<QToolButton>(graph, "SpeedButton1");
            const QImage before = NIRDAL_grafForm->Picture().copy();
            const PlotFields fields = NIRDAL_grafForm->Fields();
            boxText = MessageBoxAfter([print] { Click(print); });
            const QString reference = qEnvironmentVariable("NIRDAL_REFERENCE_PDF");
            if (!reference.isEmpty())
                WriteReferencePage(reference, fields);
            QCOMPARE(NIRDAL_grafForm->Picture(), before);
            if (!printerExpected) {
                // Nothing was drawn: the fields still hold the screen's values.
                QCOMPARE(NIRDAL_grafForm->Fields().YStretch, fields.YStretch);
                QCOMPARE(NIRDAL_grafForm->Fields().PixelsPerUnitY, fields.PixelsPerUnitY);
            }
            QVERIFY(graph->isVisible());
            Click(Control<QToolButton>(graph, "SpeedButton3"));
        });
        NIRDAL_grafForm->ShowModal();
        if (printerExpected)
            QVERIFY2(boxText.isNull(), qPrintable(boxText));
        else
            QCOMPARE(boxText,
                     QStringLiteral("Принтер по умолчанию не установлен: страница не напечатана."));
        QCOMPARE(int(VariantCount), 2);
    }
};

QTEST_MAIN(PrintScreensTest)
#include "print_screens_test.moc"
