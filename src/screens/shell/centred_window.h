// SPDX-License-Identifier: MIT
#pragma once

#include "screens/shell/form.h"

#include <QPoint>
#include <QSize>

namespace nirdal {

/// Where a window of the given outer size stands centred on a screen: both halves
/// truncated toward zero, so a window larger than the screen gets a negative place.
QPoint CentredPosition(QSize screen, QSize window);

/// Centres a window on the primary screen by its outer size, without clamping.
void CentreOnScreen(QWidget* window);

/// A window that centres itself on the screen whenever it becomes active.
class CentredWindow : public Form
{
    Q_OBJECT

public:
    explicit CentredWindow(QWidget* parent = nullptr);

protected:
    void FormActivate() override;
};

} // namespace nirdal
