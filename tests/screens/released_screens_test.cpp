// SPDX-License-Identifier: MIT
// A lesson of several variants on a real X server: the coefficient and computation screens
// that each pass replaces keep their objects and what was done on them, but the X server
// no longer holds their windows' buffers, so what it holds for the program stays the same
// from pass to pass.
#include "core/response/response_computation.h"
#include "core/roster/roster.h"
#include "core/settings/print_settings.h"
#include "core/tf/transfer_function.h"
#include "platform/file_registry.h"
#include "screen_driver.h"
#include "screens/response/computation.h"
#include "screens/shell/form.h"
#include "screens/shell/road.h"
#include "screens/shell/title.h"
#include "screens/tf/coefficient_entry.h"
#include "support/temporary_root.h"

#include <QAbstractItemDelegate>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <xcb/res.h>

#include <cstdlib>
#include <memory>
#include <vector>

using namespace nirdal;
using namespace nirdal::testing;

namespace {

constexpr int kPasses = 6;
// The back buffers of one pass's two screens: the coefficient screen, 502 × 282 pixels,
// and the computation screen, 525 × 324 pixels, of 4 bytes each.
constexpr long kPassBufferBytes = 502L * 282 * 4 + 525L * 324 * 4;

// Bytes of the pixmaps the X server holds for this program (X-Resource extension); -1 when
// the server cannot say.
long ServerPixmapBytes(const QWidget* window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr)
        return -1;
    const auto* extension = xcb_get_extension_data(connection, &xcb_res_id);
    if (extension == nullptr || !extension->present)
        return -1;
    const auto cookie =
        xcb_res_query_client_pixmap_bytes(connection, static_cast<uint32_t>(window->winId()));
    std::unique_ptr<xcb_res_query_client_pixmap_bytes_reply_t, decltype(&std::free)> reply(
        xcb_res_query_client_pixmap_bytes_reply(connection, cookie, nullptr), &std::free);
    return reply ? long(reply->bytes) : -1;
}

// The X server's pixmap bytes for this program with the window painted: its own back
// buffer comes with its first paint, which on a loaded machine may come after it is shown.
long PaintedPixmapBytes(QWidget* window)
{
    if (!QTest::qWaitForWindowExposed(window))
        qWarning("the graph was not exposed in time: counted as it is");
    window->repaint();
    return ServerPixmapBytes(window);
}

// Resident memory shared with other processes (MIT-SHM window buffers among it), in bytes.
long SharedResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("RssShmem:"))
            return line.simplified().split(' ').value(1).toLong() * 1024;
    return -1;
}

struct PassRecord
{
    CoefficientEntryScreen* Coefficients = nullptr;
    ComputationScreen* Computation = nullptr;
    long PixmapBytes = -1;
    long SharedBytes = -1;
};

// One pass: W(s) = k/(s + 1) with k the pass's number; the graph asks for a new variant
// until there are kPasses.
void ExpectPass(int pass, std::vector<PassRecord>& records)
{
    WhenShown("NIRDAL_znachForm", [pass, &records](QWidget* degrees) {
        WhenShown("NIRDAL_nastroikaForm", [pass, &records](QWidget* coefficients) {
            if (pass == 1) {
                auto* denominator = Control<StringGrid>(coefficients, "SZ2");
                TypeIntoCell(denominator, 0, QStringLiteral("1"));
                TypeIntoCell(denominator, 1, QStringLiteral("1"));
            }
            TypeIntoCell(Control<StringGrid>(coefficients, "SC2"), 0, QString::number(pass));
            Click(Control<QPushButton>(coefficients, "Button1"));
            WhenShown("NIRDAL_rasform", [pass, &records](QWidget* computation) {
                WhenShown("NIRDAL_grafForm", [pass, &records](QWidget* graph) {
                    PassRecord record{CoefficientEntryForm, ComputationForm,
                                      PaintedPixmapBytes(graph), SharedResidentBytes()};
                    records.push_back(record);
                    if (pass < kPasses) {
                        ExpectPass(pass + 1, records);
                        Click(Control<QToolButton>(graph, "SpeedButton4"));
                    } else {
                        Click(Control<QToolButton>(graph, "SpeedButton3"));
                    }
                });
                auto* next = Control<QPushButton>(computation, "DD");
                while (next->isVisible())
                    Click(next);
                Click(Control<QPushButton>(computation, "Button6"));
            });
            Click(Control<QPushButton>(coefficients, "Button3"));
        });
        Click(Control<QToolButton>(degrees, "SpeedButton1"));
    });
}

} // namespace

class ReleasedScreensTest : public QObject
{
    Q_OBJECT

private slots:
    void replacedScreensKeepTheirObjectsButNotTheirWindows()
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            QSKIP("needs an X display (QT_QPA_PLATFORM=xcb)");
        QApplication::setQuitOnLastWindowClosed(false);
        test_support::TemporaryRoot root;
        InitialiseRoster(ProgramRoster(), root.Path());
        InitialiseSettings(ProgramAssignment().Print, std::make_shared<FileRegistry>(root.Path()));
        CreateScreens();
        ShowMainWindow();
        std::vector<PassRecord> records;
        WhenShown("NIRDAL_vibForm", [&records](QWidget* selection) {
            ExpectPass(1, records);
            ClickCell(Control<StringGrid>(selection, "StringGrid1"), 0, 0);
            Click(Control<QPushButton>(selection, "BitBtn1"));
        });
        auto* paragraph = TitleForm->findChild<QLabel*>(QStringLiteral("Label3"));
        QTimer::singleShot(0, [paragraph] { Click(paragraph); });
        QApplication::exec();

        QCOMPARE(int(records.size()), kPasses);
        for (int pass = 1; pass <= kPasses; ++pass) {
            const PassRecord& record = records[std::size_t(pass - 1)];
            // Each pass had screens of its own, and they are still there with its input and
            // its computation, finished with "финиш".
            if (pass > 1)
                QVERIFY(record.Coefficients != records[std::size_t(pass - 2)].Coefficients);
            QCOMPARE(Control<StringGrid>(record.Coefficients, "SC2")->Cell(0, 0),
                     QString::number(pass));
            QVERIFY(record.Computation->Computation() != nullptr);
            QVERIFY(record.Computation->Computation()->State() == ComputationState::Closed);
            // The grids keep no selection model or delegate besides the ones they use.
            for (auto* grid : record.Coefficients->findChildren<StringGrid*>()) {
                QCOMPARE(int(grid->findChildren<QAbstractItemDelegate*>(
                                 Qt::FindDirectChildrenOnly).size()),
                         1);
                for (QHeaderView* header : {grid->horizontalHeader(), grid->verticalHeader()}) {
                    QCOMPARE(header->selectionModel(), grid->selectionModel());
                    QVERIFY(header->findChildren<QItemSelectionModel*>().isEmpty());
                }
            }
            // Every computation screen shows the one icon drawn by the first.
            QCOMPARE(record.Computation->findChild<QLabel*>(QStringLiteral("Image1"))
                         ->pixmap()
                         .cacheKey(),
                     records.front()
                         .Computation->findChild<QLabel*>(QStringLiteral("Image1"))
                         ->pixmap()
                         .cacheKey());
            // Only the last pass's screens may still have a native window.
            if (pass < kPasses) {
                QVERIFY2(record.Coefficients->windowHandle() == nullptr,
                         qPrintable(QStringLiteral("coefficients of pass %1").arg(pass)));
                QVERIFY2(record.Computation->windowHandle() == nullptr,
                         qPrintable(QStringLiteral("computation of pass %1").arg(pass)));
            }
        }
        // From the second pass on, what the X server holds and the shared window buffers
        // grow by less than the buffers of one pass, over four passes that each made two new
        // screens (whether the latest pass's screens still had their buffers when counted
        // depends on how soon the server was asked).
        const PassRecord& second = records[1];
        const PassRecord& last = records.back();
        if (second.PixmapBytes >= 0 && last.PixmapBytes >= 0)
            QVERIFY2(last.PixmapBytes - second.PixmapBytes < kPassBufferBytes,
                     qPrintable(QStringLiteral("X server pixmaps: %1 bytes, then %2")
                                    .arg(second.PixmapBytes)
                                    .arg(last.PixmapBytes)));
        else
            qWarning("the X server has no X-Resource extension: its side not checked");
        QVERIFY(second.SharedBytes >= 0 && last.SharedBytes >= 0);
        QVERIFY2(last.SharedBytes - second.SharedBytes < kPassBufferBytes,
                 qPrintable(QStringLiteral("shared resident memory: %1 bytes, then %2")
                                .arg(second.SharedBytes)
                                .arg(last.SharedBytes)));
    }

    // Also after a failed check: the screens go before the application does.
    void cleanup()
    {
        DestroyForms();
        FinaliseSettings(ProgramAssignment().Print);
        ProgramAssignment().Print = {};
    }
};

QTEST_MAIN(ReleasedScreensTest)
#include "released_screens_test.moc"
