// SPDX-License-Identifier: MIT
#include "qtdraw/image_surface.h"

#include "qtdraw/painter_surface.h"

#include <QPainter>

namespace nirdal {

ImageSurface::ImageSurface(QSize size, qreal devicePixelRatio, const QColor& background,
                           const QFont& font, const QColor& textColour, bool opaqueText)
    : m_size(size), m_devicePixelRatio(devicePixelRatio), m_background(background), m_font(font),
      m_textColour(textColour), m_opaqueText(opaqueText)
{
}

ImageSurface::~ImageSurface()
{
    End();
}

void ImageSurface::Clear()
{
    End();
    if (m_image.isNull()) {
        // Made on first use: a window created at start-up and never shown costs no image.
        m_image = QImage(m_size * m_devicePixelRatio, QImage::Format_RGB32);
        m_image.setDevicePixelRatio(m_devicePixelRatio);
    }
    m_image.fill(m_background);
}

void ImageSurface::End()
{
    m_surface.reset(); // draws the lines it still holds
    if (m_painter)
        m_painter->end();
    m_painter.reset();
}

const QImage& ImageSurface::Image()
{
    End();
    if (m_image.isNull())
        Clear();
    return m_image;
}

void ImageSurface::Release()
{
    End();
    m_image = QImage();
}

PainterSurface& ImageSurface::Begin()
{
    if (m_surface)
        return *m_surface;
    if (m_image.isNull())
        Clear();
    m_painter = std::make_unique<QPainter>(&m_image);
    m_painter->setRenderHint(QPainter::TextAntialiasing);
    m_painter->setFont(m_font);
    if (m_opaqueText) {
        m_painter->setBackgroundMode(Qt::OpaqueMode);
        m_painter->setBackground(m_background);
    }
    m_painter->setPen(m_textColour); // the surface keeps this as its text colour
    m_surface = std::make_unique<PainterSurface>(*m_painter);
    if (m_fontPoints > 0)
        m_surface->SetFontSize(m_fontPoints);
    if (m_penSet)
        m_surface->SetPen(m_penWidth, m_penColour);
    m_surface->MoveTo(m_position.x(), m_position.y());
    return *m_surface;
}

void ImageSurface::SetFontSize(int points)
{
    Begin().SetFontSize(points);
    m_fontPoints = points;
}

void ImageSurface::SetPen(int width, Rgb colour)
{
    Begin().SetPen(width, colour);
    m_penSet = true;
    m_penWidth = width;
    m_penColour = colour;
}

void ImageSurface::MoveTo(int x, int y)
{
    Begin().MoveTo(x, y);
    m_position = QPoint(x, y);
}

void ImageSurface::LineTo(int x, int y)
{
    Begin().LineTo(x, y);
    m_position = QPoint(x, y);
}

void ImageSurface::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    Begin().Arc(x1, y1, x2, y2, x3, y3, x4, y4);
}

void ImageSurface::TextOut(int x, int y, std::string_view text)
{
    Begin().TextOut(x, y, text);
}

TextExtent ImageSurface::MeasureText(std::string_view text)
{
    return Begin().MeasureText(text);
}

} // namespace nirdal
