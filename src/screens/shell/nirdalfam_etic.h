// SPDX-License-Identifier: MIT
#pragma once

#include "screens/shell/etic.h"

namespace nirdal {

/// The main window: its continue paragraph opens the group and surname selection, and its
/// closing ends the program.
class TNirdalFam_ETICForm : public TETICForm
{
    Q_OBJECT

public:
    explicit TNirdalFam_ETICForm(QWidget* parent = nullptr);

protected:
    void RunNext() override;
    void PrepareContinueLabel() override;
};

extern TNirdalFam_ETICForm* NirdalFam_ETICForm;

} // namespace nirdal
