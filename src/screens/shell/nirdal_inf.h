// SPDX-License-Identifier: MIT
#pragma once

#include "screens/shell/form.h"

class QLabel;
class QPlainTextEdit;
class QToolButton;

namespace nirdal {

/// The information screen: the transfer function's formula, a picture of two hodographs and
/// a text on the stability criterion. Opened modally by the "Вопрос" buttons.
class TNIRDAL_infForm : public Form
{
    Q_OBJECT

public:
    explicit TNIRDAL_infForm(QWidget* parent = nullptr);

    void SpeedButton1Click();

protected:
    void FormCreate() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QToolButton* SpeedButton1;
    QLabel* Image1;
    QPlainTextEdit* Memo1;
};

extern TNIRDAL_infForm* NIRDAL_infForm;

} // namespace nirdal
