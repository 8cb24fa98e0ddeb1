// SPDX-License-Identifier: MIT
// Any typed text reads as a finite value of the right sign and size, or raises the
// conversion error, which nine integer and seven fraction digits never do; any finite value
// formats as at most 11 characters of digits, "-", "." and "E".
#include "core/numtext/numtext.h"
#include "fuzz_input.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Whether the text has at most nine digits before its first non-digit and at most seven
// after it: inputs that always convert.
bool AlwaysConverts(std::string_view text)
{
    if (text.starts_with('-'))
        text.remove_prefix(1);
    std::size_t integerDigits = 0;
    while (integerDigits < text.size() && IsDigit(text[integerDigits]))
        ++integerDigits;
    std::size_t fractionDigits = 0;
    for (char c : text.substr(integerDigits))
        fractionDigits += IsDigit(c) ? 1 : 0;
    return integerDigits <= 9 && fractionDigits <= 7;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace nirdal;
    constexpr std::size_t kLongestTypedText = 249;
    const std::string_view text(reinterpret_cast<const char*>(data),
                                std::min(size, kLongestTypedText));
    try {
        const Extended value = ParseNumber(text);
        FUZZ_EXPECT(std::isfinite(value));
        FUZZ_EXPECT(std::fabs(value) < 2147483648.0L);
        if (value != 0)
            FUZZ_EXPECT((value < 0) == text.starts_with('-'));
    } catch (const ConversionError&) {
        FUZZ_EXPECT(!AlwaysConverts(text));
    }

    if (size >= 10) {
        const Extended x = fuzz::ExtendedFromBytes({data, 10});
        if (std::isfinite(x)) {
            const std::string shown = FormatNumber(x);
            FUZZ_EXPECT(!shown.empty() && shown.size() <= 11);
            FUZZ_EXPECT(shown.find_first_not_of("0123456789-.E") == std::string::npos);
        }
    }
    return 0;
}
