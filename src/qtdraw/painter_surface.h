// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/surface.h"

#include <QColor>
#include <QPoint>
#include <QPolygon>

class QPainter;

namespace nirdal {

/// Draws the surface operations with a QPainter on any paint device: a window, a printer
/// page, an image, SVG or PDF. Coordinates are the device's own units (pixels or dots);
/// font sizes are points at the device's resolution. Texts are drawn in the colour the
/// painter's pen had when the surface was made, whatever pen the lines use since. On a
/// printer or a PDF writer it draws sheet after sheet; elsewhere the device is the one sheet.
class PainterSurface final : public PageSurface
{
public:
    /// The painter must be active and outlive the surface. Pens are lineScale times as wide
    /// as asked: a picture drawn in a high-density screen's own pixels keeps its lines' weight.
    explicit PainterSurface(QPainter& painter, qreal lineScale = 1);
    /// Draws what is still held back.
    ~PainterSurface() override;

    PainterSurface(const PainterSurface&) = delete;
    PainterSurface& operator=(const PainterSurface&) = delete;

    void SetFontSize(int points) override;
    void SetPen(int width, Rgb colour) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void TextOut(int x, int y, std::string_view text) override;
    /// As the painter's font sets it on its device.
    TextExtent MeasureText(std::string_view text) override;
    /// The device's size: on a printer the sheet's printable part.
    DeviceSize PrintableArea() override;
    /// A fresh sheet on a printer or PDF writer; on other devices nothing.
    void NewPage() override;

    /// Draws the lines held back so far; call it before using the painter directly.
    void Flush();

private:
    QPainter& m_painter;
    qreal m_lineScale;
    QColor m_textColour;
    QPoint m_position;
    // Consecutive lines go to the painter as one polyline: a curve of 200 points costs
    // one call instead of 199.
    QPolygon m_pendingLines;
};

} // namespace nirdal
