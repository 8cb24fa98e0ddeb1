// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/surface.h"
#include "core/tf/response_store.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace nirdal {

/// Draws text at grid position (column, row): x = 10·column, y = 10·row pixels.
void WriteAt(Surface& surface, std::uint8_t column, std::uint8_t row, std::string_view text);

/// The two header rows (4 and 5) above each listing column (grid column 1, then 26).
void WriteListingHeader(Surface& surface);

/// One point's line as listed: ω from position 1, U from 12, V from 24 to its end.
std::string ListingLineText(const ResponsePoint& point);

/// Writes one point's line; line 2..24 goes to column 1 row line + 5, line 25..46 to
/// column 26 row line − 18.
void WriteListingLine(Surface& surface, const ResponsePoint& point, std::uint16_t line);

} // namespace nirdal
