// SPDX-License-Identifier: MIT
#include "screens/shell/etic.h"

#include "screens/shell/controls.h"
#include "screens/shell/look.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace nirdal {
namespace {

constexpr int kClientWidth = 494;
constexpr int kClientHeight = 442;

// A label that reports a left-button click anywhere on it.
class ClickFilter : public QObject
{
public:
    ClickFilter(QObject* parent, std::function<void()> onClick)
        : QObject(parent), m_onClick(std::move(onClick))
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonRelease)
            return false;
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        m_onClick();
        return true;
    }

private:
    std::function<void()> m_onClick;
};

QLabel* AddCentredLine(QWidget* parent, const char* name, const QString& text, int top,
                       const QFont& font, const QColor& colour)
{
    QLabel* label = AddLabel(parent, name, text, 0, top);
    label->setFont(font);
    SetTextColour(label, colour);
    label->adjustSize();
    label->move((kClientWidth - label->width()) / 2, top);
    return label;
}

QLabel* AddParagraph(QWidget* parent, const char* name, const QString& text, int top,
                     const QFont& font, const QColor& colour)
{
    QLabel* label = AddLabel(parent, name, text, 17, top);
    label->setFont(font);
    SetTextColour(label, colour);
    label->setWordWrap(true);
    label->setFixedWidth(460);
    FitHeight(label);
    return label;
}

} // namespace

QString ContinueText()
{
    return QStringLiteral(
        "   ПРОГРАММА ПРЕДНАЗНАЧЕНА ДЛЯ  ВЫЧИСЛЕНИЯ  ВЕЩЕСТВЕННОЙ И МНИМОЙ  ЧАСТОТНЫХ  "
        "ХАРАКТЕРИСТИК СИСТЕМЫ ПО ЕЕ ПЕРЕДАТОЧНОЙ ФУНКЦИИ   И ПОСТРОЕНИЯ ГРАФИКА  АФЧХ НА "
        "КОМПЛЕКСНОЙ ПЛОСКОСТИ  С ВЫВОДОМ НА ПРИНТЕР");
}

TETICForm::TETICForm(QWidget* parent) : TcentrForm(parent)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(kClientWidth, kClientHeight);
    SetBackground(this, look::kInfoBackground);
    SetTextColour(this, look::kBlue);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry((kClientWidth - 81) / 2, 2, 81, 81);
    Image1->setScaledContents(true);
    Image1->setPixmap(LoadPicture(QStringLiteral(":/pictures/emblem.jpg")));

    const QFont font = look::DefaultFont();
    Label7 = AddCentredLine(this, "Label7", QStringLiteral("МИНИСТЕРСТВО ТРАНСПОРТА"), 88, font,
                            look::kBlack);
    Label8 = AddCentredLine(this, "Label8",
                            QStringLiteral("ФЕДЕРАЛЬНОЕ АГЕНТСТВО МОРСКОГО И РЕЧНОГО ТРАНСПОРТА"),
                            104, look::Font(font.pixelSize(), true), look::kNavy);
    Label1 =
        AddCentredLine(this, "Label1", QStringLiteral("СЕВЕРНАЯ ГОСУДАРСТВЕННАЯ МОРСКАЯ АКАДЕМИЯ"),
                       120, font, look::kMenuHighlight);
    Label2 = AddCentredLine(this, "Label2", QStringLiteral("Кафедра автоматики судовых установок"),
                            138, look::Font(look::PointsToPixels(12)), look::kBlack);
    Label3 = AddParagraph(this, "Label3", QStringLiteral("Далее"), 170, font, look::kBlue);
    Label3->setCursor(Qt::PointingHandCursor);
    Label5 = AddParagraph(
        this, "Label5",
        QStringLiteral(" Предназначена  курсантам  и студентам -заочникам по специальности   1403 "
                       "\" Эксплуатация  судовых  энергетических  установок\"  для выполнения "
                       "курсовой   работы  по  дисциплине \"Автоматизация судовых "
                       "вспомогательных   механизмов  и установок\"  "),
        250, look::Font(look::PointsToPixels(10)), look::kMaroon);
    Label6 = AddParagraph(this, "Label6",
                          QStringLiteral("Программа разработана на кафедре автоматики судовых "
                                         "установок преподавателями и студентами кафедры"),
                          348, look::Font(look::PointsToPixels(10)), look::kPurple);

    Label3->installEventFilter(new ClickFilter(Label3, [this] { Label3Click(); }));
}

void TETICForm::FormActivate()
{
    TcentrForm::FormActivate();
    Label3->setText(QStringLiteral("ДАЛЕЕ"));
    PrepareContinueLabel();
}

void TETICForm::keyPressEvent(QKeyEvent* event)
{
    // The keyboard's way on: Enter or Space does what a click on the paragraph does.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!event->isAutoRepeat())
            Label3Click();
        break;
    default:
        TcentrForm::keyPressEvent(event);
    }
}

void TETICForm::Label3Click()
{
    hide();
    RunNext();
    Close();
}

} // namespace nirdal
