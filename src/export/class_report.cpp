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
// Shares of the width within the margins, in column order; the notes take what is left out
// to kTableMargin, a sixth of the page, so that their longest words ("полуокружностью") stay
// whole. The verdict's column is as wide as "неустойчива", and the heading "Устойчивость",
// need.
constexpr int kTableMargin = 100;
const std::vector<double> kClassColumnShares{0.11, 0.07, 0.09, 0.13, 0.20, 0.14, 0.14};
// The skipped lines: the line number, and the reason takes the rest.
const std::vector<double> kSkippedColumnShares{0.08};

// Lays out table rows on pages of the PDF, starting a page when the next row does not fit.
class TableWriter
{
public:
    TableWriter(QPdfWriter& pdf, QPainter& painter, const QStringList& headings,
                const std::vector<double>& shares)
        : m_pdf(pdf), m_painter(painter), m_headings(headings)
    {
        const int width = m_pdf.width() - 2 * kMargin;
        int left = kTableMargin;
        for (const double share : shares) {
            const int columnWidth = static_cast<int>(width * share);
            m_columns.push_back({left, columnWidth});
            left += columnWidth;
        }
        m_columns.push_back({left, m_pdf.width() - kTableMargin - left});
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
        QFont font = ExportFont();
        font.setPointSize(kTableFontPoints);
        font.setBold(heading);
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
        m_painter.drawLine(kTableMargin, m_y, m_pdf.width() - kTableMargin, m_y);
    }

private:
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

// Takes out of the rows the notes that every one of them has, when there are two rows or
// more, and returns them in the first row's order.
QStringList TakeCommonNotes(const std::vector<QStringList*>& rows)
{
    if (rows.size() < 2)
        return {};
    QStringList common = Notes(*rows.front());
    for (const QStringList* row : rows) {
        const QStringList notes = Notes(*row);
        common.removeIf([&](const QString& note) { return !notes.contains(note); });
    }
    if (common.isEmpty())
        return {};
    for (QStringList* row : rows) {
        QStringList notes = Notes(*row);
        notes.removeIf([&](const QString& note) { return common.contains(note); });
        row->back() = notes.join("; ");
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
        TableWriter table(pdf, painter, kClassReportColumns, kClassColumnShares);
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
            TableWriter lines(pdf, painter, kSkippedLinesColumns, kSkippedColumnShares);
            lines.Begin(headingBottom + kMargin / 4);
            for (const ClassReportSkippedLine& line : skipped)
                lines.Row({QString::number(line.Line), line.Reason});
        }

        for (std::size_t i = 0; i < students.size(); ++i) {
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
