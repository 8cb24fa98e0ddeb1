// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/surface.h"

#include <array>
#include <climits>
#include <functional>
#include <string>
#include <vector>

namespace nirdal {

/// One recorded drawing operation with its integer device coordinates.
struct DrawOp
{
    enum class Kind { FontSize, Pen, Move, Line, Arc, Text, Page };
    Kind kind;
    std::array<int, 8> args{}; ///< font: size; pen: width; move/line/text: x, y; arc: 8 values
    Rgb colour{};              ///< pen only
    std::string text;          ///< text only, UTF-8

    friend bool operator==(const DrawOp&, const DrawOp&) = default;
};

/// Answers how much room a text (UTF-8) takes at a font size in points.
using TextMeasure = std::function<TextExtent(int points, std::string_view text)>;

/// Sheets that never end: everything goes on one.
inline constexpr DeviceSize kEndlessSheet{INT_MAX, INT_MAX};

/// A surface that keeps a display list instead of drawing: for tests and for
/// printing the operations as text. A new sheet is recorded as an operation of its own.
class RecordingSurface final : public PageSurface
{
public:
    /// Texts measured as NominalTextExtent gives them at dotsPerInch.
    explicit RecordingSurface(int dotsPerInch = kScreenDotsPerInch,
                              DeviceSize printableArea = kEndlessSheet);
    /// Texts measured by measure, for a layout that must match a real font.
    RecordingSurface(TextMeasure measure, DeviceSize printableArea);

    void SetFontSize(int points) override;
    void SetPen(int width, Rgb colour) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void TextOut(int x, int y, std::string_view text) override;
    TextExtent MeasureText(std::string_view text) override;
    DeviceSize PrintableArea() override { return m_printableArea; }
    void NewPage() override;

    const std::vector<DrawOp>& ops() const { return m_ops; }
    void clear() { m_ops.clear(); }

    /// One operation as a line: "font SIZE", "pen WIDTH #RRGGBB", "move X Y", "line X Y",
    /// "arc X1 Y1 … Y4", "text X Y TEXT" (the text as stored, UTF-8) or "page".
    static std::string Describe(const DrawOp& op);

private:
    TextMeasure m_measure;
    DeviceSize m_printableArea;
    int m_fontPoints = 10;
    std::vector<DrawOp> m_ops;
};

} // namespace nirdal
