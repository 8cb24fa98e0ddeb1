// SPDX-License-Identifier: MIT
#pragma once

#include "screens/shell/shaped_window.h"

class QFrame;
class QLabel;
class QToolButton;

namespace nirdal {

class UpDown;

/// Degree entry: the degrees n of the denominator and m of the numerator of the current
/// variant. Its "Дальше" runs coefficient entry and the computation of the cycle.
class DegreeEntryScreen : public ShapedWindow
{
    Q_OBJECT

public:
    explicit DegreeEntryScreen(QWidget* parent = nullptr);

    void DenominatorPressed();
    void DenominatorReleased();
    void NumeratorPressed();
    void NumeratorReleased();
    void StoreDegrees();
    void Next();
    void Help();

protected:
    void FormActivate() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QFrame* DegreePanel;
    QLabel* DegreeHeading;
    QToolButton* NextButton;
    QLabel* DenominatorCaption;
    QLabel* DenominatorDegreeLabel;
    UpDown* DenominatorUpDown;
    QLabel* NumeratorCaption;
    QLabel* NumeratorDegreeLabel;
    UpDown* NumeratorUpDown;
    QToolButton* HelpButton;
};

extern DegreeEntryScreen* DegreeEntryForm;

} // namespace nirdal
