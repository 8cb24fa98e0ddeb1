// SPDX-License-Identifier: MIT
#pragma once

#include "screens/shell/centred_window.h"

class QLabel;

namespace nirdal {

/// The continue paragraph of both title screens.
QString ContinueText();

/// The title screen: emblem, the institution's lines, the purpose of the program as a
/// clickable paragraph and the credits. What the click leads to is the descendant's.
class TitleWindow : public CentredWindow
{
    Q_OBJECT

public:
    explicit TitleWindow(QWidget* parent = nullptr);

    void Continue();

protected:
    void FormActivate() override;
    void keyPressEvent(QKeyEvent* event) override;

    /// What follows a click on the continue label.
    virtual void RunNext() = 0;
    /// Prepares the continue label at every activation.
    virtual void PrepareContinueLabel() = 0;

    QLabel* Emblem;
    QLabel* MinistryLine;
    QLabel* AgencyLine;
    QLabel* InstitutionLine;
    QLabel* DepartmentLine;
    QLabel* ContinueLabel;
    QLabel* PurposeLine;
    QLabel* CreditsLine;
};

} // namespace nirdal
