#pragma once

#include "screens/shell/form.h"

namespace nirdal {

// STAND-IN: the print settings window comes with the plot screens; the road only creates it.
class TPechNacForm : public Form
{
    Q_OBJECT

public:
    explicit TPechNacForm(QWidget* parent = nullptr);
};

extern TPechNacForm* PechNacForm;

} // namespace nirdal
