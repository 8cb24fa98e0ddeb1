// SPDX-License-Identifier: MIT
#pragma once

#include "screens/shell/form.h"

class QLabel;
class QPlainTextEdit;
class QToolButton;

namespace nirdal {

/// The information screen: the transfer function's formula, a picture of two hodographs and
/// a text on the stability criterion. Opened modally by the "Вопрос" buttons.
class InformationScreen : public Form
{
    Q_OBJECT

public:
    explicit InformationScreen(QWidget* parent = nullptr);

    void Back();

protected:
    void FormCreate() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* HeadingLine1;
    QLabel* HeadingLine2;
    QLabel* NumeratorLine;
    QLabel* FractionLine;
    QLabel* DenominatorLine;
    QToolButton* BackButton;
    QLabel* Picture;
    QPlainTextEdit* Explanation;
};

extern InformationScreen* InformationForm;

} // namespace nirdal
