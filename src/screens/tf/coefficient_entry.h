// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"
#include "screens/shell/form.h"

#include <QString>
#include <QVector>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace nirdal {

class ConversionError;
class StringGrid;

/// Coefficient entry: the stored coefficients and delay of the current variant beside
/// entry grids in which the student types new ones, highest power at the top.
class CoefficientEntryScreen : public Form
{
    Q_OBJECT

public:
    explicit CoefficientEntryScreen(QWidget* parent = nullptr);

    void Enter();
    void Reenter();
    void EndEntry();
    void Help();

    /// Fills the display grids, the caption and the delay box from the current variant.
    void ShowStoredCoefficients();

protected:
    void FormActivate() override;

private:
    bool EnterColumn(StringGrid* entry, StringGrid* display, QVector<QString>& written, int degree,
                     Extended* coefficients, char letter);
    /// Says which text was refused and why; the text stays in its place for correcting.
    void RefuseText(QWidget* place, const QString& name, const ConversionError& error);
    bool EnterDelay();
    /// Opens the cells for typing with "ввод" offered, or shuts them with the stored
    /// values shown and "повторный ввод" and "окончание  ввода" offered.
    void SetEntryOpen(bool open);

    QFrame* DenominatorPanel;
    QLabel* DenominatorHeading;
    StringGrid* DenominatorGrid;
    StringGrid* DenominatorEntryGrid;
    QFrame* NumeratorPanel;
    QLabel* NumeratorHeading;
    StringGrid* NumeratorGrid;
    StringGrid* NumeratorEntryGrid;
    QFrame* DelayPanel;
    QLabel* DelayHeading;
    QLineEdit* DelayEdit;
    QPushButton* EnterButton;
    QPushButton* ReenterButton;
    QPushButton* EndEntryButton;
    QLabel* VariantLabel;
    QToolButton* HelpButton;

    // The texts this screen last wrote into the entry cells and the delay box. A text the
    // student has not changed is not read again: neither the general text nor the
    // three-digit delay text reads back as the value it shows.
    QVector<QString> m_writtenDenominator;
    QVector<QString> m_writtenNumerator;
    QString m_writtenDelay;
};

extern CoefficientEntryScreen* CoefficientEntryForm;

} // namespace nirdal
