// Any typed text reads as a value or raises the conversion error; any finite value
// formats as at most 11 characters of digits, "-", "." and "E".
#include "core/numtext/numtext.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace nirdal;
    constexpr std::size_t kLongestTypedText = 249;
    const std::string_view text(reinterpret_cast<const char*>(data), std::min(size, kLongestTypedText));
    try {
        const Extended value = ParseNumber(text);
        if (!std::isfinite(value))
            std::abort();
    } catch (const ConversionError&) {
    }

    if (size >= 10) {
        Extended x = 0;
        std::memcpy(&x, data, 10);
        if (std::isfinite(x)) {
            const std::string shown = FormatNumber(x);
            if (shown.empty() || shown.size() > 11 ||
                shown.find_first_not_of("0123456789-.E") != std::string::npos)
                std::abort();
        }
    }
    return 0;
}
