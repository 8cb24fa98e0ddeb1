// SPDX-License-Identifier: MIT
#include "screens/tf/coefficient_panels.h"
#include "screens/shell/road.h"

#include "core/numtext/numtext.h"
#include "core/tf/assignment.h"
#include "screens/shell/controls.h"

#include <QFrame>
#include <QLocale>

#include <algorithm>

namespace nirdal {

QString VariantCaption()
{
    return QStringLiteral(" ВАРИАНТ  ") + QString::number(ProgramAssignment().CurrentVariant) +
           QStringLiteral(" из ") + QString::number(ProgramAssignment().VariantCount);
}

void LayOutCoefficientPanels(QWidget* window, QFrame* denominatorPanel, QFrame* numeratorPanel,
                             QFrame* delayPanel, int n, int m)
{
    numeratorPanel->resize(numeratorPanel->width(), 20 * (m + 3));
    denominatorPanel->resize(denominatorPanel->width(), 20 * (n + 3));
    delayPanel->move(delayPanel->x(), numeratorPanel->height());
    const int height =
        std::max({denominatorPanel->height() + 20, 120, delayPanel->y() + delayPanel->height()});
    window->setFixedSize(window->width(), height);
}

void ShowCoefficientColumn(StringGrid* display, const Extended* coefficients, int degree,
                           char letter)
{
    for (int r = degree; r >= 0; --r) {
        const auto power = static_cast<std::uint8_t>(degree - r);
        display->SetCell(0, r, QString::fromStdString(CoefficientLabel(power, letter)));
        display->SetCell(1, r, QString::fromStdString(RealText(coefficients[power])));
    }
}

char LocaleDecimalSeparator()
{
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 128)
        return static_cast<char>(point.at(0).unicode());
    return '.';
}

} // namespace nirdal
