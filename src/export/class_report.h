#pragma once

#include "core/common/surface.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <vector>

namespace nirdal {

/// The columns of the class report's table.
inline const QStringList kClassReportColumns{"student",     "group",        "variant", "verdict",
                                             "gain margin", "phase margin", "notes"};

/// One student of the class report: his rows of the table, one a variant, each with a cell
/// per column of kClassReportColumns.
struct ClassReportStudent
{
    QString Name;
    std::vector<QStringList> Rows;
};

/// Draws a student's printed page on the report's sheets; returns how far down the last
/// sheet it reached, in dots.
using StudentPageDrawing = std::function<int(std::size_t student, PageSurface& sheets)>;

/// Writes the class report as one PDF of A4 pages at kPageDotsPerInch: the table of every
/// student's rows under title, on as many pages as it takes, then a page per student with
/// the page drawPage draws for him and his rows below it (continued on a further page when
/// they do not fit). progress(done, total) is called after each student's page. On
/// failure returns false with the reason in error.
bool WriteClassReport(const QString& path, const QString& title,
                      const std::vector<ClassReportStudent>& students,
                      const StudentPageDrawing& drawPage,
                      const std::function<void(std::size_t done, std::size_t total)>& progress,
                      QString& error);

} // namespace nirdal
