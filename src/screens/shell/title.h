// SPDX-License-Identifier: MIT
#pragma once

#include "screens/shell/title_window.h"

namespace nirdal {

/// The main window: its continue paragraph opens the group and surname selection, and its
/// closing ends the program.
class TitleScreen : public TitleWindow
{
    Q_OBJECT

public:
    explicit TitleScreen(QWidget* parent = nullptr);

protected:
    void RunNext() override;
    void PrepareContinueLabel() override;
};

extern TitleScreen* TitleForm;

} // namespace nirdal
