// SPDX-License-Identifier: MIT
#include "export/class_report.h"

#include "export/picture_file.h"
#include "export/whole_device.h"
#include "qtdraw/painter_surface.h"

#include <QFontMetrics>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace nirdal {

namespace {

// Half an inch of margin at 300 dots per inch.
constexpr int kMargin = 150;
constexpr int kCellPadding = 12;
constexpr int kTableFontPoints = 8;
constexpr int kTitleFontPoints = 12;
constexpr int kSectionFontPoints = 10;
// The table runs from kTableMargin to kTableMargin from the page's edges.
constexpr int kTableMargin = 100;
// A table of more columns than the class report's is set smaller, so that its words fit.
constexpr double kWideTableFontPoints = 6.5;
constexpr int kWideTableColumns = 9;
// Blank between the texts of neighbouring columns beyond their padding, about an em, so that
// a reader (and a text extractor) tells the columns apart.
constexpr int kColumnGap = 30;

// Lays out table rows on pages of the PDF, starting a page when the next row does not fit.
// Each column is as wide as its longest word at least, so that words wrap whole; the width
// left over goes to the columns whose texts are longer than that, in proportion.
class TableWriter
{
public:
    TableWriter(QPdfWriter& pdf, QPainter& painter, const QStringList& headings,
                const std::vector<const QStringList*>& rows)
        : m_pdf(pdf), m_painter(painter), m_headings(headings),
          m_points(headings.size() >= kWideTableColumns ? kWideTableFontPoints
                                                        : kTableFontPoints)
    {
        const auto count = static_cast<std::size_t>(headings.size());
        std::vector<int> least(count, 0), most(count, 0);
        const auto measure = [&](const QStringList& cells, bool bold) {
            m_painter.setFont(Font(bold));
            const QFontMetrics metrics = m_painter.fontMetrics();
            for (std::size_t i = 0; i < count && i < static_cast<std::size_t>(cells.size());
                 ++i) {
                const QString& cell = cells[static_cast<qsizetype>(i)];
                for (const QString& word : cell.split(' ', Qt::SkipEmptyParts))
                    least[i] = std::max(least[i], metrics.horizontalAdvance(word));
                most[i] = std::max(most[i], metrics.horizontalAdvance(cell));
            }
        };
        measure(headings, true);
        for (const QStringList* row : rows)
            measure(*row, false);
        const int width = m_pdf.width() - 2 * kTableMargin;
        long leastSum = 0;
        for (std::size_t i = 0; i < count; ++i) {
            // A few dots more than the word measures: a rect cut to the dot breaks it.
            least[i] += 2 * kCellPadding + 4;
            leastSum += least[i];
        }
        // The gap between columns shrinks before a word would have to break.
        const long gap = std::clamp((width - leastSum) / static_cast<long>(2 * count), 0L,
                                    static_cast<long>(kColumnGap));
        // A long text asks for at most a fifth of the table more than its longest word, so
        // that one column of long notes does not starve the others.
        long spare = 0;
        for (std::size_t i = 0; i < count; ++i) {
            least[i] += static_cast<int>(gap);
            most[i] = std::clamp(most[i] + 2 * kCellPadding + static_cast<int>(gap), least[i],
                                 least[i] + width / 5);
            spare += most[i] - least[i];
        }
        leastSum += static_cast<long>(count) * gap;
        const long room = std::max(0L, width - leastSum);
        long mostSum = 0;
        for (const int w : most)
            mostSum += w;
        int left = kTableMargin;
        for (std::size_t i = 0; i < count; ++i) {
            // Room beyond every text whole is shared as the texts' widths are.
            const long extra =
                spare <= room ? most[i] - least[i] + (room - spare) * most[i] / mostSum
                              : (most[i] - least[i]) * room / std::max(spare, 1L);
            int columnWidth = static_cast<int>(least[i] + extra);
            // The last column takes what is left, out to the table's edge.
            if (i + 1 == count)
                columnWidth = std::max(columnWidth, m_pdf.width() - kTableMargin - left);
            m_columns.push_back({left, columnWidth});
            left += columnWidth;
        }
    }

    // Starts the table at y on the current page, with its heading row.
    void Begin(int y)
    {
        m_y = y;
        Row(m_headings, true);
    }

    // Where the last row ends, in dots from the top of the current page.
    int Bottom() const { return m_y; }

    void Row(const QStringList& cells, bool heading = false)
    {
        const QFont font = Font(heading);
        m_painter.setFont(font);
        const int height = Height(cells);
        if (m_y + height > m_pdf.height() - kMargin) {
            m_pdf.newPage();
            m_y = kMargin;
            // A row continued on a new page comes under the heading again.
            if (!heading) {
                Row(m_headings, true);
                m_painter.setFont(font);
            }
        }
        for (int i = 0; i < cells.size() && i < static_cast<int>(m_columns.size()); ++i)
            m_painter.drawText(Cell(i, height), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                               cells[i]);
        m_y += height;
        m_painter.drawLine(kTableMargin, m_y, m_columns.back().first + m_columns.back().second,
                           m_y);
    }

private:
    QFont Font(bool bold) const
    {
        QFont font = ExportFont();
        font.setPointSizeF(m_points);
        font.setBold(bold);
        return font;
    }

    QRect Cell(int column, int height) const
    {
        const auto [left, width] = m_columns[static_cast<std::size_t>(column)];
        return QRect(left + kCellPadding, m_y + kCellPadding, width - 2 * kCellPadding,
                     height - 2 * kCellPadding);
    }

    int Height(const QStringList& cells) const
    {
        int height = 0;
        for (int i = 0; i < cells.size() && i < static_cast<int>(m_columns.size()); ++i) {
            const QRect free(0, 0, m_columns[static_cast<std::size_t>(i)].second - 2 * kCellPadding,
                             m_pdf.height());
            height =
                std::max(height, m_painter.boundingRect(free, Qt::TextWordWrap, cells[i]).height());
        }
        return height + 2 * kCellPadding;
    }

    QPdfWriter& m_pdf;
    QPainter& m_painter;
    QStringList m_headings;
    double m_points;
    std::vector<std::pair<int, int>> m_columns; // left and width
    int m_y = 0;
};

// Draws text in bold across the page at y; returns where it ends.
int DrawHeading(QPdfWriter& pdf, QPainter& painter, const QString& text, int points, int y)
{
    QFont font = ExportFont();
    font.setPointSize(points);
    font.setBold(true);
    painter.setFont(font);
    const QRect box(kMargin, y, pdf.width() - 2 * kMargin, pdf.height() - kMargin - y);
    const QRect drawn = painter.boundingRect(box, Qt::TextWordWrap | Qt::AlignLeft, text);
    painter.drawText(box, Qt::TextWordWrap | Qt::AlignLeft, text);
    return drawn.bottom();
}

// The notes of a row: its last cell, notes separated by "; ".
QStringList Notes(const QStringList& row)
{
    return row.isEmpty() ? QStringList() : row.back().split("; ", Qt::SkipEmptyParts);
}

bool HasDigit(const QString& word)
{
    return std::any_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
}

// Whether two notes say the same up to their numbers: word for word alike, or both numbers.
bool SameNote(const QStringList& a, const QStringList& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && !(HasDigit(a[i]) && HasDigit(b[i])))
            return false;
    }
    return true;
}

// Takes out of the rows the notes that every one of them has, when there are two rows or
// more, and returns them in the first row's order. A note the rows say alike but for a number
// (the radius of a semicircle) is returned with "…" for that number, and each row keeps the
// word before it and its own number ("радиуса 0,001").
QStringList TakeCommonNotes(const std::vector<QStringList*>& rows)
{
    if (rows.size() < 2)
        return {};
    std::vector<std::vector<QStringList>> notes; // a row's notes, each as its words
    for (const QStringList* row : rows) {
        notes.emplace_back();
        for (const QString& note : Notes(*row))
            notes.back().push_back(note.split(' '));
    }
    QStringList common;
    std::vector<QStringList> kept(rows.size()); // what each row keeps of the common notes
    for (const QStringList& first : notes.front()) {
        std::vector<std::size_t> found; // the matching note of each row
        for (const std::vector<QStringList>& rowNotes : notes) {
            const auto match = std::find_if(rowNotes.begin(), rowNotes.end(),
                                            [&](const QStringList& n) { return SameNote(first, n); });
            if (match == rowNotes.end())
                break;
            found.push_back(static_cast<std::size_t>(match - rowNotes.begin()));
        }
        if (found.size() != rows.size())
            continue;
        QStringList said = first;
        for (qsizetype w = 0; w < first.size(); ++w) {
            bool alike = true;
            for (std::size_t r = 0; r < rows.size(); ++r)
                alike = alike && notes[r][found[r]][w] == first[w];
            if (alike)
                continue;
            said[w] = "…";
            for (std::size_t r = 0; r < rows.size(); ++r)
                kept[r] << (w > 0 ? first[w - 1] + " " : QString()) + notes[r][found[r]][w];
        }
        common << said.join(' ');
        for (std::size_t r = 0; r < rows.size(); ++r)
            notes[r][found[r]].clear(); // said once now
    }
    if (common.isEmpty())
        return {};
    for (std::size_t r = 0; r < rows.size(); ++r) {
        QStringList left = kept[r];
        for (const QStringList& note : notes[r]) {
            if (!note.isEmpty())
                left << note.join(' ');
        }
        rows[r]->back() = left.join("; ");
    }
    return common;
}

// Draws "heading: notes" in the table's font across the page at y; returns where it ends.
int DrawCommonNotes(QPdfWriter& pdf, QPainter& painter, const QString& heading,
                    const QStringList& notes, int y)
{
    QFont font = ExportFont();
    font.setPointSize(kTableFontPoints);
    painter.setFont(font);
    const QString text = heading + notes.join("; ");
    const QRect box(kMargin, y, pdf.width() - 2 * kMargin, pdf.height() - kMargin - y);
    const QRect drawn = painter.boundingRect(box, Qt::TextWordWrap | Qt::AlignLeft, text);
    painter.drawText(box, Qt::TextWordWrap | Qt::AlignLeft, text);
    return drawn.bottom();
}

} // namespace

bool WriteClassReport(const std::filesystem::path& path, const QString& title,
                      const QStringList& columns,
                      const std::vector<ClassReportStudent>& students,
                      const std::vector<ClassReportSkippedLine>& skipped,
                      const StudentPageDrawing& drawPage,
                      const std::function<void(std::size_t done, std::size_t total)>& progress,
                      QString& error, const std::function<bool()>& beforeRename)
{
    const auto write = [&](QIODevice& device, QString& reason) {
        QPdfWriter pdf(&device);
        pdf.setTitle(title);
        pdf.setCreator("nirdal");
        pdf.setResolution(kPageDotsPerInch);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&pdf);
        painter.setPen(Qt::black);

        // A note that holds for every variant of the class is said once under the title (and
        // under each student's rows on his page), and one that holds for every variant of a
        // student once, on his first row.
        std::vector<ClassReportStudent> shown = students;
        std::vector<QStringList*> everyRow;
        for (ClassReportStudent& student : shown) {
            for (QStringList& row : student.Rows)
                everyRow.push_back(&row);
        }
        const QStringList classNotes = TakeCommonNotes(everyRow);
        for (ClassReportStudent& student : shown) {
            std::vector<QStringList*> rows;
            for (QStringList& row : student.Rows)
                rows.push_back(&row);
            const QStringList common = TakeCommonNotes(rows);
            if (!common.isEmpty())
                rows.front()->back() = (common + Notes(*rows.front())).join("; ");
        }
        int titleBottom = DrawHeading(pdf, painter, title, kTitleFontPoints, kMargin);
        if (!classNotes.isEmpty())
            titleBottom = DrawCommonNotes(pdf, painter, "Во всех вариантах: ", classNotes,
                                          titleBottom + kMargin / 4);
        std::vector<const QStringList*> allRows;
        for (const ClassReportStudent& student : shown) {
            for (const QStringList& row : student.Rows)
                allRows.push_back(&row);
        }
        TableWriter table(pdf, painter, columns, allRows);
        table.Begin(titleBottom + kMargin / 2);
        for (const ClassReportStudent& student : shown) {
            for (const QStringList& row : student.Rows)
                table.Row(row);
        }

        if (!skipped.empty()) {
            int y = table.Bottom() + kMargin;
            // The heading stays on the page of the list's first rows: it, the columns' heading
            // row and one line of reason take about an inch.
            if (y + 2 * kMargin > pdf.height() - kMargin) {
                pdf.newPage();
                y = kMargin;
            }
            const int headingBottom =
                DrawHeading(pdf, painter, kSkippedLinesHeading, kSectionFontPoints, y);
            std::vector<QStringList> lineRows;
            for (const ClassReportSkippedLine& line : skipped)
                lineRows.push_back({QString::number(line.Line), line.Reason});
            std::vector<const QStringList*> lineCells;
            for (const QStringList& row : lineRows)
                lineCells.push_back(&row);
            TableWriter lines(pdf, painter, kSkippedLinesColumns, lineCells);
            lines.Begin(headingBottom + kMargin / 4);
            for (const QStringList& row : lineRows)
                lines.Row(row);
        }

        for (std::size_t i = 0; drawPage && i < students.size(); ++i) {
            pdf.newPage();
            painter.setFont(ExportFont());
            int drawnTo = 0;
            {
                PainterSurface sheets(painter);
                drawnTo = drawPage(i, sheets);
            }
            painter.setPen(Qt::black);
            table.Begin(drawnTo + kMargin / 2);
            for (const QStringList& row : shown[i].Rows)
                table.Row(row);
            if (!classNotes.isEmpty())
                DrawCommonNotes(pdf, painter, "Во всех вариантах: ", classNotes,
                                table.Bottom() + kCellPadding);
            progress(i + 1, students.size());
        }
        if (painter.end())
            return true;
        reason = "the PDF could not be finished";
        return false;
    };
    return WriteWholeDevice(path, write, error, beforeRename);
}

} // namespace nirdal
