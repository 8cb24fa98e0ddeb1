// SPDX-License-Identifier: MIT
#include "core/common/safe_text.h"

#include <cstdio>

namespace nirdal {

std::string TerminalText(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        char escape[8];
        if (byte < 0x20 || byte == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            shown += escape;
        } else if (byte == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            // U+0080..U+009F: an 8-bit terminal takes these as CSI, OSC and the like.
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(text[++i]));
            shown += escape;
        } else {
            shown += text[i];
        }
    }
    return shown;
}

std::string Excerpt(std::string_view text, std::size_t characters)
{
    std::size_t end = 0, counted = 0;
    int continuations = 0; // continuation bytes the last lead byte announced and not yet seen
    while (end < text.size()) {
        // A character starts at a lead byte, or at a continuation byte that no lead byte
        // announced: a run of stray continuation bytes counts byte by byte.
        const auto byte = static_cast<unsigned char>(text[end]);
        const bool continuation = (byte >> 6) == 2 && continuations > 0;
        if (continuation)
            --continuations;
        else
            continuations = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
        if (!continuation && counted++ == characters)
            return std::string(text.substr(0, end)) + "…";
        ++end;
    }
    return std::string(text);
}

std::string QuotedArgument(std::string_view argument)
{
    return "'" + TerminalText(Excerpt(argument)) + "'";
}

} // namespace nirdal
