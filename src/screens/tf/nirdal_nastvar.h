// SPDX-License-Identifier: MIT
#pragma once

#include "screens/shell/form.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace nirdal {

class StringGrid;

/// Variant choice: browse the variants of this assignment with a spin box and pick one to
/// work on again.
class TNIRDAL_nastvarForm : public Form
{
    Q_OBJECT

public:
    explicit TNIRDAL_nastvarForm(QWidget* parent = nullptr);

    void SpinEdit1Change();
    void Button1Click();
    void SpeedButton1Click();

    /// Fills the screen from the current variant.
    void ShowChosenVariant();

protected:
    void FormActivate() override;

private:
    /// Widens the denominator panel to its longest caption and moves the rest along.
    void FitPanelsToTheirTexts();

    QFrame* PZ;
    QLabel* LZ;
    StringGrid* SZ1;
    QFrame* PC;
    QLabel* LC;
    StringGrid* SC1;
    QFrame* Panel1;
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QLabel* Label2;
    QToolButton* SpeedButton1;
    QSpinBox* SpinEdit1;
};

extern TNIRDAL_nastvarForm* NIRDAL_nastvarForm;

} // namespace nirdal
