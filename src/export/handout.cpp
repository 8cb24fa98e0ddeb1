// SPDX-License-Identifier: MIT
#include "export/handout.h"

#include "export/picture_file.h"
#include "qtdraw/painter_surface.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace nirdal {

QByteArray HandoutPdf(const std::string& task, const std::vector<HandoutSlip>& slips,
                      std::string& error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bool drawn = false;
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle("Индивидуальные задания");
        pdf.setCreator("nirdal");
        pdf.setResolution(kPageDotsPerInch);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&pdf);
        painter.setFont(ExportFont());
        painter.setPen(Qt::black);
        PainterSurface sheets(painter);
        drawn = DrawHandout(sheets, task, slips, error);
    }
    return drawn ? bytes : QByteArray();
}

} // namespace nirdal
