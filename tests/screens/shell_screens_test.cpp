// SPDX-License-Identifier: MIT
#include "core/roster/roster.h"
#include "core/tf/transfer_function.h"
#include "screen_driver.h"
#include "screens/shell/centred_window.h"
#include "screens/shell/controls.h"
#include "screens/shell/display_platform.h"
#include "screens/shell/information.h"
#include "screens/shell/placement.h"
#include "screens/shell/road.h"
#include "screens/shell/shaped_window.h"
#include "screens/shell/title.h"
#include "screens/shell/title_window.h"
#include "screens/tf/degree_entry.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace nirdal;
using namespace nirdal::testing;

namespace {

// A centring window bigger than any screen the tests run on.
class WideForm : public CentredWindow
{
public:
    WideForm()
    {
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
        setFixedSize(4001, 3001);
    }
};

void StartOneVariant()
{
    ProgramAssignment().VariantCount = 1;
    PrepareVariantSlot(ProgramAssignment(), 1);
    ProgramAssignment().CurrentVariant = 1;
}

} // namespace

class ShellScreensTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ProgramRoster() = DefaultRoster();
        CreateScreens();
    }

    void cleanupTestCase() { DestroyForms(); }

    void centredPositionTruncatesTowardZero_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("title on 800x600") << QSize(800, 600) << QSize(494, 442) << QPoint(153, 79);
        QTest::newRow("odd remainder") << QSize(1024, 768) << QSize(493, 442) << QPoint(265, 163);
        QTest::newRow("one pixel too wide") << QSize(800, 600) << QSize(803, 601) << QPoint(-1, 0);
        QTest::newRow("information on 640x480")
            << QSize(640, 480) << QSize(792, 557) << QPoint(-76, -38);
    }

    void centredPositionTruncatesTowardZero()
    {
        QFETCH(QSize, screen);
        QFETCH(QSize, window);
        QFETCH(QPoint, expected);
        QCOMPARE(CentredPosition(screen, window), expected);
    }

    void fixedPlaceIsKeptWhereTheWindowFits_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("designed");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QPoint>("expected");
        // Variant choice at (100, 700), 397 wide, 120 high at n = 1 and 389 at n = 15.
        QTest::newRow("choice n 1 on 1280x1024")
            << QRect(0, 0, 1280, 1024) << QPoint(100, 700) << QSize(397, 120) << QPoint(100, 700);
        QTest::newRow("choice n 1 on 1366x768: 768 - 120")
            << QRect(0, 0, 1366, 768) << QPoint(100, 700) << QSize(397, 120) << QPoint(100, 648);
        QTest::newRow("choice n 15 on 1024x768: 768 - 389")
            << QRect(0, 0, 1024, 768) << QPoint(100, 700) << QSize(397, 389) << QPoint(100, 379);
        QTest::newRow("choice n 15 on 1920x1080: 1080 - 389")
            << QRect(0, 0, 1920, 1080) << QPoint(100, 700) << QSize(397, 389) << QPoint(100, 691);
        QTest::newRow("exactly fitting stays")
            << QRect(0, 0, 1024, 768) << QPoint(100, 379) << QSize(397, 389) << QPoint(100, 379);
        QTest::newRow("too wide: 640 - 600 = 40 left")
            << QRect(0, 0, 640, 480) << QPoint(100, 100) << QSize(600, 300) << QPoint(40, 100);
        QTest::newRow("panel of 32 at the top: 768 - 389")
            << QRect(0, 32, 1024, 736) << QPoint(100, 700) << QSize(397, 389) << QPoint(100, 379);
        QTest::newRow("top panel pushes a window at 0, 0 below it")
            << QRect(0, 27, 1366, 741) << QPoint(0, 0) << QSize(707, 328) << QPoint(0, 27);
        QTest::newRow("larger than the area: its top-left corner")
            << QRect(0, 0, 800, 600) << QPoint(0, 151) << QSize(900, 700) << QPoint(0, 0);
        QTest::newRow("second screen to the right")
            << QRect(1280, 0, 1024, 768) << QPoint(1380, 700) << QSize(397, 389)
            << QPoint(1380, 379);
    }

    void fixedPlaceIsKeptWhereTheWindowFits()
    {
        QFETCH(QRect, available);
        QFETCH(QPoint, designed);
        QFETCH(QSize, window);
        QFETCH(QPoint, expected);
        QCOMPARE(FittedPosition(available, designed, window), expected);
    }

    void waylandSessionRunsThroughXWayland()
    {
        QCOMPARE(QByteArray(ChosenPlatform("wayland-0", ":0", nullptr)), QByteArray("xcb"));
        // The user's own choice stands, even an empty one.
        QCOMPARE(ChosenPlatform("wayland-0", ":0", "wayland"), nullptr);
        QCOMPARE(ChosenPlatform("wayland-0", ":0", ""), nullptr);
        // An X session, or a Wayland one without XWayland, is left to Qt.
        QCOMPARE(ChosenPlatform(nullptr, ":0", nullptr), nullptr);
        QCOMPARE(ChosenPlatform("", ":0", nullptr), nullptr);
        QCOMPARE(ChosenPlatform("wayland-0", nullptr, nullptr), nullptr);
    }

    void windowLargerThanTheScreenIsNotClamped()
    {
        WideForm form;
        form.show();
        const QSize screen = QGuiApplication::primaryScreen()->size();
        QCOMPARE(form.pos(), CentredPosition(screen, QSize(4001, 3001)));
        QVERIFY(form.x() < 0 && form.y() < 0);
        form.Close();
    }

    void pentagonKeepsClicksOutOfTheCutParts()
    {
        StartOneVariant();
        bool checked = false;
        WhenShown("NIRDAL_znachForm", [&](QWidget* screen) {
            QCOMPARE(screen->mask(), QRegion(PentagonOutline(), Qt::WindingFill));
            for (QPoint inside : {QPoint(0, 0), QPoint(199, 99), QPoint(100, 148), QPoint(60, 120)})
                QVERIFY2(screen->mask().contains(inside), "inside point left out");
            for (QPoint outside : {QPoint(10, 110), QPoint(190, 110), QPoint(100, 152),
                                   QPoint(201, 50), QPoint(5, 170)})
                QVERIFY2(!screen->mask().contains(outside), "outside point taken in");

            // A control placed where the window is cut away gets no click.
            auto* help = Control<QToolButton>(screen, "SpeedButton2");
            const QPoint designed = help->pos();
            QSignalSpy clicks(help, &QToolButton::clicked);
            help->move(2, 150);
            Click(help);
            QCOMPARE(clicks.count(), 0);
            help->move(designed);

            // Inside the pentagon it works: the information screen comes and goes.
            WhenShown("NIRDAL_infForm", [](QWidget* information) {
                Click(Control<QToolButton>(information, "SpeedButton1"));
            });
            Click(help);
            QCOMPARE(clicks.count(), 1);
            QVERIFY(screen->isVisible());
            QCOMPARE(Control<QLabel>(screen, "SZL")->text(), QStringLiteral("1"));
            checked = true;
            DegreeEntryForm->Close();
        });
        DegreeEntryForm->ShowModal();
        QVERIFY(checked);
    }

    void pentagonUnderWaylandCompositorIsTransparentOutside()
    {
        // Through XWayland the compositor may show the window whole: the cut parts must be
        // drawn transparent, as the screen itself shows them, with no X shape.
        StartOneVariant();
        qputenv("WAYLAND_DISPLAY", "wayland-probe");
        DegreeEntryScreen* opaque = DegreeEntryForm;
        CreateForm(DegreeEntryForm);
        qunsetenv("WAYLAND_DISPLAY");
        bool checked = false;
        WhenShown("NIRDAL_znachForm", [&](QWidget* screen) {
            QVERIFY(screen->mask().isEmpty());
            const QImage drawn = screen->grab().toImage();
            for (QPoint inside : {QPoint(1, 1), QPoint(198, 98), QPoint(100, 147)})
                QCOMPARE(qAlpha(drawn.pixel(inside)), 255);
            for (QPoint outside : {QPoint(10, 112), QPoint(190, 112), QPoint(100, 153),
                                   QPoint(201, 50), QPoint(5, 175)})
                QCOMPARE(qAlpha(drawn.pixel(outside)), 0);
            checked = true;
            DegreeEntryForm->Close();
        });
        DegreeEntryForm->ShowModal();
        DegreeEntryForm = opaque;
        QVERIFY(checked);
    }

    void pressOnTheShapeEndsWithItsReleaseOutside()
    {
        StartOneVariant();
        CurrentTransferFunction(ProgramAssignment()).DenominatorDegree = 4;
        CurrentTransferFunction(ProgramAssignment()).NumeratorDegree = 3;
        bool checked = false;
        WhenShown("NIRDAL_znachForm", [&](QWidget* screen) {
            auto* m = Control<UpDown>(screen, "SC");
            auto* mLabel = Control<QLabel>(screen, "SCL");
            QSignalSpy releases(m, &UpDown::MouseUp);
            const QPoint upArrow(m->width() / 2, 4);
            QVERIFY(screen->mask().contains(m->mapTo(screen, upArrow)));
            // x = 201 lies right of the pentagon's 200-pixel rectangle, inside the window.
            const QPoint outside = m->mapFrom(screen, QPoint(201, m->mapTo(screen, upArrow).y()));
            QVERIFY(!screen->mask().contains(m->mapTo(screen, outside)));

            QTest::mousePress(m, Qt::LeftButton, {}, upArrow);
            QCOMPARE(m->Position(), 4);
            QCOMPARE(mLabel->text(), QStringLiteral("3")); // 4 is not below n = 4
            QTest::mouseMove(m, outside);
            QTest::mouseRelease(m, Qt::LeftButton, {}, outside);
            QCOMPARE(releases.count(), 1);
            QCOMPARE(mLabel->text(), QStringLiteral("3"));
            QCOMPARE(int(CurrentTransferFunction(ProgramAssignment()).NumeratorDegree), 3);
            QTest::qWait(1000); // the arrow repeats every 100 ms after 400 ms while held
            QCOMPARE(m->Position(), 4);

            // Held while the window hides, the arrow lets go.
            QTest::mousePress(m, Qt::LeftButton, {}, upArrow);
            screen->hide();
            QTest::qWait(700);
            QCOMPARE(m->Position(), 5);
            screen->show();
            QTest::mouseRelease(m, Qt::LeftButton, {}, upArrow);
            checked = true;
            DegreeEntryForm->Close();
        });
        DegreeEntryForm->ShowModal();
        QVERIFY(checked);
    }

    void informationScreenKeepsItsPlaceAndPicture()
    {
        QCOMPARE(InformationForm->x(), 1);
        QCOMPARE(InformationForm->size(), QSize(792, 557));
        auto* picture = Control<QLabel>(InformationForm, "Image1");
        QCOMPARE(picture->pixmap().size(), QSize(273, 193));
        auto* memo = Control<QPlainTextEdit>(InformationForm, "Memo1");
        QVERIFY(memo != nullptr);
        // The frequency and infinity read as symbols, not as the placeholder of a picture.
        const QString text = memo->toPlainText();
        QVERIFY(text.contains(QStringLiteral("при изменении частоты ω от нуля до ∞")));
        QVERIFY(!text.contains(QStringLiteral("<Picture>")));
        // It explains; typing changes nothing in it.
        QTest::keyClicks(memo, QStringLiteral("xyz"));
        QCOMPARE(memo->toPlainText(), text);
    }

    void escapeLeavesTheInformationScreen()
    {
        bool shown = false;
        WhenShown("NIRDAL_infForm", [&](QWidget* information) {
            shown = true;
            QTest::keyClick(Control<QPlainTextEdit>(information, "Memo1"), Qt::Key_Escape);
        });
        QTimer::singleShot(3000, [] { CloseAllModal(); }); // a screen that stays fails below
        QElapsedTimer clock;
        clock.start();
        InformationForm->ShowModal();
        QVERIFY(shown);
        QVERIFY(clock.elapsed() < 2500);
        QVERIFY(!InformationForm->isVisible());
    }

    void titleShowsTheEmblemAndTheContinueParagraph()
    {
        TitleForm->show();
        auto* emblem = Control<QLabel>(TitleForm, "Image1");
        QVERIFY(!emblem->pixmap().isNull());
        QCOMPARE(emblem->size(), QSize(81, 81));
        auto* paragraph = Control<QLabel>(TitleForm, "Label3");
        QCOMPARE(paragraph->text(), ContinueText());
        QCOMPARE(paragraph->text().size(), 202);
        QCOMPARE(paragraph->width(), 460);
        const QSize screen = QGuiApplication::primaryScreen()->size();
        QCOMPARE(TitleForm->pos(), CentredPosition(screen, QSize(493, 442)));
        TitleForm->hide();
    }

    void damagedPictureLeavesThePlaceEmpty()
    {
        QFile good(QStringLiteral(":/pictures/emblem.jpg"));
        QVERIFY(good.open(QIODevice::ReadOnly));
        const QByteArray bytes = good.readAll();
        QTemporaryDir folder;
        const QString damaged = folder.filePath(QStringLiteral("damaged.jpg"));
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes.left(bytes.size() / 3));
        file.close();
        QVERIFY(LoadPicture(damaged).isNull());
        QVERIFY(LoadPicture(QStringLiteral(":/pictures/missing.jpg")).isNull());
    }

    // Last: the main window closes for good.
    void closingTheSelectionEndsTheProgram()
    {
        ShowMainWindow();
        auto* paragraph = Control<QLabel>(TitleForm, "Label3");
        bool selectionCame = false;
        WhenShown("NIRDAL_vibForm", [&](QWidget* selection) {
            selectionCame = true;
            QVERIFY(!TitleForm->isVisible());
            Click(Control<QPushButton>(selection, "BitBtn1"));
        });
        // Anywhere on the paragraph continues, the last line as well as the first word.
        QTimer::singleShot(0, [paragraph] {
            Click(paragraph, QPoint(paragraph->width() / 2, paragraph->height() - 3));
        });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(selectionCame);
        QVERIFY(!TitleForm->isVisible());
    }
};

QTEST_MAIN(ShellScreensTest)
#include "shell_screens_test.moc"
