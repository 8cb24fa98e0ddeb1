// SPDX-License-Identifier: MIT
#pragma once

#include "screens/shell/form.h"

#include <QPolygon>
#include <QRegion>

namespace nirdal {

/// Whether the program's windows are shown by a Wayland compositor, yet not as Wayland
/// windows (through XWayland).
bool DrawnByWaylandCompositor();

/// The outline of a shaped window: a 200 × 100 rectangle with a triangle below it whose tip
/// is at (100, 150), in pixels from the window's top-left corner.
QPolygon PentagonOutline();

/// A window that centres itself and takes the pentagon's shape whenever it becomes active:
/// outside the pentagon it is neither drawn nor reached by the mouse.
class ShapedWindow : public Form
{
    Q_OBJECT

public:
    explicit ShapedWindow(QWidget* parent = nullptr);
    ~ShapedWindow() override;

protected:
    void FormActivate() override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// The pentagon, once the window has taken its shape.
    QRegion m_shape;
    /// The buttons pressed inside the shape and not yet released.
    Qt::MouseButtons m_heldInside;
};

} // namespace nirdal
