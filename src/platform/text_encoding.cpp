// SPDX-License-Identifier: MIT
#include "platform/text_encoding.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace nirdal {

namespace {

// One iconv conversion; on an input byte sequence the target lacks or that is malformed,
// writes `replacement` and skips one input character.
std::string Convert(const char* from, const char* to, std::string_view input,
                    std::string_view replacement, bool inputIsUtf8)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("no converter from ") + from + " to " + to);

    std::string output;
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char chunk[256];
    while (inLeft > 0) {
        char* out = chunk;
        std::size_t outLeft = sizeof chunk;
        const std::size_t done = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(chunk, static_cast<std::size_t>(out - chunk));
        if (done != static_cast<std::size_t>(-1) || errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: replace one character and go on after it.
        output += replacement;
        std::size_t skip = 1;
        if (inputIsUtf8) {
            const auto lead = static_cast<unsigned char>(*in);
            const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            skip = 1;
            while (skip < length && skip < inLeft &&
                   (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80)
                ++skip;
        }
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return output;
}

} // namespace

std::string Cp1251ToUtf8(std::string_view cp1251)
{
    // Byte 0x98 is the one position Windows-1251 leaves unassigned.
    return Convert("CP1251", "UTF-8", cp1251, "\xEF\xBF\xBD", false);
}

std::string Utf8ToCp1251(std::string_view utf8)
{
    return Convert("UTF-8", "CP1251", utf8, "?", true);
}

} // namespace nirdal
