#pragma once

#include "screens/shell/form.h"

class QToolButton;

namespace nirdal {

// STAND-IN: the graph screen with its plot and printing comes with the plot screens. Until
// then this window carries only the commands that steer the assignment loop.
class TNIRDAL_grafForm : public Form
{
    Q_OBJECT

public:
    explicit TNIRDAL_grafForm(QWidget* parent = nullptr);

    void SpeedButton2Click();
    void Action4Execute();
    void Action5Execute();
    void Action6Execute();

private:
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton3;
    QToolButton* SpeedButton4;
    QToolButton* SpeedButton6;
};

extern TNIRDAL_grafForm* NIRDAL_grafForm;

} // namespace nirdal
