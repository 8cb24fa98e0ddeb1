// SPDX-License-Identifier: MIT
#include "screens/shell/controls.h"

#include "core/shell/jpeg_picture.h"
#include "screens/shell/look.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QHelpEvent>
#include <QIcon>
#include <QImage>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>

namespace nirdal {
namespace {

constexpr int kGridLine = 1;
constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 100;

// Editing a cell writes every keystroke into the cell at once, as the designed grids did,
// so a command pressed while the editor is open reads what the student sees.
class ImmediateDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setFrame(false);
            connect(line, &QLineEdit::textEdited, this,
                    [this, line] { emit const_cast<ImmediateDelegate*>(this)->commitData(line); });
        }
        return editor;
    }
};

// A button that Enter presses as well as Space, once it has the keyboard, and only then: no
// screen has a default button that Enter would press from anywhere.
template <class Button> class EnterPressed : public Button
{
public:
    using Button::Button;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (IsEnterPress(event))
            this->click();
        else
            Button::keyPressEvent(event);
    }
};

// A glyph button that shows when it has the keyboard, so that Enter is not pressed on it
// unawares: a frame of the highlight colour, drawn here since the style shows its focus
// frame only once Tab has been pressed.
class SpeedButton : public EnterPressed<QToolButton>
{
public:
    using EnterPressed<QToolButton>::EnterPressed;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QToolButton::paintEvent(event);
        if (!hasFocus())
            return;
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
};
using PushButton = EnterPressed<QPushButton>;

QPixmap DrawGlyph(Glyph glyph)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
    case Glyph::Forward:
    case Glyph::Back: {
        QPolygonF arrow{{1, 6}, {9, 6}, {9, 2}, {15, 8}, {9, 14}, {9, 10}, {1, 10}};
        if (glyph == Glyph::Back)
            arrow = QTransform(-1, 0, 0, 1, 16, 0).map(arrow);
        painter.setPen(QPen(look::kGreen.darker(150), 1));
        painter.setBrush(look::kGreen);
        painter.drawPolygon(arrow);
        break;
    }
    case Glyph::Question: {
        painter.setPen(QPen(Qt::darkYellow, 1));
        painter.setBrush(look::kYellow);
        painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
        QFont font = look::Font(13, true);
        painter.setFont(font);
        painter.setPen(Qt::red);
        painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case Glyph::Finish:
        painter.setPen(QPen(Qt::darkRed, 1));
        painter.setBrush(Qt::red);
        painter.drawRect(QRectF(2.5, 2.5, 11, 11));
        break;
    case Glyph::Play:
        painter.setPen(QPen(look::kGreen.darker(150), 1));
        painter.setBrush(look::kGreen);
        painter.drawPolygon(QPolygonF{{4, 2}, {14, 8}, {4, 14}});
        break;
    case Glyph::Sheets:
        painter.setPen(Qt::black);
        painter.setBrush(Qt::white);
        for (int k = 2; k >= 0; --k)
            painter.drawRect(QRectF(2.5 + k * 2, 1.5 + k * 2, 8, 9));
        painter.setBrush(Qt::darkGray);
        painter.drawRect(QRectF(0.5, 11.5, 15, 4));
        break;
    case Glyph::Printer:
        painter.setPen(Qt::black);
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(4.5, 0.5, 7, 6));
        painter.setBrush(Qt::lightGray);
        painter.drawRect(QRectF(0.5, 6.5, 15, 6));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(3.5, 10.5, 9, 5));
        break;
    case Glyph::Computer:
        painter.setPen(Qt::black);
        painter.setBrush(Qt::lightGray);
        painter.drawRect(QRectF(1.5, 0.5, 13, 10));
        painter.setBrush(QColor(0, 128, 128));
        painter.drawRect(QRectF(3.5, 2.5, 9, 6));
        painter.setBrush(Qt::lightGray);
        painter.drawRect(QRectF(0.5, 12.5, 15, 3));
        break;
    case Glyph::Hodograph: {
        painter.setPen(Qt::black);
        painter.drawLine(QPointF(0.5, 8.5), QPointF(15.5, 8.5));
        painter.drawLine(QPointF(8.5, 0.5), QPointF(8.5, 15.5));
        QPainterPath curve(QPointF(14, 8.5));
        curve.cubicTo(QPointF(14, 15), QPointF(4, 15), QPointF(3, 9));
        curve.cubicTo(QPointF(3, 4), QPointF(8, 4), QPointF(8.5, 8.5));
        painter.setPen(QPen(Qt::darkRed, 1.5));
        painter.drawPath(curve);
        break;
    }
    }
    return pixmap;
}

} // namespace

StringGrid::StringGrid(QWidget* parent, const char* name) : QTableWidget(parent)
{
    setObjectName(QString::fromLatin1(name));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone); // a long text is cut at the cell's edge
    // The view's own delegate and the selection models its headers made when the table
    // took its model are left unused by Qt, but alive as children until the grid goes:
    // the headers share the table's selection model, and cells are edited by the
    // delegate below. A screen keeps its grids for the whole lesson, so they go now.
    QAbstractItemDelegate* designedDelegate = itemDelegate();
    setItemDelegate(new ImmediateDelegate(this));
    delete designedDelegate;
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
        const auto models = header->findChildren<QItemSelectionModel*>(Qt::FindDirectChildrenOnly);
        for (QItemSelectionModel* unused : models)
            if (unused != header->selectionModel())
                delete unused;
    }
    SetEditable(false);
    SetDefaultColWidth(64);
    SetDefaultRowHeight(24);
}

void StringGrid::SetDefaultColWidth(int width)
{
    horizontalHeader()->setDefaultSectionSize(width + kGridLine);
    for (int c = 0; c < columnCount(); ++c)
        setColumnWidth(c, width + kGridLine);
}

void StringGrid::SetDefaultRowHeight(int height)
{
    verticalHeader()->setDefaultSectionSize(height + kGridLine);
    for (int r = 0; r < rowCount(); ++r)
        setRowHeight(r, height + kGridLine);
}

int StringGrid::DefaultColWidth() const
{
    return horizontalHeader()->defaultSectionSize() - kGridLine;
}

int StringGrid::DefaultRowHeight() const
{
    return verticalHeader()->defaultSectionSize() - kGridLine;
}

void StringGrid::SetFixed(int rows, int columns)
{
    m_fixedRows = rows;
    m_fixedColumns = columns;
}

void StringGrid::SetEditable(bool editable)
{
    setEditTriggers(editable ? QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                                   QAbstractItemView::EditKeyPressed
                             : QAbstractItemView::NoEditTriggers);
}

QString StringGrid::Cell(int column, int row) const
{
    const QTableWidgetItem* cell = item(row, column);
    return cell != nullptr ? cell->text() : QString();
}

void StringGrid::SetCell(int column, int row, const QString& text)
{
    QTableWidgetItem* cell = item(row, column);
    if (cell == nullptr) {
        cell = new QTableWidgetItem;
        if (IsFixed(column, row)) {
            cell->setFlags(Qt::ItemIsEnabled);
            cell->setBackground(look::kButtonFace);
        }
        setItem(row, column, cell);
    }
    cell->setText(text);
}

void StringGrid::ClearCells()
{
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (QTableWidgetItem* cell = item(r, c))
                cell->setText(QString());
}

void StringGrid::SetCurrentCell(int column, int row)
{
    setCurrentCell(row, column);
}

void StringGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Enter keeps what was typed and goes on to the next cell to be typed, as Tab does.
    QTableWidget::closeEditor(editor, hint == QAbstractItemDelegate::SubmitModelCache
                                          ? QAbstractItemDelegate::NoHint
                                          : hint);
    if (hint == QAbstractItemDelegate::SubmitModelCache)
        MoveToNextCell();
}

void StringGrid::MoveToNextCell()
{
    if (currentRow() + 1 < rowCount())
        setCurrentCell(currentRow() + 1, std::max(currentColumn(), 0));
    else
        focusNextChild();
}

void StringGrid::CommitEdit()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    for (auto* editor : viewport()->findChildren<QLineEdit*>()) {
        if (editor->isVisible()) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
}

bool StringGrid::IsCut(int column, int row) const
{
    const QString text = Cell(column, row);
    if (text.isEmpty())
        return false;
    // The item view keeps a margin on either side of the text inside the cell.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return fontMetrics().horizontalAdvance(text) + 2 * margin > columnWidth(column) - kGridLine;
}

bool StringGrid::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex cell = indexAt(help->pos());
        if (cell.isValid() && IsCut(cell.column(), cell.row()))
            QToolTip::showText(help->globalPos(), Cell(cell.column(), cell.row()), viewport(),
                               visualRect(cell));
        else
            QToolTip::hideText();
        return true;
    }
    return QTableWidget::viewportEvent(event);
}

bool StringGrid::IsFixed(int column, int row) const
{
    return row < m_fixedRows || column < m_fixedColumns;
}

void StringGrid::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex pressed = indexAt(event->position().toPoint());
    QTableWidget::mousePressEvent(event);
    if (pressed.isValid() && !IsFixed(pressed.column(), pressed.row())) {
        setCurrentIndex(pressed);
        emit Click();
    }
}

void StringGrid::keyPressEvent(QKeyEvent* event)
{
    // On a grid to choose from, Enter chooses the current cell as a click on it would.
    if (IsEnterPress(event) && editTriggers() == QAbstractItemView::NoEditTriggers) {
        if (currentIndex().isValid() && !IsFixed(currentColumn(), currentRow()))
            emit Click();
        return;
    }
    // Enter on a cell being typed reaches the grid too; closing the editor moves on then.
    if (IsEnterPress(event)) {
        if (state() != QAbstractItemView::EditingState)
            MoveToNextCell();
        return;
    }
    const QModelIndex before = currentIndex();
    QTableWidget::keyPressEvent(event);
    if (currentIndex() != before && currentIndex().isValid())
        emit Click();
}

UpDown::UpDown(QWidget* parent, const char* name, int minimum, int maximum, int position)
    : QWidget(parent), m_minimum(minimum), m_maximum(maximum), m_position(position)
{
    setObjectName(QString::fromLatin1(name));
    setFocusPolicy(Qt::StrongFocus);
    m_repeat.setInterval(kRepeatIntervalMs);
    connect(&m_repeat, &QTimer::timeout, this, [this] {
        m_repeat.setInterval(kRepeatIntervalMs);
        Step();
    });
}

void UpDown::SetPosition(int position)
{
    m_position = std::clamp(position, m_minimum, m_maximum);
}

void UpDown::Step()
{
    SetPosition(m_position + m_step);
}

void UpDown::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int half = height() / 2;
    const QRect halves[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    for (int k = 0; k < 2; ++k) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = halves[k];
        const bool down = (k == 0 && m_step > 0) || (k == 1 && m_step < 0);
        button.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = halves[k].adjusted(3, 2, -3, -2);
        style()->drawPrimitive(k == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                               &arrow, &painter, this);
    }
    // Which degree the arrow keys step: a frame of the highlight colour, drawn here since the
    // style shows its focus frame only once Tab has been pressed.
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void UpDown::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_step = event->position().y() < height() / 2 ? +1 : -1;
    Step();
    update();
    m_repeat.start(kRepeatDelayMs);
    emit MouseDown();
}

void UpDown::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_repeat.stop();
    m_step = 0;
    update();
    emit MouseUp();
}

void UpDown::keyPressEvent(QKeyEvent* event)
{
    // An arrow key is a press and release of that arrow; a held key repeats like a held one.
    const int step = event->key() == Qt::Key_Up ? +1 : event->key() == Qt::Key_Down ? -1 : 0;
    if (step == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    SetPosition(m_position + step);
    emit MouseDown();
    emit MouseUp();
}

void UpDown::focusInEvent(QFocusEvent* event)
{
    update(); // the focus frame
    QWidget::focusInEvent(event);
}

void UpDown::focusOutEvent(QFocusEvent* event)
{
    update();
    QWidget::focusOutEvent(event);
}

void UpDown::hideEvent(QHideEvent* event)
{
    // A hidden control gets no release: the held arrow lets go with the window.
    m_repeat.stop();
    m_step = 0;
    QWidget::hideEvent(event);
}

QToolButton* AddSpeedButton(QWidget* parent, const char* name, Glyph glyph, const QRect& place,
                            const QString& hint)
{
    auto* button = new SpeedButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    // Every screen of a kind draws the same glyphs: they are drawn once and shared, as
    // long as the pixmap cache keeps them.
    QStyleOption option;
    option.initFrom(button);
    const QString key = QStringLiteral("nirdal-glyph-%1").arg(int(glyph));
    QPixmap normal;
    if (!QPixmapCache::find(key, &normal)) {
        normal = DrawGlyph(glyph);
        QPixmapCache::insert(key, normal);
    }
    const QString disabledKey =
        QStringLiteral("%1-disabled-%2")
            .arg(key)
            .arg(option.palette.color(QPalette::Disabled, QPalette::Window).rgba(), 8, 16);
    QPixmap disabled;
    if (!QPixmapCache::find(disabledKey, &disabled)) {
        disabled = button->style()->generatedIconPixmap(QIcon::Disabled, normal, &option);
        QPixmapCache::insert(disabledKey, disabled);
    }
    QIcon icon;
    icon.addPixmap(normal, QIcon::Normal);
    icon.addPixmap(disabled, QIcon::Disabled);
    button->setIcon(icon);
    button->setIconSize(QSize(16, 16));
    button->setGeometry(place);
    button->setToolTip(hint);
    // Reached by Tab, not taken by a click: the mouse leaves the keyboard where it was.
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, int left, int top)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

QFrame* AddPanel(QWidget* parent, const char* name, const QRect& place, const QColor& colour)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    panel->setGeometry(place);
    SetBackground(panel, colour);
    return panel;
}

QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption,
                       const QRect& place)
{
    auto* button = new PushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setGeometry(place);
    return button;
}

void SetBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void SetTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

void FitHeight(QLabel* label)
{
    label->resize(label->width(), label->heightForWidth(label->width()));
}

bool IsEnterPress(const QKeyEvent* event)
{
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
           !event->isAutoRepeat();
}

QString StandardCloseCaption()
{
    const QDialogButtonBox box(QDialogButtonBox::Close);
    return box.button(QDialogButtonBox::Close)->text();
}

void ShowErrorBox(QWidget* parent, const QString& message)
{
    QMessageBox::critical(parent, QCoreApplication::applicationName(), message);
}

QPixmap LoadPicture(const QString& resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const auto picture = DecodeJpeg(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                              static_cast<std::size_t>(bytes.size())));
    if (!picture)
        return {};
    const QImage image(picture->Pixels.data(), picture->Width, picture->Height, picture->Width * 3,
                       QImage::Format_RGB888);
    return QPixmap::fromImage(image); // copies the pixels before they go
}

} // namespace nirdal
