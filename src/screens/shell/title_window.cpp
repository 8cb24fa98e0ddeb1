// SPDX-License-Identifier: MIT
#include "screens/shell/title_window.h"

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

TitleWindow::TitleWindow(QWidget* parent) : CentredWindow(parent)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(kClientWidth, kClientHeight);
    SetBackground(this, look::kInfoBackground);
    SetTextColour(this, look::kBlue);

    Emblem = new QLabel(this);
    Emblem->setObjectName(QStringLiteral("Image1"));
    Emblem->setGeometry((kClientWidth - 81) / 2, 2, 81, 81);
    Emblem->setScaledContents(true);
    Emblem->setPixmap(LoadPicture(QStringLiteral(":/pictures/emblem.jpg")));

    const QFont font = look::DefaultFont();
    MinistryLine = AddCentredLine(this, "Label7", QStringLiteral("МИНИСТЕРСТВО ТРАНСПОРТА"), 88,
                                  font, look::kBlack);
    AgencyLine = AddCentredLine(
        this, "Label8", QStringLiteral("ФЕДЕРАЛЬНОЕ АГЕНТСТВО МОРСКОГО И РЕЧНОГО ТРАНСПОРТА"), 104,
        look::Font(font.pixelSize(), true), look::kNavy);
    InstitutionLine =
        AddCentredLine(this, "Label1", QStringLiteral("СЕВЕРНАЯ ГОСУДАРСТВЕННАЯ МОРСКАЯ АКАДЕМИЯ"),
                       120, font, look::kMenuHighlight);
    DepartmentLine =
        AddCentredLine(this, "Label2", QStringLiteral("Кафедра автоматики судовых установок"), 138,
                       look::Font(look::PointsToPixels(12)), look::kBlack);
    ContinueLabel = AddParagraph(this, "Label3", QStringLiteral("Далее"), 170, font, look::kBlue);
    ContinueLabel->setCursor(Qt::PointingHandCursor);
    PurposeLine = AddParagraph(
        this, "Label5",
        QStringLiteral(" Предназначена  курсантам  и студентам -заочникам по специальности   1403 "
                       "\" Эксплуатация  судовых  энергетических  установок\"  для выполнения "
                       "курсовой   работы  по  дисциплине \"Автоматизация судовых "
                       "вспомогательных   механизмов  и установок\"  "),
        250, look::Font(look::PointsToPixels(10)), look::kMaroon);
    CreditsLine = AddParagraph(this, "Label6",
                               QStringLiteral("Программа разработана на кафедре автоматики судовых "
                                              "установок преподавателями и студентами кафедры"),
                               348, look::Font(look::PointsToPixels(10)), look::kPurple);

    ContinueLabel->installEventFilter(new ClickFilter(ContinueLabel, [this] { Continue(); }));
}

void TitleWindow::FormActivate()
{
    CentredWindow::FormActivate();
    ContinueLabel->setText(QStringLiteral("ДАЛЕЕ"));
    PrepareContinueLabel();
}

void TitleWindow::keyPressEvent(QKeyEvent* event)
{
    // The keyboard's way on: Enter or Space does what a click on the paragraph does.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!event->isAutoRepeat())
            Continue();
        break;
    default:
        CentredWindow::keyPressEvent(event);
    }
}

void TitleWindow::Continue()
{
    hide();
    RunNext();
    Close();
}

} // namespace nirdal
