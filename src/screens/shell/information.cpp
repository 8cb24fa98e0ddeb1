// SPDX-License-Identifier: MIT
#include "screens/shell/information.h"

#include "screens/shell/controls.h"
#include "screens/shell/look.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QStringList>
#include <QToolButton>

namespace nirdal {
namespace {

QString ExplanatoryText()
{
    const QString indent(14, QChar(0x00A0)); // non-breaking: the heading keeps its indent
    const QStringList lines{
        indent + QStringLiteral("Анализ устойчивости линейных систем"),
        QStringLiteral("Система автоматического регулирования устойчива, если после окончания "
                       "переходного процесса,"),
        QStringLiteral("вызванного внешним воздействием, она приходит к новому установившемуся "
                       "состоянию."),
        QStringLiteral("Устойчивость линейной системы определяется корнями характеристического "
                       "уравнения (2.54)"),
        QStringLiteral("однородного дифференциального уравнения системы. Система неустойчива, "
                       "если хотя бы один"),
        QStringLiteral("корень характеристического уравнения имеет неотрицательную вещественную "
                       "часть."),
        QStringLiteral("Найти корни уравнения высокой степени практически трудно, поэтому об "
                       "устойчивости"),
        QStringLiteral("судят по критериям устойчивости, не вычисляя самих корней. Известны "
                       "алгебраический"),
        QStringLiteral("критерий Гурвица и частотные критерии Михайлова и Найквиста."),
        QStringLiteral("Здесь выбран критерий Найквиста. Замкнутую систему размыкают в каком-либо "
                       "сочленении"),
        QStringLiteral("и рассматривают получившуюся разомкнутую систему: её амплитудно-фазовую "
                       "частотную"),
        QStringLiteral("характеристику (АФЧХ)."),
        QStringLiteral("Критерий формулируется так. Если система в разомкнутом состоянии "
                       "устойчива и годограф"),
        QStringLiteral("АФЧХ разомкнутой системы при изменении частоты ω от нуля до ∞"),
        QStringLiteral("не охватывает точку с координатами (-1, j0), то замкнутая система "
                       "устойчива"),
        QStringLiteral("(кривая 1 на рисунке)."),
        QStringLiteral("Если же годограф охватывает точку (-1, j0), то замкнутая система "
                       "неустойчива"),
        QStringLiteral("(кривая 2 на рисунке)."),
        QStringLiteral("Годограф строят по комплексному коэффициенту передачи разомкнутой "
                       "системы, который"),
        QStringLiteral("получают из её передаточной функции W(s), заменив оператор s мнимой "
                       "частотой."),
        QStringLiteral("Вещественная часть комплексного коэффициента передачи - вещественная "
                       "частотная"),
        QStringLiteral("характеристика U, мнимая часть - мнимая частотная характеристика V."),
        QStringLiteral("Каждой частоте соответствует точка (U, jV) комплексной плоскости; при "
                       "изменении частоты"),
        QStringLiteral("эта точка описывает годограф, начинающийся на вещественной оси и "
                       "приходящий в начало"),
        QStringLiteral("координат."),
        QStringLiteral("На экране АФЧХ подсказка у кривой называет вариант и его точку. Правая "
                       "кнопка мыши на кривой или клавиша F3 (кнопка «Анализ варианта»)"),
        QStringLiteral("открывает анализ варианта: запасы устойчивости и переходную "
                       "характеристику при других K и запаздывании."),
    };
    return lines.join(QChar('\n'));
}

} // namespace

InformationScreen* InformationForm = nullptr;

InformationScreen::InformationScreen(QWidget* parent) : Form(parent)
{
    setObjectName(QStringLiteral("NIRDAL_infForm"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(792, 557);
    SetBackground(this, look::kSkyBlue);

    HeadingLine1 =
        AddLabel(this, "Label2",
                 QStringLiteral("ЧАСТОТНЫЕ  ХАРАКТЕРИСТИКИ   ВЫЧИСЛЯЮТСЯ ПО ПЕРЕДАТОЧНЫМ "), 8, 8);
    HeadingLine2 = AddLabel(this, "Label3", QStringLiteral("ФУНКЦИЯМ СИСТЕМ"), 8, 26);
    BackButton = AddSpeedButton(this, "SpeedButton1", Glyph::Back,
                                QRect(HeadingLine2->geometry().right() + 12, 20, 25, 25));
    NumeratorLine =
        AddLabel(this, "Label4", QStringLiteral("Bm*s^m+B(m-1)*s^(m-1)+...+B1*s+B0  "), 90, 80);
    FractionLine = AddLabel(
        this, "Label5",
        QStringLiteral(" W(s)=----------------------------------------------------------------"
                       "*exp(-T*s)      "),
        16, 96);
    DenominatorLine =
        AddLabel(this, "Label6", QStringLiteral("  An*s^n+A(n-1)*s^(n-1)+...+A1*s+A0"), 90, 112);

    Picture = new QLabel(this);
    Picture->setObjectName(QStringLiteral("Image1"));
    Picture->setGeometry(792 - 273 - 4, 4, 273, 193);
    Picture->setPixmap(LoadPicture(QStringLiteral(":/pictures/information.jpg")));

    Explanation = new QPlainTextEdit(this);
    Explanation->setObjectName(QStringLiteral("Memo1"));
    Explanation->setGeometry(3, 557 - 353 - 3, 785, 353);
    Explanation->setPlainText(ExplanatoryText());
    Explanation->setReadOnly(true); // it explains; nothing typed into it would be kept
    QPalette palette = Explanation->palette();
    palette.setColor(QPalette::Base, look::kOlive);
    palette.setColor(QPalette::Text, look::kWindowText);
    Explanation->setPalette(palette);

    connect(BackButton, &QToolButton::clicked, this, &InformationScreen::Back);
}

void InformationScreen::FormCreate()
{
    move(1, y());
}

void InformationScreen::Back()
{
    Close();
}

void InformationScreen::keyPressEvent(QKeyEvent* event)
{
    // Escape leaves, like the arrow button; every other key belongs to the text box.
    if (event->key() == Qt::Key_Escape)
        Back();
    else
        Form::keyPressEvent(event);
}

} // namespace nirdal
