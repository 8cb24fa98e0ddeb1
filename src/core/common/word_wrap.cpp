// SPDX-License-Identifier: MIT
#include "core/common/word_wrap.h"

namespace nirdal {

std::vector<std::string> WrapWords(Surface& surface, std::string_view text, int width)
{
    std::vector<std::string> lines;
    std::string line;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t start = text.find_first_not_of(' ', at);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(text.find(' ', start), text.size());
        const std::string_view word = text.substr(start, end - start);
        const std::string longer = line.empty() ? std::string(word) : line + " " + std::string(word);
        if (!line.empty() && surface.MeasureText(longer).Width > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = longer;
        }
        at = end;
    }
    if (!line.empty() || lines.empty())
        lines.push_back(line);
    return lines;
}

} // namespace nirdal
