// SPDX-License-Identifier: MIT
#pragma once

#include "screens/roster/selection_window.h"

namespace nirdal {

/// The group and surname selection of this program: a choice runs the assignment loop.
class SelectionScreen : public SelectionWindow
{
    Q_OBJECT

public:
    explicit SelectionScreen(QWidget* parent = nullptr);

protected:
    void RunAssignment() override;
    void SetHeading() override;
};

extern SelectionScreen* SelectionForm;

} // namespace nirdal
