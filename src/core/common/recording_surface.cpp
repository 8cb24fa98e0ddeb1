// SPDX-License-Identifier: MIT
#include "core/common/recording_surface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace nirdal {

TextExtent NominalTextExtent(int points, int dotsPerInch, std::string_view text)
{
    const double em = static_cast<double>(points) * dotsPerInch / 72;
    // Continuation bytes (10xxxxxx) belong to the character their lead byte began.
    const auto characters = std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    return {static_cast<int>(std::ceil(0.62 * em * static_cast<double>(characters))),
            static_cast<int>(std::ceil(1.17 * em))};
}

RecordingSurface::RecordingSurface(int dotsPerInch, DeviceSize printableArea)
    : RecordingSurface(
          [dotsPerInch](int points, std::string_view text) {
              return NominalTextExtent(points, dotsPerInch, text);
          },
          printableArea)
{
}

RecordingSurface::RecordingSurface(TextMeasure measure, DeviceSize printableArea)
    : m_measure(std::move(measure)), m_printableArea(printableArea)
{
}

void RecordingSurface::SetFontSize(int points)
{
    m_fontPoints = points;
    m_ops.push_back({DrawOp::Kind::FontSize, {points}, {}, {}});
}

void RecordingSurface::SetPen(int width, Rgb colour)
{
    m_ops.push_back({DrawOp::Kind::Pen, {width}, colour, {}});
}

void RecordingSurface::MoveTo(int x, int y)
{
    m_ops.push_back({DrawOp::Kind::Move, {x, y}, {}, {}});
}

void RecordingSurface::LineTo(int x, int y)
{
    m_ops.push_back({DrawOp::Kind::Line, {x, y}, {}, {}});
}

void RecordingSurface::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    m_ops.push_back({DrawOp::Kind::Arc, {x1, y1, x2, y2, x3, y3, x4, y4}, {}, {}});
}

void RecordingSurface::TextOut(int x, int y, std::string_view text)
{
    m_ops.push_back({DrawOp::Kind::Text, {x, y}, {}, std::string(text)});
}

TextExtent RecordingSurface::MeasureText(std::string_view text)
{
    return m_measure(m_fontPoints, text);
}

void RecordingSurface::NewPage()
{
    m_ops.push_back({DrawOp::Kind::Page, {}, {}, {}});
}

std::string RecordingSurface::Describe(const DrawOp& op)
{
    char buffer[128];
    const auto& a = op.args;
    switch (op.kind) {
    case DrawOp::Kind::FontSize:
        std::snprintf(buffer, sizeof buffer, "font %d", a[0]);
        break;
    case DrawOp::Kind::Pen:
        std::snprintf(buffer, sizeof buffer, "pen %d #%02X%02X%02X", a[0], op.colour.red,
                      op.colour.green, op.colour.blue);
        break;
    case DrawOp::Kind::Move:
        std::snprintf(buffer, sizeof buffer, "move %d %d", a[0], a[1]);
        break;
    case DrawOp::Kind::Line:
        std::snprintf(buffer, sizeof buffer, "line %d %d", a[0], a[1]);
        break;
    case DrawOp::Kind::Arc:
        std::snprintf(buffer, sizeof buffer, "arc %d %d %d %d %d %d %d %d", a[0], a[1], a[2],
                      a[3], a[4], a[5], a[6], a[7]);
        break;
    case DrawOp::Kind::Text:
        std::snprintf(buffer, sizeof buffer, "text %d %d ", a[0], a[1]);
        return buffer + op.text;
    case DrawOp::Kind::Page:
        return "page";
    }
    return buffer;
}

} // namespace nirdal
