#include "screens/response/nirdal_ras.h"

#include "screens/shell/controls.h"
#include "screens/shell/look.h"

namespace nirdal {

TNIRDAL_rasform* NIRDAL_rasform = nullptr;

// STAND-IN, see the header.
TNIRDAL_rasform::TNIRDAL_rasform(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("NIRDAL_rasform"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(525, 324);
    SetBackground(this, look::kSkyBlue);
    AddLabel(this, "StandInLabel",
             QStringLiteral("Расчёт частотных характеристик будет здесь (временная заглушка)"), 8,
             8);
    Button7 = AddButton(this, "Button7", QStringLiteral("Выход"), QRect(430, 40, 75, 25));
    connect(Button7, &QPushButton::clicked, this, &TNIRDAL_rasform::Button7Click);
}

void TNIRDAL_rasform::Button7Click()
{
    Close();
}

} // namespace nirdal
