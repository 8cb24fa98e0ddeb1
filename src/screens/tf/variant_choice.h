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
class VariantChoiceScreen : public Form
{
    Q_OBJECT

public:
    explicit VariantChoiceScreen(QWidget* parent = nullptr);

    void VariantNumberChanged();
    void ChooseVariant();
    void Help();

    /// Fills the screen from the current variant.
    void ShowChosenVariant();

protected:
    void FormActivate() override;

private:
    /// Widens the denominator panel to its longest caption and moves the rest along.
    void FitPanelsToTheirTexts();
    /// The number in the spin box, kept within 1 … VariantCount.
    int ChosenNumber() const;

    QFrame* DenominatorPanel;
    QLabel* DenominatorHeading;
    StringGrid* DenominatorGrid;
    QFrame* NumeratorPanel;
    QLabel* NumeratorHeading;
    StringGrid* NumeratorGrid;
    QFrame* DelayPanel;
    QLabel* DelayHeading;
    QLineEdit* DelayEdit;
    QPushButton* NextButton;
    QLabel* VariantLabel;
    QToolButton* HelpButton;
    QSpinBox* VariantNumber;
};

extern VariantChoiceScreen* VariantChoiceForm;

} // namespace nirdal
