// SPDX-License-Identifier: MIT
#include "core/response/listing.h"

#include "core/numtext/numtext.h"

namespace nirdal {

namespace {

constexpr std::uint8_t kListingColumns[] = {1, 26};
constexpr std::uint8_t kHeaderRow = 4;

} // namespace

void WriteAt(Surface& surface, std::uint8_t column, std::uint8_t row, std::string_view text)
{
    surface.TextOut(10 * column, 10 * row, text);
}

void WriteListingHeader(Surface& surface)
{
    static const std::string top = " частота  частотные характеристики ";
    static const std::string bottom = " рад..с   вещественные   мнимая ";
    for (std::uint8_t column : kListingColumns) {
        WriteAt(surface, column, kHeaderRow, top);
        WriteAt(surface, column, kHeaderRow + 1, bottom);
    }
}

std::string ListingLineText(const ResponsePoint& point)
{
    // Positions count from 1; FormatNumber gives at most 11 characters, so the inserts
    // always land inside the text, and V ends the line whole, its exponent too.
    const std::string v = FormatNumber(point.V);
    std::string text = FormatNumber(point.Frequency) + std::string(26, ' ');
    text.insert(11, FormatNumber(point.U));
    text.insert(23, v);
    text.resize(23 + v.size());
    return text;
}

void WriteListingLine(Surface& surface, const ResponsePoint& point, std::uint16_t line)
{
    const std::string text = ListingLineText(point);
    if (line < 25)
        WriteAt(surface, kListingColumns[0], static_cast<std::uint8_t>(line + 5), text);
    else
        WriteAt(surface, kListingColumns[1], static_cast<std::uint8_t>(line - 18), text);
}

} // namespace nirdal
