// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/surface.h"

#include <string>
#include <string_view>
#include <vector>

namespace nirdal {

/// text in lines no wider than width in the surface's current font, broken
/// at blanks only: a word wider than width keeps a line of its own.
std::vector<std::string> WrapWords(Surface& surface, std::string_view text, int width);

} // namespace nirdal
