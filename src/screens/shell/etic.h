// SPDX-License-Identifier: MIT
#pragma once

#include "screens/shell/centr.h"

class QLabel;

namespace nirdal {

/// The continue paragraph of both title screens.
QString ContinueText();

/// The title screen: emblem, the institution's lines, the purpose of the program as a
/// clickable paragraph and the credits. What the click leads to is the descendant's.
class TETICForm : public TcentrForm
{
    Q_OBJECT

public:
    explicit TETICForm(QWidget* parent = nullptr);

    void Label3Click();

protected:
    void FormActivate() override;
    void keyPressEvent(QKeyEvent* event) override;

    /// What follows a click on the continue label.
    virtual void RunNext() = 0;
    /// Prepares the continue label at every activation.
    virtual void PrepareContinueLabel() = 0;

    QLabel* Image1;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label5;
    QLabel* Label6;
};

} // namespace nirdal
