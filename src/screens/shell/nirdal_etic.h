// SPDX-License-Identifier: MIT
#pragma once

#include "screens/shell/title_window.h"

class QFrame;
class QLineEdit;
class QPushButton;

namespace nirdal {

/// The surname screen: asks for the student's surname, then goes straight to the
/// assignment loop without the roster.
class TNIRDAL_ETICForm : public TitleWindow
{
    Q_OBJECT

public:
    explicit TNIRDAL_ETICForm(QWidget* parent = nullptr);

    void Button1Click();

protected:
    void RunNext() override;
    void PrepareContinueLabel() override;

private:
    QFrame* Panel1;
    QLineEdit* LabeledEdit1;
    QPushButton* Button1;
};

extern TNIRDAL_ETICForm* NIRDAL_ETICForm;

} // namespace nirdal
