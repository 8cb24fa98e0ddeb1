#pragma once

#include "core/common/surface.h"

#include <array>
#include <string>
#include <vector>

namespace nirdal {

/// One recorded drawing operation with its integer device coordinates.
struct DrawOp
{
    enum class Kind { FontSize, Pen, Move, Line, Arc, Text };
    Kind kind;
    std::array<int, 8> args{}; ///< font: size; pen: width; move/line/text: x, y; arc: 8 values
    Rgb colour{};              ///< pen only
    std::string text;          ///< text only, Windows-1251

    friend bool operator==(const DrawOp&, const DrawOp&) = default;
};

/// A surface that keeps a display list instead of drawing: for tests and for
/// printing the operations as text.
class RecordingSurface final : public Surface
{
public:
    void SetFontSize(int points) override;
    void SetPen(int width, Rgb colour) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void TextOut(int x, int y, std::string_view text) override;

    const std::vector<DrawOp>& ops() const { return m_ops; }
    void clear() { m_ops.clear(); }

    /// One operation as a line: "font SIZE", "pen WIDTH #RRGGBB", "move X Y", "line X Y",
    /// "arc X1 Y1 … Y4" or "text X Y TEXT" (the text as stored, Windows-1251).
    static std::string Describe(const DrawOp& op);

private:
    std::vector<DrawOp> m_ops;
};

} // namespace nirdal
