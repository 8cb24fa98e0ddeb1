#pragma once

#include "screens/shell/form.h"

class QPushButton;

namespace nirdal {

// STAND-IN: the computation screen with its sweep and values listing comes with the
// frequency response screens; until then this window only lets the road go on.
class TNIRDAL_rasform : public Form
{
    Q_OBJECT

public:
    explicit TNIRDAL_rasform(QWidget* parent = nullptr);

    void Button7Click();

private:
    QPushButton* Button7;
};

extern TNIRDAL_rasform* NIRDAL_rasform;

} // namespace nirdal
