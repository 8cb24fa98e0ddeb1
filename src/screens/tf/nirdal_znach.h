// SPDX-License-Identifier: MIT
#pragma once

#include "screens/shell/kriv.h"

class QFrame;
class QLabel;
class QToolButton;

namespace nirdal {

class UpDown;

/// Degree entry: the degrees n of the denominator and m of the numerator of the current
/// variant. Its "Дальше" runs coefficient entry and the computation of the cycle.
class TNIRDAL_znachForm : public TFormkriv
{
    Q_OBJECT

public:
    explicit TNIRDAL_znachForm(QWidget* parent = nullptr);

    void SZMouseDown();
    void SZMouseUp();
    void SCMouseDown();
    void SCMouseUp();
    /// Sets the current variant's degrees to n and m, m cut below n, and shows them.
    void ActionList1Change(int n, int m);
    void SpeedButton1Click();
    void SpeedButton2Click();

protected:
    void FormActivate() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowDegrees();

    QFrame* PO;
    QLabel* LO1;
    QToolButton* SpeedButton1;
    QLabel* Label1;
    QLabel* SZL;
    UpDown* SZ;
    QLabel* Label2;
    QLabel* SCL;
    UpDown* SC;
    QToolButton* SpeedButton2;
};

extern TNIRDAL_znachForm* NIRDAL_znachForm;

} // namespace nirdal
