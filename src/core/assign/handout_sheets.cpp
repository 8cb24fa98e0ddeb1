// SPDX-License-Identifier: MIT
#include "core/assign/handout_sheets.h"

#include "core/assign/formula_layout.h"
#include "core/common/word_wrap.h"

#include <algorithm>

namespace nirdal {

namespace {

constexpr double kSheetWidthMm = 210;
constexpr double kMarginMm = 12;    // left and right of a slip's content
constexpr double kSheetEdgeMm = 8;  // above the first slip and below the last
constexpr double kPaddingMm = 5;    // inside a slip, above and below its content
constexpr double kDashMm = 3, kDashGapMm = 2;
constexpr int kHeadingPoints = 11, kBodyPoints = 10, kFormulaPoints = 13;

// One slip laid out from its top: measured with draw false, drawn with draw true.
class SlipWriter
{
public:
    SlipWriter(Surface& surface, double dotsPerMm, bool draw, int top)
        : m_surface(surface), m_dotsPerMm(dotsPerMm), m_draw(draw), m_y(top)
    {
        m_left = Mm(kMarginMm);
        m_right = static_cast<int>(kSheetWidthMm * dotsPerMm) - Mm(kMarginMm);
    }

    int Mm(double millimetres) const { return static_cast<int>(millimetres * m_dotsPerMm + 0.5); }
    int Bottom() const { return m_y; }
    void Skip(double millimetres) { m_y += Mm(millimetres); }

    void Line(const std::string& text, int points)
    {
        m_surface.SetFontSize(points);
        if (m_draw)
            m_surface.TextOut(m_left, m_y, text);
        m_y += m_surface.MeasureText(text).LineSpacing;
    }

    void Paragraph(const std::string& text, int points)
    {
        m_surface.SetFontSize(points);
        for (const std::string& line : WrapWords(m_surface, text, m_right - m_left))
            Line(line, points);
    }

    void Formula(const FormulaBox& box)
    {
        if (m_draw)
            DrawFormula(m_surface, box, m_left, m_y + box.Up);
        m_y += box.Up + box.Down;
    }

    // "heading  X3 = …   X2 = …": the items flow on under the heading's end, never split.
    void Coefficients(const std::string& heading, char letter, const std::vector<std::string>& texts)
    {
        m_surface.SetFontSize(kBodyPoints);
        const TextExtent head = m_surface.MeasureText(heading + "  ");
        const int indent = m_left + head.Width;
        const int gap = m_surface.MeasureText("   ").Width;
        if (m_draw)
            m_surface.TextOut(m_left, m_y, heading);
        int x = indent;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const std::string item =
                letter + std::to_string(texts.size() - 1 - i) + " = " + texts[i];
            const int width = m_surface.MeasureText(item).Width;
            if (x > indent && x + width > m_right) {
                x = indent;
                m_y += head.LineSpacing;
            }
            if (m_draw)
                m_surface.TextOut(x, m_y, item);
            x += width + gap;
        }
        m_y += head.LineSpacing;
    }

    // Two ruled places to a row: the label, then a line to the end of its half.
    void Answers(const std::vector<std::string>& labels)
    {
        m_surface.SetFontSize(kBodyPoints);
        const int half = (m_right - m_left) / 2;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const int left = m_left + static_cast<int>(i % 2) * half;
            const TextExtent extent = m_surface.MeasureText(labels[i]);
            const int rowHeight = extent.LineSpacing * 8 / 5;
            if (m_draw) {
                const int baseline = m_y + rowHeight - extent.LineSpacing / 4;
                m_surface.TextOut(left, baseline - extent.LineSpacing * 4 / 5, labels[i]);
                m_surface.SetPen(1, Rgb{});
                m_surface.MoveTo(left + extent.Width + Mm(2), baseline);
                m_surface.LineTo(left + half - Mm(4), baseline);
            }
            if (i % 2 == 1 || i + 1 == labels.size())
                m_y += rowHeight;
        }
    }

private:
    Surface& m_surface;
    double m_dotsPerMm;
    bool m_draw;
    int m_y, m_left = 0, m_right = 0;
};

struct ReadSlip
{
    Expression Numerator, Denominator;
};

// Lays out (draw false) or draws one slip from top; returns where it ends.
int Slip(Surface& surface, double dotsPerMm, bool draw, int top, const std::string& task,
         const HandoutSlip& slip, const ReadSlip& formula)
{
    SlipWriter writer(surface, dotsPerMm, draw, top);
    writer.Skip(kPaddingMm);
    std::string heading = "Группа " + slip.Group + "    " + slip.Surname;
    if (slip.Variant != 0)
        heading += "    Вариант " + std::to_string(slip.Variant);
    writer.Line(heading, kHeadingPoints);
    writer.Skip(1.5);
    writer.Paragraph(task, kBodyPoints);
    writer.Skip(2);
    const int width = writer.Mm(kSheetWidthMm - 2 * kMarginMm);
    writer.Formula(TypesetTransferFunction(surface, *formula.Numerator.Root,
                                           *formula.Denominator.Root, slip.Delay, kFormulaPoints,
                                           width));
    writer.Skip(2);
    writer.Coefficients("Числитель, m = " + std::to_string(slip.Numerator.size() - 1) + ":", 'B',
                        slip.Numerator);
    writer.Coefficients("Знаменатель, n = " + std::to_string(slip.Denominator.size() - 1) + ":",
                        'A', slip.Denominator);
    writer.Line("Запаздывание: T = " + slip.Delay + " с", kBodyPoints);
    writer.Skip(1);
    std::vector<std::string> labels{"Устойчивость:", "Запас по амплитуде:", "Запас по фазе, °:",
                                    "Критический коэффициент усиления:"};
    if (slip.AsksDelayMargin)
        labels.push_back("Запас по запаздыванию, с:");
    writer.Answers(labels);
    writer.Skip(kPaddingMm);
    return writer.Bottom();
}

void DashedLine(Surface& surface, double dotsPerMm, int y, int width)
{
    const auto mm = [&](double v) { return static_cast<int>(v * dotsPerMm + 0.5); };
    surface.SetPen(1, Rgb{});
    for (int x = mm(5); x < width - mm(5); x += mm(kDashMm + kDashGapMm)) {
        surface.MoveTo(x, y);
        surface.LineTo(std::min(x + mm(kDashMm), width - mm(5)), y);
    }
}

} // namespace

bool DrawHandout(PageSurface& sheets, std::string_view task, const std::vector<HandoutSlip>& slips,
                 std::string& error)
{
    std::vector<ReadSlip> formulas(slips.size());
    for (std::size_t i = 0; i < slips.size(); ++i) {
        if (!ReadNumericExpression(slips[i].NumeratorFormula, formulas[i].Numerator, error) ||
            !ReadNumericExpression(slips[i].DenominatorFormula, formulas[i].Denominator, error)) {
            error = "the formula of " + slips[i].Group + " " + slips[i].Surname + ": " + error;
            return false;
        }
    }
    const DeviceSize sheet = sheets.PrintableArea();
    const double dotsPerMm = sheet.Width / kSheetWidthMm;
    const std::string taskText(task);
    const int edge = static_cast<int>(kSheetEdgeMm * dotsPerMm);
    int y = edge;
    for (std::size_t i = 0; i < slips.size(); ++i) {
        const int height = Slip(sheets, dotsPerMm, false, 0, taskText, slips[i], formulas[i]);
        if (y > edge && y + height > sheet.Height - edge) {
            sheets.NewPage();
            y = edge;
        }
        if (y > edge)
            DashedLine(sheets, dotsPerMm, y, sheet.Width);
        y = Slip(sheets, dotsPerMm, true, y, taskText, slips[i], formulas[i]);
    }
    return true;
}

} // namespace nirdal
