// SPDX-License-Identifier: MIT
#include "screens/plot/pechnac.h"

#include "core/numtext/numtext.h"
#include "core/tf/assignment.h"
#include "platform/text_encoding.h"
#include "screens/shell/controls.h"
#include "screens/shell/look.h"
#include "screens/shell/road.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QMouseEvent>
#include <QRadioButton>

namespace nirdal {

TPechNacForm* PechNacForm = nullptr;

TPechNacForm::TPechNacForm(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("PechNacForm"));
    setWindowTitle(QStringLiteral("Настройка  усиления печати"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    setFont(look::Font(11));
    SetBackground(this, look::kButtonFace);
    setFixedSize(324, 224); // 332 × 258 with the frame and the title bar

    Panel1 = AddPanel(this, "Panel1", QRect(8, 8, 313, 81), look::kSkyBlue);
    Label2 = AddLabel(Panel1, "Label2", QStringLiteral("Настройка   принтеров"), 8, 4);
    Label1 = AddLabel(Panel1, "Label1", QString(), 160, 4);
    Label1->setFixedWidth(145);
    Button1 =
        AddButton(Panel1, "Button1", QStringLiteral("Матричные ----1"), QRect(8, 22, 145, 25));
    Button2 = AddButton(Panel1, "Button2", QStringLiteral("Лазерные      --  3"),
                        QRect(160, 22, 145, 25));
    Button5 = AddButton(Panel1, "Button5", QStringLiteral("готово"), QRect(112, 51, 89, 25));

    RadioGroup1 = new QGroupBox(QStringLiteral("Способы  ПЕЧАТИ задания"), this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(8, 104, 177, 105);
    m_methods = new QButtonGroup(this);
    const QString items[] = {QString(), QStringLiteral("ПО ТЕКСТУ"), QStringLiteral("WINWORD")};
    for (int index = 0; index < 3; ++index) {
        auto* item = new QRadioButton(items[index], RadioGroup1);
        item->setGeometry(10, 22 + 26 * index, 160, 22);
        m_methods->addButton(item, index);
    }

    connect(Button1, &QPushButton::clicked, this, &TPechNacForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TPechNacForm::Button2Click);
    connect(Button5, &QPushButton::clicked, this, &TPechNacForm::Button5Click);
    connect(m_methods, &QButtonGroup::idClicked, this, &TPechNacForm::RadioGroup1Click);
}

void TPechNacForm::FormActivate()
{
    ShowGain();
    const int method = GetPrintMethod(ProgramAssignment().Print);
    if (QAbstractButton* item = m_methods->button(method)) {
        item->setChecked(true);
    } else {
        // A stored method the window has no item for: none is selected.
        m_methods->setExclusive(false);
        for (QAbstractButton* other : m_methods->buttons())
            other->setChecked(false);
        m_methods->setExclusive(true);
    }
}

void TPechNacForm::ShowGain()
{
    Label1->setText(
        QString::fromStdString(Cp1251ToUtf8(RealText(GetPrintGain(ProgramAssignment().Print)))));
}

void TPechNacForm::Button1Click()
{
    SetPrintGain(ProgramAssignment().Print, 1.0L);
    ShowGain();
}

void TPechNacForm::Button2Click()
{
    SetPrintGain(ProgramAssignment().Print, 3.0L);
    ShowGain();
}

void TPechNacForm::Button5Click()
{
    Close();
}

void TPechNacForm::FormClick()
{
    ShowGain();
}

void TPechNacForm::RadioGroup1Click()
{
    SetPrintMethod(ProgramAssignment().Print, static_cast<std::uint16_t>(m_methods->checkedId()));
}

void TPechNacForm::mousePressEvent(QMouseEvent* event)
{
    Form::mousePressEvent(event);
    // Only the window's own background: a press on a panel or a control is not a click on it.
    if (event->button() == Qt::LeftButton && childAt(event->position().toPoint()) == nullptr)
        FormClick();
}

} // namespace nirdal
