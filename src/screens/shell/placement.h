// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace nirdal {

/// Where a window designed to stand at `designed` goes on a screen whose free area (without
/// panels and docks) is `available`: at its designed point whenever the whole window fits
/// there, otherwise moved up and left (or down and right past a panel) just far enough to lie
/// inside. A window larger than the area keeps its top-left corner, where its controls
/// begin, in the area's top-left corner.
QPoint FittedPosition(const QRect& available, QPoint designed, QSize window);

/// Moves a window with a fixed designed place for its client area to its fitted position on
/// the screen under that place (the primary screen if none is there), by its outer size: the
/// client area stands at the designed place wherever the window with its frame fits there.
void PlaceOnScreen(QWidget* window, QPoint designed);

} // namespace nirdal
