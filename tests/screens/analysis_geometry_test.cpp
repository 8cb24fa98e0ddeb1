// SPDX-License-Identifier: MIT
// The analysis window whole on the screen it opens on, whatever the display's size and scale
// (QT_SCALE_FACTOR, set by analysis_geometry_test.sh for each run): the window within the
// screen's free area, every control and figure shown in full, and no picture left blank.
#include "screen_driver.h"
#include "screens/plot/analysis_window.h"
#include "core/tf/tf_text.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QTest>

using namespace nirdal;
using namespace nirdal::testing;

namespace {

// Pixels of a picture that are not the white of its ground, away from its frame and title.
int InkedPixels(const QImage& image, const DeviceRect& frame, qreal ratio)
{
    const QRect inner = QRect(frame.Left, frame.Top + frame.Height / 4, frame.Width,
                              frame.Height * 3 / 4)
                            .adjusted(8, 0, -8, -8);
    int inked = 0;
    for (int y = int(inner.top() * ratio); y < int(inner.bottom() * ratio); ++y)
        for (int x = int(inner.left() * ratio); x < int(inner.right() * ratio); ++x)
            inked += image.pixel(x, y) != qRgb(255, 255, 255);
    return inked;
}

} // namespace

class AnalysisGeometryTest : public QObject
{
    Q_OBJECT

private slots:
    void TheWindowIsWholeOnTheScreen()
    {
        TransferFunction variant;
        std::string error;
        QVERIFY(ParseTransferFunctionText("2:1,3,3,1:1", variant, error));
        AnalysisWindow window(variant, 1);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* canvas = qobject_cast<ExplorationCanvas*>(Control<QWidget>(&window, "Pictures"));
        QVERIFY(canvas);
        QTRY_VERIFY_WITH_TIMEOUT(!canvas->MapBox().isEmpty() && !window.StepPending(), 20000);
        QTest::qWait(300); // the window manager's frame settles
        const QString where = QStringLiteral("%1 at %2")
                                  .arg(window.screen()->size().width())
                                  .arg(window.devicePixelRatioF());

        const QRect free = window.screen()->availableGeometry();
        QVERIFY2(free.contains(window.frameGeometry()),
                 qPrintable(where + QStringLiteral(": window %1,%2 %3×%4 beyond %5×%6")
                                        .arg(window.frameGeometry().x())
                                        .arg(window.frameGeometry().y())
                                        .arg(window.frameGeometry().width())
                                        .arg(window.frameGeometry().height())
                                        .arg(free.width())
                                        .arg(free.height())));
        // Every control and figure inside the window, none hidden under another or cut.
        QList<QWidget*> shown;
        for (const char* name : {"GainSlider", "GainField", "DelaySlider", "DelayField",
                                 "SaveButton", "Verdict", "Figure1", "Figure2", "Figure3",
                                 "Figure4", "Figure5", "Figure6", "PictureArea"})
            shown << Control<QWidget>(&window, name);
        for (QWidget* control : shown) {
            QVERIFY(control);
            const QString name = where + QStringLiteral(": ") + control->objectName();
            QVERIFY2(control->isVisible(), qPrintable(name));
            const QRect inWindow(control->mapTo(&window, QPoint(0, 0)), control->size());
            QVERIFY2(window.rect().contains(inWindow), qPrintable(name + QStringLiteral(" outside")));
            // (The picture area's own region is what its scrolled pictures leave over.)
            QVERIFY2(qobject_cast<QScrollArea*>(control) ||
                         control->visibleRegion().boundingRect() == control->rect(),
                     qPrintable(name + QStringLiteral(" partly hidden")));
            QVERIFY2(control->width() >= control->minimumSizeHint().width() &&
                         control->height() >= control->minimumSizeHint().height(),
                     qPrintable(name + QStringLiteral(" squeezed")));
            if (auto* label = qobject_cast<QLabel*>(control))
                QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                         qPrintable(name + QStringLiteral(" cut: ") + label->text()));
        }
        // No picture blank: each holds its curves, grid or map beyond its frame and title.
        const QImage drawn = canvas->grab().toImage();
        const qreal ratio = drawn.devicePixelRatio();
        const ExplorationLayout layout = canvas->Layout();
        for (const auto& [frame, name] : {std::pair{layout.Hodograph, "hodograph"},
                                          std::pair{layout.Step, "step response"},
                                          std::pair{layout.Logarithmic, "logarithmic"},
                                          std::pair{layout.Map, "map"}})
            QVERIFY2(InkedPixels(drawn, frame, ratio) > 400,
                     qPrintable(where + QStringLiteral(": the %1 picture is blank").arg(name)));
    }
};

QTEST_MAIN(AnalysisGeometryTest)
#include "analysis_geometry_test.moc"
