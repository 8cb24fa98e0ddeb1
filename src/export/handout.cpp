// SPDX-License-Identifier: MIT
#include "export/handout.h"

#include "export/picture_file.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>

namespace nirdal {

namespace {


constexpr int kMarginMm = 12;
constexpr int kCoefficientsPerLine = 6;

int Mm(double millimetres)
{
    return static_cast<int>(millimetres * kPageDotsPerInch / 25.4 + 0.5);
}

// Lines of labelled values, kCoefficientsPerLine to a line: "A3 = 0,03".
QStringList CoefficientLines(const QString& heading, QChar letter, const QStringList& texts)
{
    QStringList lines;
    QString line = heading;
    for (int i = 0; i < texts.size(); ++i) {
        if (i > 0 && i % kCoefficientsPerLine == 0) {
            lines << line;
            line = QString(heading.size(), ' ');
        }
        line += QString("   %1%2 = %3").arg(letter).arg(texts.size() - 1 - i).arg(texts[i]);
    }
    return lines << line;
}

void DrawSlip(QPainter& painter, const QRect& box, const QString& task, const HandoutSlip& slip)
{
    QFont heading("DejaVu Sans", 12, QFont::Bold);
    QFont body("DejaVu Sans", 10);
    QFont mono("DejaVu Sans Mono", 10);
    int y = box.top();
    painter.setFont(heading);
    const int headingHeight = QFontMetrics(heading, painter.device()).height();
    painter.drawText(QRect(box.left(), y, box.width(), headingHeight), Qt::AlignLeft,
                     QString("Группа %1    %2").arg(slip.Group, slip.Surname));
    y += headingHeight + Mm(1.5);
    painter.setFont(body);
    const QRect taskBox = painter.boundingRect(QRect(box.left(), y, box.width(), box.height()),
                                               Qt::TextWordWrap, task);
    painter.drawText(QRect(box.left(), y, box.width(), taskBox.height()), Qt::TextWordWrap, task);
    y += taskBox.height() + Mm(1.5);

    const QString formula = "W(s) = " + slip.Formula;
    const QRect formulaBox = painter.boundingRect(
        QRect(box.left(), y, box.width(), box.height()), Qt::TextWordWrap, formula);
    painter.drawText(QRect(box.left(), y, box.width(), formulaBox.height()), Qt::TextWordWrap,
                     formula);
    y += formulaBox.height() + Mm(1.5);
    painter.setFont(mono);
    const int monoHeight = QFontMetrics(mono, painter.device()).height();
    QStringList lines = CoefficientLines("Числитель,   m = " + QString::number(slip.Numerator.size() - 1) + ":",
                                         'B', slip.Numerator);
    lines << CoefficientLines("Знаменатель, n = " + QString::number(slip.Denominator.size() - 1) + ":",
                              'A', slip.Denominator);
    lines << "Запаздывание:      T = " + slip.Delay + " с";
    for (const QString& line : lines) {
        painter.drawText(QRect(box.left(), y, box.width(), monoHeight), Qt::AlignLeft, line);
        y += monoHeight;
    }

}

} // namespace

QByteArray HandoutPdf(const QString& task, const std::vector<HandoutSlip>& slips)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle("Индивидуальные задания");
        pdf.setCreator("nirdal");
        pdf.setResolution(kPageDotsPerInch);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&pdf);
        const int width = pdf.width(), height = pdf.height();
        const int slipHeight = height / kSlipsPerSheet;
        QPen cut(Qt::black, Mm(0.2), Qt::DashLine);
        for (std::size_t i = 0; i < slips.size(); ++i) {
            const int place = static_cast<int>(i % kSlipsPerSheet);
            if (i > 0 && place == 0)
                pdf.newPage();
            const int top = place * slipHeight;
            if (place > 0) {
                painter.setPen(cut);
                painter.drawLine(Mm(5), top, width - Mm(5), top);
                painter.setFont(QFont("DejaVu Sans", 7));
                painter.drawText(QRect(Mm(5), top - Mm(4), Mm(20), Mm(4)), Qt::AlignLeft,
                                 QString::fromUtf8("✂"));
            }
            painter.setPen(Qt::black);
            DrawSlip(painter,
                     QRect(Mm(kMarginMm), top + Mm(8), width - 2 * Mm(kMarginMm),
                           slipHeight - Mm(12)),
                     task, slips[i]);
        }

    }
    return bytes;
}

} // namespace nirdal
