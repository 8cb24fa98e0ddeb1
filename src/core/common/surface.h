// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
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

/// Resolution of a screen as the pictures are designed for it, in pixels per inch.
inline constexpr int kScreenDotsPerInch = 96;

/// How much room a text takes in the current font, in device units: its advance width, and
/// the distance from one line of that font to the next.
struct TextExtent
{
    int Width = 0;
    int LineSpacing = 0;
    friend bool operator==(const TextExtent&, const TextExtent&) = default;
};

/// A width and a height in device units.
struct DeviceSize
{
    int Width = 0;
    int Height = 0;
    friend bool operator==(const DeviceSize&, const DeviceSize&) = default;
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
    /// Text (UTF-8) with its top-left corner at (x, y).
    virtual void TextOut(int x, int y, std::string_view text) = 0;
    /// The room text (UTF-8) takes in the current font.
    virtual TextExtent MeasureText(std::string_view text) = 0;
};

/// A surface of sheets of paper: a printer's pages or a PDF's.
class PageSurface : public Surface
{
public:
    /// The part of a sheet that can be drawn on; (0, 0) is its top-left corner.
    virtual DeviceSize PrintableArea() = 0;
    /// Ends the sheet drawn so far; the following operations draw on a fresh one.
    virtual void NewPage() = 0;
};

/// Draws the sheets of one document.
using PageDrawing = std::function<void(PageSurface&)>;

/// The room a text would take in a sans-serif face of points at dotsPerInch, where no real
/// font can be asked: lines 1.17 em apart and every character 0.62 em wide, each rounded up
/// to whole device units; a character is a UTF-8 sequence, not a byte. Close to DejaVu Sans
/// for the digits and capitals of the texts drawn here.
TextExtent NominalTextExtent(int points, int dotsPerInch, std::string_view text);

/// A surface that only cares about texts, such as the values listing: everything else is
/// ignored.
class TextSurface : public Surface
{
public:
    void SetFontSize(int points) override { m_points = points; }
    void SetPen(int, Rgb) override {}
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void Arc(int, int, int, int, int, int, int, int) override {}
    /// Measured as on a screen.
    TextExtent MeasureText(std::string_view text) override
    {
        return NominalTextExtent(m_points, kScreenDotsPerInch, text);
    }

private:
    int m_points = 10;
};

} // namespace nirdal
