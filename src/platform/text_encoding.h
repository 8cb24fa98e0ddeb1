// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace nirdal {

/// Windows-1251 bytes, as the program keeps its texts, to UTF-8 for the desktop.
std::string Cp1251ToUtf8(std::string_view cp1251);

/// UTF-8 to Windows-1251; a character the code page lacks, or a malformed byte,
/// becomes "?" so nothing is dropped silently.
std::string Utf8ToCp1251(std::string_view utf8);

} // namespace nirdal
