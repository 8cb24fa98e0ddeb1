// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/surface.h"
#include "core/plot/plot.h"

#include <QString>

#include <functional>
#include <string_view>

class QPrinterInfo;

namespace nirdal {

/// The document name of every print job, as the printer queue shows it.
inline constexpr const char* kPrintJobName = "nirdal";

/// Prints the sheets drawn by draw on printer, as one document, in the printer's own dots at
/// the resolution it declares (PrinterDotsPerInch), inside its printable area. When the
/// printer is missing or the printing system fails, returns false with a Russian message in
/// error; draw is not called unless the document began.
bool PrintPage(const QPrinterInfo& printer, const PageDrawing& draw, QString& error);

/// PrintPage on the system's default printer.
bool PrintPageOnDefaultPrinter(const PageDrawing& draw, QString& error);

/// Prints the hodographs of all the assignment's variants, the surname and one summary line
/// per variant at fields.PlotScale on the default printer. The fields are changed only when
/// the document began.
bool PrintPlot(PlotFields& fields, const Assignment& assignment, std::string_view surname,
               QString& error);

} // namespace nirdal
