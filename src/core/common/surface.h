#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nirdal {

struct Rgb
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

/// The drawing operations the pictures and the values listing use, on any
/// device: a window, a printer page, an image or a recording. Coordinates are
/// integer device units (pixels or printer dots), x to the right, y downward.
class Surface
{
public:
    virtual ~Surface() = default;

    /// Font size in points for the following texts.
    virtual void SetFontSize(int points) = 0;
    /// Pen for the following lines and arcs.
    virtual void SetPen(int width, Rgb colour) = 0;
    /// Moves the pen without drawing.
    virtual void MoveTo(int x, int y) = 0;
    /// Draws from the pen's position to (x, y) and leaves the pen there.
    virtual void LineTo(int x, int y) = 0;
    /// Counter-clockwise elliptic arc inside the rectangle (x1, y1)–(x2, y2), from the ray
    /// through (x3, y3) to the ray through (x4, y4); equal points draw the whole ellipse.
    virtual void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
    /// Text (Windows-1251) with its top-left corner at (x, y).
    virtual void TextOut(int x, int y, std::string_view text) = 0;
};

/// A surface that only cares about texts, such as the values listing: everything else is
/// ignored.
class TextSurface : public Surface
{
public:
    void SetFontSize(int) override {}
    void SetPen(int, Rgb) override {}
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void Arc(int, int, int, int, int, int, int, int) override {}
};

} // namespace nirdal
