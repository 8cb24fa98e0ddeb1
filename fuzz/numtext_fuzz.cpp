// SPDX-License-Identifier: MIT
// Any typed text is read as a finite number exactly when it is one by the grammar below, or
// refused with a short message free of control characters; any finite value is shown as at
// most 11 characters that read back as a value shown the same, and its shortest text reads
// back as the value itself.
#include "core/numtext/numtext.h"
#include "core/tf/general_text.h"
#include "fuzz_input.h"

#include <cmath>
#include <cstdint>
#include <regex>
#include <string>
#include <string_view>

namespace {

// The grammar, written apart from the reader's own scanner.
bool IsNumberText(const std::string& text)
{
    static const std::regex number(
        "[ \t]*[+-]?([0-9]+[.,]?[0-9]*|[.,][0-9]+)([eE][+-]?[0-9]+)?[ \t]*");
    return std::regex_match(text, number);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace nirdal;
    constexpr std::size_t kLongestTypedText = 249;
    const std::string text(reinterpret_cast<const char*>(data), std::min(size, kLongestTypedText));
    const auto read = ReadNumber(text);
    if (read)
        FUZZ_EXPECT(std::isfinite(*read) && IsNumberText(text));
    try {
        const Extended value = ParseNumber(text);
        FUZZ_EXPECT(read && value == *read);
    } catch (const ConversionError& error) {
        FUZZ_EXPECT(!read);
        const std::string message = error.what();
        FUZZ_EXPECT(message.size() < 400);
        for (char c : message)
            FUZZ_EXPECT(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
        // A number by the grammar is refused only for its size.
        if (IsNumberText(text))
            FUZZ_EXPECT(message.find("пределов") != std::string::npos);
    }

    if (size >= 10) {
        // The FPU's sum takes a pseudo-denormal pattern, which no computation makes, to the
        // value the FPU reads it as; the C library would read the pattern otherwise.
        volatile Extended zero = 0;
        const Extended x = fuzz::ExtendedFromBytes({data, 10}) + zero;
        if (std::isfinite(x)) {
            const std::string shown = FormatNumber(x);
            FUZZ_EXPECT(!shown.empty() && shown.size() <= 11);
            FUZZ_EXPECT(shown.find_first_not_of("0123456789-.E") == std::string::npos);
            const auto back = ReadNumber(shown);
            FUZZ_EXPECT(back && FormatNumber(*back) == shown);
            FUZZ_EXPECT(ReadNumber(ShortestText(x)) == x);
            if (std::isnormal(x)) {
                const auto general = ReadNumber(GeneralText(x, ','));
                FUZZ_EXPECT(general && std::fabs(*general - x) <= std::fabs(x) * 1e-14L);
            }
        }
    }
    return 0;
}
