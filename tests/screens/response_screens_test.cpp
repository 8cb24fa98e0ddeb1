// SPDX-License-Identifier: MIT
#include "core/response/response_computation.h"
#include "qtdraw/image_surface.h"
#include "screens/shell/look.h"
#include "core/roster/roster.h"
#include "core/tf/tf_text.h"
#include "core/tf/transfer_function.h"
#include "platform/text_encoding.h"
#include "qtdraw/image_surface.h"
#include "screen_driver.h"
#include "screens/response/computation.h"
#include "screens/shell/look.h"
#include "screens/shell/road.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace nirdal;
using namespace nirdal::testing;

namespace {

using State = ComputationState;

// One variant read from NUM:DEN[:DELAY], its response slots filled with a marker point.
void StartVariant(const char* text)
{
    ProgramAssignment().Variants.assign(1, TransferFunction{});
    ProgramAssignment().VariantCount = 1;
    PrepareVariantSlot(ProgramAssignment(), 1);
    ProgramAssignment().CurrentVariant = 1;
    std::string error;
    QVERIFY2(ParseTransferFunctionText(text, CurrentTransferFunction(ProgramAssignment()), error),
             error.c_str());
    for (int k = 1; k <= kLastSlot; ++k)
        CurrentTransferFunction(ProgramAssignment()).ResponseArrays[k] = {-1, 7, 7};
}

// Runs steps on a fresh computation screen for the variant; the steps must close it.
void OnComputation(const char* variant, const std::function<void(ComputationScreen*)>& steps)
{
    StartVariant(variant);
    CreateForm(ComputationForm);
    bool ran = false;
    WhenShown("NIRDAL_rasform", [&](QWidget* screen) {
        ran = true;
        steps(ComputationForm);
        const bool open = screen->isVisible();
        if (open)
            ComputationForm->Close();
        QVERIFY2(!open, "the steps left the computation screen open");
    });
    ComputationForm->ShowModal();
    QVERIFY(ran);
}

QFrame* Panel(ComputationScreen* screen, const char* name)
{
    return Control<QFrame>(screen, name);
}

QPushButton* Button(ComputationScreen* screen, const char* name)
{
    return Control<QPushButton>(screen, name);
}

QString Caption(ComputationScreen* screen, const char* name)
{
    return Control<QLabel>(screen, name)->text();
}

// The panels of the screen that are showing, in their order.
QStringList ShownPanels(ComputationScreen* screen)
{
    QStringList shown;
    for (const char* name : {"Panel1", "Panel3", "Panel4", "Panel5"})
        if (Panel(screen, name)->isVisible())
            shown << QString::fromLatin1(name);
    return shown;
}

// Pixels of text ink (dark) in a part of a picture.
int Ink(const QImage& image, const QRect& part)
{
    int dark = 0;
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x)
            dark += qGray(image.pixel(x, y)) < 100;
    return dark;
}

const ResponseArrays& Store()
{
    return CurrentTransferFunction(ProgramAssignment()).ResponseArrays;
}

// Slots from..200 all hold the point before them.
bool FilledFrom(int from)
{
    for (int k = from; k <= kLastSlot; ++k)
        if (!(Store()[k] == Store()[from - 1]))
            return false;
    return true;
}

} // namespace

class ResponseScreensTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ProgramRoster() = DefaultRoster();
        CreateScreens();
    }

    void cleanupTestCase() { DestroyForms(); }

    void designedScreenShowsOnlyItsButtons()
    {
        ComputationScreen* screen = ComputationForm;
        QCOMPARE(screen->size(), QSize(525, 324));
        QCOMPARE(Panel(screen, "Panel1")->geometry(), QRect(8, 0, 281, 161));
        QCOMPARE(Panel(screen, "Panel3")->geometry(), QRect(8, 0, 225, 73));
        QCOMPARE(Panel(screen, "Panel4")->geometry(), QRect(8, 0, 265, 81));
        QCOMPARE(Caption(screen, "Label2"),
                 QStringLiteral("Начальная частота   не достигнута  за"));
        QCOMPARE(Button(screen, "Button1")->text(), QStringLiteral("продолжение расчетов"));
        QCOMPARE(Button(screen, "Button2")->text(), QStringLiteral("выход"));
        QCOMPARE(Caption(screen, "Label1"), QStringLiteral("Частотная   характеристика превысила"));
        QCOMPARE(Caption(screen, "Label6"), QStringLiteral("предельный модуль."));
        QCOMPARE(Caption(screen, "Label7"), QStringLiteral("Должно быть abs(U)  и abs(V)<10. "));
        QCOMPARE(Caption(screen, "Label8"), QStringLiteral(" Относительное расстояние между "));
        QCOMPARE(Caption(screen, "Label9"),
                 QStringLiteral("соседними точками  частотной характеристики  "));
        QCOMPARE(Caption(screen, "Label10"), QStringLiteral("меньше предельного 0.001"));
        for (const char* finish : {"Button5", "Button6", "Button8"})
            QCOMPARE(Button(screen, finish)->text(), QStringLiteral("финиш"));
        QCOMPARE(Button(screen, "DD")->text(), QStringLiteral("Далее"));
        QCOMPARE(Button(screen, "Button7")->text(), QStringLiteral("Выход"));
        // Right of the panels, and clear of the listing's first row.
        QVERIFY(Button(screen, "DD")->x() > 8 + 281);
        QVERIFY(Button(screen, "Button7")->geometry().bottom() < 40);
        QVERIFY(Button(screen, "Button7")->y() > Button(screen, "DD")->geometry().bottom());
        auto* icon = Control<QLabel>(screen, "Image1");
        QCOMPARE(icon->pixmap().size(), QSize(32, 32));
        QVERIFY(icon->pixmap().toImage().colorCount() <= 16);
        QCOMPARE(icon->geometry().topRight(), QPoint(524, 0));
        QVERIFY(screen->Computation() == nullptr); // nothing computes before it is shown
    }

    void sweepGoesPageByPageToTheConvergenceNotice()
    {
        OnComputation("1:1,1", [](ComputationScreen* screen) {
            const ResponseComputation& computation = *screen->Computation();
            QCOMPARE(computation.State(), State::PageFull);
            QCOMPARE(int(computation.Fields().NextSlot), 48);
            QCOMPARE(ShownPanels(screen), QStringList());
            QVERIFY(Button(screen, "DD")->isVisible());

            // The first page: headers on rows 4 and 5, lines down to row 29 in the first
            // column and to row 28 in the second.
            const QImage listing = screen->Listing().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(listing.size(), QSize(525, 324));
            QVERIFY(Ink(listing, QRect(10, 40, 200, 9)) > 50);
            QVERIFY(Ink(listing, QRect(260, 50, 200, 9)) > 50);
            QVERIFY(Ink(listing, QRect(10, 294, 150, 6)) > 0);
            QCOMPARE(Ink(listing, QRect(260, 296, 200, 26)), 0);

            // The header's first row keeps the descenders the second row would cover: what
            // it draws alone below y = 50 is there too.
            ImageSurface alone(listing.size(), 1, look::kSkyBlue, look::DefaultFont(),
                               look::kWindowText, false);
            alone.TextOut(10, 40, " частота  частотные характеристики ");
            const QImage top = alone.Image().convertToFormat(QImage::Format_RGB32);
            const QRect below(10, 50, 240, 10);
            QVERIFY(Ink(top, below) > 0);
            for (int y = below.top(); y <= below.bottom(); ++y)
                for (int x = below.left(); x <= below.right(); ++x)
                    if (qGray(top.pixel(x, y)) < 100)
                        QVERIFY2(qGray(listing.pixel(x, y)) < 100, qPrintable(QString("%1,%2").arg(x).arg(y)));

            Click(Button(screen, "DD"));
            QCOMPARE(computation.State(), State::Converged);
            QCOMPARE(int(computation.Fields().NextSlot), 57);
            // The second page's nine lines stand on a clean page: rows 7..15 of the first
            // column, nothing of the first page below them or in the second column.
            const QImage second = screen->Listing().convertToFormat(QImage::Format_RGB32);
            QVERIFY(Ink(second, QRect(10, 70, 150, 85)) > 0);
            QCOMPARE(Ink(second, QRect(10, 170, 250, 130)), 0);
            QCOMPARE(Ink(second, QRect(260, 70, 250, 230)), 0);
            QCOMPARE(ShownPanels(screen), QStringList{QStringLiteral("Panel4")});
            QVERIFY(!Button(screen, "DD")->isVisible());
            QVERIFY(Button(screen, "Button7")->isVisible());

            // Covered and shown again, the screen paints the listing it has drawn.
            screen->repaint();
            const QImage shown = screen->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const QRect belowPanels(0, 170, 525, 154);
            QCOMPARE(shown.copy(belowPanels),
                     screen->Listing().convertToFormat(QImage::Format_RGB32).copy(belowPanels));

            Click(Button(screen, "Button6"));
        });
        QVERIFY(FilledFrom(57));
        QVERIFY(Store()[56].Frequency > 0);
    }

    void modulusNoticeFinishesFromTheOffendingPoint()
    {
        OnComputation("1:1,1,1,1", [](ComputationScreen* screen) {
            QCOMPARE(screen->Computation()->State(), State::LimitExceeded);
            QCOMPARE(ShownPanels(screen), QStringList{QStringLiteral("Panel3")});
            QVERIFY(!Button(screen, "DD")->isVisible());
            Click(Button(screen, "Button5"));
        });
        QVERIFY(FilledFrom(17));
        QVERIFY(std::fabs(Store()[16].U) > 10 || std::fabs(Store()[16].V) > 10);
    }

    void fullStoreClosesTheScreenOnTheFifthPage()
    {
        OnComputation("1,0:1,1,1", [](ComputationScreen* screen) {
            for (int page = 2; page <= 5; ++page) {
                QVERIFY2(screen->isVisible(), "closed before the store was full");
                Click(Button(screen, "DD"));
            }
            QCOMPARE(screen->Computation()->State(), State::Full);
            QCOMPARE(screen->Computation()->PagesWritten(), 5);
        });
        QVERIFY(Store()[200].Frequency > 0);
        QVERIFY(Store()[200].Frequency < Store()[199].Frequency);
    }

    void startNotFoundShowsTheSearchAndContinuesIt()
    {
        OnComputation("1:1,3e6,1", [](ComputationScreen* screen) {
            QCOMPARE(screen->Computation()->State(), State::StartNotFound);
            QCOMPARE(ShownPanels(screen), QStringList{QStringLiteral("Panel1")});
            QCOMPARE(Caption(screen, "shags"), QStringLiteral("51 шагов"));
            QVERIFY(Caption(screen, "lfr")
                        .startsWith(QStringLiteral("Вычисления остановлены на частоте ")));
            QVERIFY(Caption(screen, "lu")
                        .startsWith(
                            QStringLiteral("при этом вещественная частотная характеристика ,u=")));
            QVERIFY(Caption(screen, "lv")
                        .startsWith(
                            QStringLiteral("               мнимая частотная характеристика ,v=")));
            QVERIFY(!Button(screen, "DD")->isVisible());

            Click(Button(screen, "Button1"));
            const ResponseComputation& computation = *screen->Computation();
            QVERIFY(computation.State() != State::StartNotFound);
            QVERIFY(!Panel(screen, "Panel1")->isVisible());
            QVERIFY(computation.SearchStepsTaken() > 51);
            QVERIFY(computation.Fields().NextSlot >= 4);
            Click(Button(screen, "Button7")); // "Выход" finishes from the last point
        });
        QVERIFY(Store()[3].Frequency > 0);
        const std::uint16_t next = ComputationForm->Computation()->Fields().NextSlot;
        QVERIFY(FilledFrom(next));
    }

    void leavingAnUnfoundStartWritesNoSlot_data()
    {
        QTest::addColumn<QString>("leave");
        QTest::newRow("выход on the notice") << QStringLiteral("Button2");
        QTest::newRow("Выход beside the listing") << QStringLiteral("Button7");
    }

    void leavingAnUnfoundStartWritesNoSlot()
    {
        QFETCH(QString, leave);
        OnComputation("1e-30:1,1", [&](ComputationScreen* screen) {
            Click(Button(screen, "Button1"));
            QCOMPARE(Caption(screen, "shags"), QStringLiteral("102 шагов"));
            QVERIFY(Panel(screen, "Panel1")->isVisible());
            Click(Button(screen, qPrintable(leave)));
        });
        // The search works in slots 1 and 2 only; the sweep's slots keep what they held.
        for (int k = 3; k <= kLastSlot; ++k)
            QVERIFY2(Store()[k] == (ResponsePoint{-1, 7, 7}), qPrintable(QString::number(k)));
        QCOMPARE(ComputationForm->Computation()->State(), State::Closed);
    }

    void faultIsNoticedOnItsPanelAndFinishLeaves()
    {
        OnComputation("1:0,1", [](ComputationScreen* screen) {
            QCOMPARE(screen->Computation()->State(), State::Fault);
            QCOMPARE(ShownPanels(screen), QStringList{QStringLiteral("Panel5")});
            QCOMPARE(Caption(screen, "Label11"), QStringLiteral("Старший коэффициент An или Bm"));
            QCOMPARE(Caption(screen, "Label12"), QStringLiteral("равен нулю."));
            QCOMPARE(Caption(screen, "Label13"),
                     QStringLiteral("Начальная частота не определена."));
            QVERIFY(!Button(screen, "DD")->isVisible());
            Click(Button(screen, "Button8"));
        });
        for (int k = 1; k <= kLastSlot; ++k)
            QVERIFY(Store()[k] == (ResponsePoint{-1, 7, 7}));
    }

    void everyCycleComputesOnAFreshScreen()
    {
        OnComputation("1:1,1", [](ComputationScreen* screen) { Click(Button(screen, "Button7")); });
        ComputationScreen* first = ComputationForm;
        OnComputation("1:1,1,1,1", [&](ComputationScreen* screen) {
            QVERIFY(screen != first);
            QCOMPARE(screen->Computation()->PagesWritten(), 1);
            QCOMPARE(ShownPanels(screen), QStringList{QStringLiteral("Panel3")});
            Click(Button(screen, "Button7"));
        });
    }
};

QTEST_MAIN(ResponseScreensTest)
#include "response_screens_test.moc"
