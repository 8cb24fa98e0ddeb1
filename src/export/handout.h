// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace nirdal {

/// One student's slip of the handout.
struct HandoutSlip
{
    QString Group, Surname, Formula;
    QStringList Numerator;   ///< B_m … B_0 as typed
    QStringList Denominator; ///< A_n … A_0 as typed
    QString Delay;           ///< T in seconds as typed
};

/// Slips a sheet of the handout holds, one above the other, with cut lines between them.
constexpr int kSlipsPerSheet = 4;

/// The handout as PDF bytes: A4 sheets of kSlipsPerSheet slips, each with the group, the
/// surname, the task, W(s) and the coefficients and delay as the student types them.
QByteArray HandoutPdf(const QString& task, const std::vector<HandoutSlip>& slips);

} // namespace nirdal
