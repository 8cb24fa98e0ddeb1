// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nirdal {

/// UTF-8 text as a terminal may be given it: C0 controls and DEL as "\x1b", C1 controls
/// (U+0080..U+009F) as "\u009b", all else as it is; so a name cannot move the cursor,
/// retitle the window or clear the screen.
std::string TerminalText(std::string_view text);

/// At most the first `characters` characters of UTF-8 text, with "…" when some were cut: a
/// message names an offending field without repeating all of it.
std::string Excerpt(std::string_view text, std::size_t characters = 80);

/// An argument quoted in a message: its first 80 characters, controls escaped, in quotes.
std::string QuotedArgument(std::string_view argument);

} // namespace nirdal
