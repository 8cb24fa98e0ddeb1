// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/surface.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <vector>

namespace nirdal {

/// The columns of the class report's table.
inline const QStringList kClassReportColumns{
    "Студент",       "Группа",    "Вариант", "Устойчивость", "Запас по амплитуде",
    "Запас по фазе", "Запас по запаздыванию", "Примечания"};

/// The columns of assign's key: the answers a teacher marks against (ClassKeyCells).
inline const QStringList kKeyColumns{
    "Студент",    "Группа",         "Вариант",       "Устойчивость",
    "Запас по амплитуде", "Kкр",    "U = −1/\u2060запас",  "Запас по фазе",
    "ωср, рад/\u2060с", "Запас по запаздыванию, с", "σ, %", "tр, с",
    "Примечания"};

/// The heading of the report's list of skipped lines, and its columns.
inline const QString kSkippedLinesHeading = "Пропущенные строки файла";
inline const QStringList kSkippedLinesColumns{"Строка", "Причина"};

/// One student of the class report: his rows of the table, one a variant, each with a cell
/// per column of kClassReportColumns.
struct ClassReportStudent
{
    QString Name;
    std::vector<QStringList> Rows;
};

/// A line of the class file that was not read, with the reason in Russian.
struct ClassReportSkippedLine
{
    int Line = 0;
    QString Reason;
};

/// Draws a student's printed page on the report's sheets; returns how far down the last
/// sheet it reached, in dots.
using StudentPageDrawing = std::function<int(std::size_t student, PageSurface& sheets)>;

/// Writes the class report as one PDF of A4 pages at kPageDotsPerInch: the table of every
/// student's rows under columns (kClassReportColumns or kKeyColumns) and title, on as many
/// pages as it takes, each column at least as wide as its longest word (a note, in the last cell, that
/// every row of the class has said once under the title and under the rows of each student's
/// page; one that every row of a student has said once, on his first row), and below it the
/// skipped lines
/// (when there are any), then, unless drawPage is empty, a page per student with the page
/// drawPage draws for him and his rows below it (continued on a further page when they do not
/// fit). progress(done,
/// total) is called after each student's page. The file is written whole or not at all
/// (WriteWholeDevice); beforeRename, when given, is asked before it is put in place. On
/// failure returns false with the reason in error.
bool WriteClassReport(const std::filesystem::path& path, const QString& title,
                      const QStringList& columns,
                      const std::vector<ClassReportStudent>& students,
                      const std::vector<ClassReportSkippedLine>& skipped,
                      const StudentPageDrawing& drawPage,
                      const std::function<void(std::size_t done, std::size_t total)>& progress,
                      QString& error, const std::function<bool()>& beforeRename = {});

} // namespace nirdal
