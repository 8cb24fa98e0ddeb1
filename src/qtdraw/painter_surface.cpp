// SPDX-License-Identifier: MIT
#include "qtdraw/painter_surface.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <QRectF>
#include <QString>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nirdal {

namespace {

// The angle in degrees, counter-clockwise from the x axis, of the ellipse's own parameter
// at the point where the ray from the centre through (x, y) meets it. Qt's arc angles are
// parameter angles, while the surface's arc is bounded by rays.
qreal ParameterAngle(const QRectF& box, int x, int y)
{
    const qreal dx = x - box.center().x();
    const qreal dy = box.center().y() - y;
    const qreal rx = box.width() / 2;
    const qreal ry = box.height() / 2;
    if (rx <= 0 || ry <= 0)
        return std::atan2(dy, dx) * 180 / std::numbers::pi;
    return std::atan2(dy / ry, dx / rx) * 180 / std::numbers::pi;
}

} // namespace

PainterSurface::PainterSurface(QPainter& painter, qreal lineScale)
    : m_painter(painter), m_lineScale(lineScale), m_textColour(painter.pen().color())
{
}

PainterSurface::~PainterSurface()
{
    Flush();
}

void PainterSurface::Flush()
{
    if (m_pendingLines.size() > 1)
        m_painter.drawPolyline(m_pendingLines);
    m_pendingLines.clear();
}

void PainterSurface::SetFontSize(int points)
{
    QFont font = m_painter.font();
    font.setPointSize(std::max(points, 1));
    m_painter.setFont(font);
}

void PainterSurface::SetPen(int width, Rgb colour)
{
    Flush();
    QPen pen(QColor(colour.red, colour.green, colour.blue), std::max(width, 1) * m_lineScale);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    m_painter.setPen(pen);
}

void PainterSurface::MoveTo(int x, int y)
{
    Flush();
    m_position = QPoint(x, y);
}

void PainterSurface::LineTo(int x, int y)
{
    if (m_pendingLines.isEmpty())
        m_pendingLines.append(m_position);
    m_position = QPoint(x, y);
    // A line to where the pen stands draws nothing; the store repeats its last point.
    if (m_pendingLines.constLast() != m_position)
        m_pendingLines.append(m_position);
}

void PainterSurface::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    Flush();
    const QRectF box = QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized();
    const qreal start = ParameterAngle(box, x3, y3);
    qreal span = std::fmod(ParameterAngle(box, x4, y4) - start + 720, 360);
    if (span == 0 || (x3 == x4 && y3 == y4))
        span = 360; // one ray for both ends: the whole ellipse
    m_painter.drawArc(box, static_cast<int>(std::lround(start * 16)),
                      static_cast<int>(std::lround(span * 16)));
}

void PainterSurface::TextOut(int x, int y, std::string_view text)
{
    Flush();
    const QPen linePen = m_painter.pen();
    m_painter.setPen(m_textColour);
    // Qt places text by its baseline; the surface places it by its top.
    m_painter.drawText(QPoint(x, y + m_painter.fontMetrics().ascent()),
                       QString::fromUtf8(text.data(), qsizetype(text.size())));
    m_painter.setPen(linePen);
}


TextExtent PainterSurface::MeasureText(std::string_view text)
{
    const QFontMetrics metrics = m_painter.fontMetrics();
    return {metrics.horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size()))),
            metrics.lineSpacing()};
}

DeviceSize PainterSurface::PrintableArea()
{
    const QPaintDevice* device = m_painter.device();
    return {device->width(), device->height()};
}

void PainterSurface::NewPage()
{
    Flush();
    if (auto* sheets = dynamic_cast<QPagedPaintDevice*>(m_painter.device()))
        sheets->newPage();
}

} // namespace nirdal
