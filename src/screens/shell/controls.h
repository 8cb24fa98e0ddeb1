// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <string_view>

namespace nirdal {

/// A table of text cells addressed column first, as the screens were designed: sizes are
/// the cell sizes without the one-pixel grid line, which comes on top of each. Its Click
/// signal comes on every mouse press on a cell and on every keyboard move of the current cell.
class StringGrid : public QTableWidget
{
    Q_OBJECT

public:
    StringGrid(QWidget* parent, const char* name);

    void SetDefaultColWidth(int width);
    void SetDefaultRowHeight(int height);
    int DefaultColWidth() const;
    int DefaultRowHeight() const;

    void SetColCount(int count) { setColumnCount(count); }
    void SetRowCount(int count) { setRowCount(count); }
    int ColCount() const { return columnCount(); }
    int RowCount() const { return rowCount(); }

    /// The first `rows` rows and `columns` columns are headings: drawn as buttons, never chosen.
    void SetFixed(int rows, int columns);

    /// Whether the student may type into the cells.
    void SetEditable(bool editable);

    QString Cell(int column, int row) const;
    void SetCell(int column, int row, const QString& text);
    /// Empties every cell.
    void ClearCells();

    int Col() const { return currentColumn(); }
    int Row() const { return currentRow(); }
    /// Moves the current cell without a Click.
    void SetCurrentCell(int column, int row);
    /// Ends an edit in progress, keeping what was typed in the cell.
    void CommitEdit();

signals:
    /// A click on a cell, a keyboard move of the current cell, or Enter on a grid to choose
    /// from (one that takes no typing).
    void Click();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    /// A cell that cuts its text shows the whole text as a hint.
    bool viewportEvent(QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyboardSearch(const QString&) override {}

private:
    bool IsFixed(int column, int row) const;
    /// The cell below, or after the last row the next control.
    void MoveToNextCell();
    /// Whether a cell's text is wider than the cell shows it.
    bool IsCut(int column, int row) const;

    int m_fixedRows = 0;
    int m_fixedColumns = 0;
};

/// A pair of arrow buttons that step a position between a minimum and a maximum. The
/// position changes on the press (and repeats while the button is held); MouseDown then
/// MouseUp report the press and the release. With the keyboard, Up and Down press the arrows.
class UpDown : public QWidget
{
    Q_OBJECT

public:
    UpDown(QWidget* parent, const char* name, int minimum, int maximum, int position);

    int Position() const { return m_position; }
    void SetPosition(int position);
    int Minimum() const { return m_minimum; }
    int Maximum() const { return m_maximum; }

signals:
    void MouseDown();
    void MouseUp();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Step();

    int m_minimum;
    int m_maximum;
    int m_position;
    int m_step = 0; ///< +1 while the upper arrow is held, -1 for the lower one
    QTimer m_repeat;
};

/// The small pictures of the glyph buttons.
enum class Glyph
{
    Forward,  ///< green arrow pointing right
    Back,     ///< arrow pointing left
    Question, ///< red question mark on a yellow disc
    Finish,   ///< square stop sign
    Play,     ///< right-pointing triangle
    Sheets,   ///< stack of sheets in a tray
    Printer,  ///< printer
    Computer, ///< desktop computer
    Hodograph ///< axes and a curve spiralling into the origin
};

/// A button showing a glyph in two states (normal and greyed), with a hint.
QToolButton* AddSpeedButton(QWidget* parent, const char* name, Glyph glyph, const QRect& place,
                            const QString& hint = {});

/// A label at a place, sized to its text.
QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, int left, int top);

/// A raised panel.
QFrame* AddPanel(QWidget* parent, const char* name, const QRect& place, const QColor& colour);

/// A push button; Enter, like Space, presses it only when it has the focus.
QPushButton* AddButton(QWidget* parent, const char* name, const QString& caption,
                       const QRect& place);

/// Fills the widget's background with a colour.
void SetBackground(QWidget* widget, const QColor& colour);

/// Sets the colour of the widget's text.
void SetTextColour(QWidget* widget, const QColor& colour);

/// Gives a word-wrapping label the height its text needs at its width.
void FitHeight(QLabel* label);

/// Whether a key press is Enter (either key), not a held key's repeat.
bool IsEnterPress(const QKeyEvent* event);

/// The caption of the toolkit's standard close button ("&Close", or its translation).
QString StandardCloseCaption();

/// The error box the program shows for a failure the runtime reports.
void ShowErrorBox(QWidget* parent, const QString& message);

/// A JPEG picture embedded in the program, decoded; a null pixmap when it cannot be decoded.
QPixmap LoadPicture(const QString& resource);

} // namespace nirdal
