#include "screens/plot/nirdal_graf.h"

#include "core/shell/shell_state.h"
#include "core/tf/transfer_function.h"
#include "screens/shell/controls.h"
#include "screens/shell/look.h"
#include "screens/shell/nirdal_inf.h"
#include "screens/tf/nirdal_nastvar.h"

#include <QToolButton>

namespace nirdal {

TNIRDAL_grafForm* NIRDAL_grafForm = nullptr;

// STAND-IN, see the header.
TNIRDAL_grafForm::TNIRDAL_grafForm(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("NIRDAL_grafForm"));
    setWindowTitle(QStringLiteral("NIRDAL_grafForm"));
    setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint);
    setFixedSize(736, 382);
    move(191, 151);
    SetBackground(this, look::kMenu);
    AddLabel(this, "StandInLabel", QStringLiteral("Здесь будет годограф (временная заглушка)"), 20,
             20);
    SpeedButton2 = AddSpeedButton(this, "SpeedButton2", Glyph::Question, QRect(672, 0, 23, 22),
                                  QStringLiteral("Вопрос"));
    SpeedButton3 = AddSpeedButton(this, "SpeedButton3", Glyph::Finish, QRect(672, 72, 23, 22),
                                  QStringLiteral("Финиш"));
    SpeedButton4 = AddSpeedButton(this, "SpeedButton4", Glyph::Play, QRect(672, 96, 23, 22),
                                  QStringLiteral("Новый вариант"));
    SpeedButton6 = AddSpeedButton(this, "SpeedButton6", Glyph::Sheets, QRect(672, 120, 23, 22),
                                  QStringLiteral("Изменение варианта"));
    connect(SpeedButton2, &QToolButton::clicked, this, &TNIRDAL_grafForm::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TNIRDAL_grafForm::Action4Execute);
    connect(SpeedButton4, &QToolButton::clicked, this, &TNIRDAL_grafForm::Action5Execute);
    connect(SpeedButton6, &QToolButton::clicked, this, &TNIRDAL_grafForm::Action6Execute);
}

void TNIRDAL_grafForm::SpeedButton2Click()
{
    NIRDAL_infForm->ShowModal();
}

void TNIRDAL_grafForm::Action4Execute()
{
    AssignmentDone = true;
    Close();
}

void TNIRDAL_grafForm::Action5Execute()
{
    if (VariantCount == kMaxVariants)
        return; // the counter is one byte: no room for another variant
    AssignmentDone = false;
    ++VariantCount;
    PrepareVariantSlot(VariantCount);
    CurrentVariant = VariantCount;
    Variants[VariantCount] = Variants[VariantCount - 1];
    Close();
}

void TNIRDAL_grafForm::Action6Execute()
{
    NIRDAL_nastvarForm->ShowModal();
    Close();
}

} // namespace nirdal
