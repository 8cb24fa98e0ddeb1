// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"

#include <QString>

class QFrame;
class QWidget;

namespace nirdal {

class StringGrid;

/// " ВАРИАНТ  k из count": the current variant and the number of variants.
QString VariantCaption();

/// Lays out the panels of a coefficient screen for degrees n and m: DenominatorPanel and
/// NumeratorPanel as high as their grids need, DelayPanel right below NumeratorPanel, and the
/// window high enough for all three (at least 120 pixels).
void LayOutCoefficientPanels(QWidget* window, QFrame* denominatorPanel, QFrame* numeratorPanel,
                             QFrame* delayPanel, int n, int m);

/// Fills the degree + 1 rows of a display grid with the labels
/// and stored values of one polynomial, the highest power in row 0.
void ShowCoefficientColumn(StringGrid* display, const Extended* coefficients, int degree,
                           char letter);

/// The decimal separator of the user's locale, as one byte.
char LocaleDecimalSeparator();

} // namespace nirdal
