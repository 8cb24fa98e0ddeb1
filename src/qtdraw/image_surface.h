// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/surface.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>

#include <memory>

class QPainter;

namespace nirdal {

class PainterSurface;

/// A surface that draws onto an off-screen image, so that the window showing the image can
/// paint it again whenever it is uncovered. Drawing may go on over several commands: End
/// finishes what was drawn so far, and the next operation goes on with the same font, pen
/// and pen position.
class ImageSurface final : public Surface
{
public:
    /// An image of size logical pixels, at the device pixel ratio of the window that shows
    /// it, filled with background (made when first drawn on or asked for). Texts are drawn in font
    /// and textColour; opaque texts fill their box with the background first, so a text drawn over
    /// another replaces it.
    ImageSurface(QSize size, qreal devicePixelRatio, const QColor& background, const QFont& font,
                 const QColor& textColour, bool opaqueText);
    ~ImageSurface() override;

    ImageSurface(const ImageSurface&) = delete;
    ImageSurface& operator=(const ImageSurface&) = delete;

    /// Fills the whole image with the background.
    void Clear();
    /// Finishes the drawing so far.
    void End();
    /// The picture as drawn so far.
    const QImage& Image();
    /// Gives back the image's memory; drawing or asking for the picture again starts from
    /// a cleared image with the same font, pen and pen position.
    void Release();

    void SetFontSize(int points) override;
    void SetPen(int width, Rgb colour) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void TextOut(int x, int y, std::string_view text) override;
    TextExtent MeasureText(std::string_view text) override;

private:
    PainterSurface& Begin();

    QSize m_size;
    qreal m_devicePixelRatio;
    QImage m_image;
    QColor m_background;
    QFont m_font;
    QColor m_textColour;
    bool m_opaqueText;
    std::unique_ptr<QPainter> m_painter;
    std::unique_ptr<PainterSurface> m_surface;
    // What the next Begin restores.
    int m_fontPoints = 0;
    bool m_penSet = false;
    int m_penWidth = 1;
    Rgb m_penColour{};
    QPoint m_position;
};

} // namespace nirdal
