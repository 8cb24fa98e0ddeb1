// SPDX-License-Identifier: MIT
// The screens with a fixed place, on the display this run was given (1024 × 768,
// 1366 × 768 or 1280 × 1024): each lies wholly on the display, at its designed place
// wherever it fits there.
#include "core/roster/roster.h"
#include "core/shell/shell_state.h"
#include "graph_support.h"
#include "screens/plot/graph.h"
#include "screens/roster/selection.h"
#include "screens/shell/road.h"
#include "screens/tf/coefficient_entry.h"
#include "screens/tf/variant_choice.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <map>

using namespace nirdal;
using namespace nirdal::testing;

namespace {

// Where each screen stands on each display, worked out by hand: variant choice is 120
// high at n = 1 and 389 at n = 15, m = 14 (340 + 49); coefficient entry 380 at n = 15,
// m = 0; the graph 450 high plus its frame from top 151 fits all three displays.
struct Places
{
    QPoint ChoiceSmall;
    QPoint ChoiceLarge;
};

const std::map<int, Places> kPlacesByDisplayHeight{
    {768, {QPoint(100, 768 - 120), QPoint(100, 768 - 389)}},
    {1024, {QPoint(100, 700), QPoint(100, 1024 - 389)}},
};

QRect FreeArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

void SetDegrees(int n, int m)
{
    CurrentTransferFunction(ProgramAssignment()).DenominatorDegree = static_cast<std::uint8_t>(n);
    CurrentTransferFunction(ProgramAssignment()).NumeratorDegree = static_cast<std::uint8_t>(m);
}

// Shows a screen, hands its outer rectangle and place to check, and closes it.
void OnScreen(Form* form, const QString& name, const std::function<void(QWidget*)>& check)
{
    bool ran = false;
    WhenShown(name, [&](QWidget* screen) {
        ran = true;
        check(screen);
        form->Close();
    });
    form->ShowModal();
    QVERIFY(ran);
}

} // namespace

class PlacementScreensTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ProgramRoster() = DefaultRoster();
        CreateScreens();
        const QSize size = FreeArea().size();
        qInfo("display %dx%d", size.width(), size.height());
        QVERIFY2(kPlacesByDisplayHeight.count(size.height()) == 1 && size.width() >= 1024,
                 "the run was given none of the displays worked out");
        m_places = kPlacesByDisplayHeight.at(size.height());
    }

    void cleanupTestCase() { DestroyForms(); }

    void init()
    {
        SetVariants({"1:1,1"});
        ProgramAssignment().Done = true;
    }

    void variantChoiceKeepsItsPlaceOrMovesUpJustEnough()
    {
        SetDegrees(1, 0);
        OnScreen(VariantChoiceForm, "NIRDAL_nastvarForm", [this](QWidget* screen) {
            QCOMPARE(screen->height(), 120);
            QCOMPARE(screen->pos(), m_places.ChoiceSmall);
            QVERIFY(FreeArea().contains(screen->frameGeometry()));
        });
        SetDegrees(15, 14);
        OnScreen(VariantChoiceForm, "NIRDAL_nastvarForm", [this](QWidget* screen) {
            QCOMPARE(screen->height(), 389);
            QCOMPARE(screen->pos(), m_places.ChoiceLarge);
            QVERIFY(FreeArea().contains(screen->frameGeometry()));
        });
    }

    void coefficientEntryKeepsItsPlace()
    {
        SetDegrees(15, 0);
        CreateForm(CoefficientEntryForm);
        OnScreen(CoefficientEntryForm, "NIRDAL_nastroikaForm", [](QWidget* screen) {
            QCOMPARE(screen->height(), 380);
            QCOMPARE(screen->pos(), QPoint(100, 100));
            QVERIFY(FreeArea().contains(screen->frameGeometry()));
        });
    }

    void graphKeepsTheLeftEdgeAndItsDesignedTop()
    {
        OnScreen(GraphForm, "NIRDAL_grafForm", [](QWidget* screen) {
            // The client area at its designed top, the frame at the screen's left edge.
            QCOMPARE(screen->geometry().top(), 151);
            QCOMPARE(screen->frameGeometry().left(), 0);
            QVERIFY(FreeArea().contains(screen->frameGeometry()));
        });
    }

    void selectionKeepsTheTopLeftCorner()
    {
        QCOMPARE(SelectionForm->pos(), QPoint(0, 0));
        QVERIFY(FreeArea().contains(SelectionForm->frameGeometry()));
    }

private:
    Places m_places;
};

QTEST_MAIN(PlacementScreensTest)
#include "placement_screens_test.moc"
