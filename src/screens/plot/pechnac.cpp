#include "screens/plot/pechnac.h"

namespace nirdal {

TPechNacForm* PechNacForm = nullptr;

// STAND-IN, see the header.
TPechNacForm::TPechNacForm(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("PechNacForm"));
}

} // namespace nirdal
