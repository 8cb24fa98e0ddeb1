// SPDX-License-Identifier: MIT
#pragma once

#include "screens/shell/form.h"

class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;

namespace nirdal {

/// The print settings window: the stored print gain with its two presets, and the stored
/// way of printing the assignment. Every change is stored at once.
class TPechNacForm : public Form
{
    Q_OBJECT

public:
    explicit TPechNacForm(QWidget* parent = nullptr);

    void Button1Click();
    void Button2Click();
    void Button5Click();
    void FormClick();
    void RadioGroup1Click();

protected:
    void FormActivate() override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    /// Shows the gain in force.
    void ShowGain();

    QFrame* Panel1;
    QLabel* Label2;
    QLabel* Label1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button5;
    QGroupBox* RadioGroup1;
    QButtonGroup* m_methods;
};

extern TPechNacForm* PechNacForm;

} // namespace nirdal
