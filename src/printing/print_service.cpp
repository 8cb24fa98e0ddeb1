// SPDX-License-Identifier: MIT
#include "printing/print_service.h"

#include "core/plot/print_page.h"
#include "printing/printer_resolution.h"
#include "qtdraw/painter_surface.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace nirdal {

bool PrintPage(const QPrinterInfo& printer, const PageDrawing& draw, QString& error)
{
    if (printer.isNull()) {
        error = QString::fromUtf8("Принтер не найден: страница не напечатана.");
        return false;
    }
    QPrinter device(printer, QPrinter::HighResolution);
    // Without a printing system Qt quietly turns the printer into a PDF writer; that is no
    // printer to the user.
    if (device.outputFormat() != QPrinter::NativeFormat || !device.isValid()) {
        error = QString::fromUtf8("Принтер «%1» недоступен: страница не напечатана.")
                    .arg(printer.printerName());
        return false;
    }
    // Qt's own printer resolution is a fixed 1200 dots per inch whatever the printer; the
    // page counts the printer's dots, so that its presets fill a sheet.
    device.setResolution(PrinterDotsPerInch(printer.printerName()));
    device.setDocName(kPrintJobName);
    device.setCreator(kPrintJobName);

    QPainter painter;
    if (!painter.begin(&device)) {
        error = QString::fromUtf8("Принтер «%1» не начал печать: страница не напечатана.")
                    .arg(printer.printerName());
        return false;
    }
    {
        PainterSurface surface(painter);
        draw(surface);
    }
    if (!painter.end() || device.printerState() == QPrinter::Error) {
        error = QString::fromUtf8("Ошибка печати на принтере «%1».").arg(printer.printerName());
        return false;
    }
    return true;
}

bool PrintPageOnDefaultPrinter(const PageDrawing& draw, QString& error)
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull()) {
        error = QString::fromUtf8("Принтер по умолчанию не установлен: страница не напечатана.");
        return false;
    }
    return PrintPage(printer, draw, error);
}

bool PrintPlot(PlotFields& fields, const Assignment& assignment, std::string_view surname,
               QString& error)
{
    return PrintPageOnDefaultPrinter(
        [&](PageSurface& page) { DrawPrintPage(page, fields, assignment, surname); }, error);
}

} // namespace nirdal
