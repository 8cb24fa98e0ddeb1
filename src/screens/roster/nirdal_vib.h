// SPDX-License-Identifier: MIT
#pragma once

#include "screens/roster/vibor.h"

namespace nirdal {

/// The group and surname selection of this program: a choice runs the assignment loop.
class TNIRDAL_vibForm : public TviborForm
{
    Q_OBJECT

public:
    explicit TNIRDAL_vibForm(QWidget* parent = nullptr);

protected:
    void RunAssignment() override;
    void ScanRoster() override;
    void SetHeading() override;
};

extern TNIRDAL_vibForm* NIRDAL_vibForm;

} // namespace nirdal
