// SPDX-License-Identifier: MIT
// The screens wear their designed colours whatever the desktop's theme: run plain and under
// a dark GTK theme by tests/screens/desktop_look_test.sh, which also compares the pictures of
// both runs (written where NIRDAL_LOOK_DIR says) pixel for pixel.
#include "core/response/response_computation.h"
#include "core/tf/transfer_function.h"
#include "screen_driver.h"
#include "screens/plot/graph.h"
#include "screens/shell/controls.h"
#include "screens/shell/desktop.h"
#include "screens/shell/form.h"
#include "screens/shell/look.h"
#include "screens/tf/coefficient_entry.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QTest>

using namespace nirdal;
using namespace nirdal::testing;

namespace {

// The picture of a control as it is on the screen.
QImage Picture(QWidget* widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// How many pixels of the picture are near the colour, each channel within the tolerance.
int PixelsNear(const QImage& picture, const QColor& colour, int tolerance = 24)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            count += std::abs(pixel.red() - colour.red()) <= tolerance &&
                     std::abs(pixel.green() - colour.green()) <= tolerance &&
                     std::abs(pixel.blue() - colour.blue()) <= tolerance;
        }
    return count;
}

void SavePicture(const QImage& picture, const QString& name)
{
    const QString folder = qEnvironmentVariable("NIRDAL_LOOK_DIR");
    if (!folder.isEmpty())
        QVERIFY(picture.save(QDir(folder).filePath(name)));
}

} // namespace

class DesktopLookTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        SetUpDesktop(*qApp);
        PrepareVariantSlot(1);
        VariantCount = 1;
        CurrentVariant = 1;
        TransferFunction& variant = Variants[1];
        variant.DenominatorDegree = 3;
        variant.NumeratorDegree = 1;
        variant.A = {1, 3, 3, 1};
        variant.B = {2, 0.5L};
        variant.Delay = 0.25L;
    }

    void coefficientEntryKeepsItsDesignedColours()
    {
        CreateForm(CoefficientEntryForm);
        bool looked = false;
        WhenShown("NIRDAL_nastroikaForm", [&](QWidget* screen) {
            looked = true;
            // The keyboard's frame shows once the window is active: both runs grab it so.
            QVERIFY(QTest::qWaitForWindowActive(screen));
            // The fixed cells of the coefficient names: dark text on the button face.
            auto* names = Control<StringGrid>(screen, "SZ1");
            const QImage column =
                Picture(names).copy(names->visualRect(names->model()->index(0, 0)) |
                                    names->visualRect(names->model()->index(3, 0)));
            QVERIFY(PixelsNear(column, look::kButtonFace) > column.width() * column.height() / 2);
            QVERIFY2(PixelsNear(column, look::kWindowText, 100) > 20, "the A3 … A0 names show");
            // "ввод": dark text on a light button.
            const QImage enter = Picture(Control<QPushButton>(screen, "Button1"));
            QVERIFY(PixelsNear(enter, look::kWindowText, 100) > 20);
            QVERIFY(PixelsNear(enter, look::kButtonFace, 40) > enter.width() * enter.height() / 3);
            // The entry cells: white, as typing fields are.
            const QImage cells = Picture(Control<StringGrid>(screen, "SZ2"));
            QVERIFY(PixelsNear(cells, Qt::white, 8) > cells.width() * cells.height() / 2);
            SavePicture(Picture(screen), QStringLiteral("coefficients.png"));
            CoefficientEntryForm->Close();
        });
        CoefficientEntryForm->ShowModal();
        QVERIFY(looked);
    }

    void graphKeepsItsDesignedColours()
    {
        CreateForm(GraphForm);
        bool looked = false;
        WhenShown("NIRDAL_grafForm", [&](QWidget* screen) {
            looked = true;
            QVERIFY(QTest::qWaitForWindowActive(screen));
            const QImage picture = Picture(screen);
            // The menu-coloured ground and the purple texts of the design.
            QVERIFY(PixelsNear(picture, look::kMenu, 4) > picture.width() * picture.height() / 2);
            QVERIFY(PixelsNear(picture, look::kPurple, 40) > 50);
            SavePicture(picture, QStringLiteral("graph.png"));
            GraphForm->Close();
        });
        GraphForm->ShowModal();
        QVERIFY(looked);
    }
};

QTEST_MAIN(DesktopLookTest)
#include "desktop_look_test.moc"
