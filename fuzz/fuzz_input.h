// Decoding of fuzz bytes into the values the core is handed, and the check that stops a
// fuzz run when an expectation fails.
#pragma once

#include "core/common/extended.h"
#include "core/numtext/numtext.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <span>

namespace nirdal::fuzz {

/// Stops the run with the failed expectation, so libFuzzer saves the input.
[[noreturn]] inline void Fail(const char* what, int line)
{
    std::fprintf(stderr, "expectation failed (line %d): %s\n", line, what);
    std::abort();
}

#define FUZZ_EXPECT(condition)                                                                     \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::nirdal::fuzz::Fail(#condition, __LINE__);                                            \
    } while (false)

/// An 80-bit value from the 10 bytes of its memory layout, zero-padded when bytes run out:
/// any sign, exponent and mantissa, the encodings the arithmetic rejects included.
inline Extended ExtendedFromBytes(std::span<const std::uint8_t> bytes)
{
    std::array<std::uint8_t, 10> pattern{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), pattern.size()), pattern.begin());
    Extended x = 0;
    std::memcpy(&x, pattern.data(), pattern.size());
    return x;
}

/// A value as it can reach the computation: typed text, zero, denormal, huge, NaN,
/// infinity, a small whole number, or a raw 80-bit pattern.
inline Extended AnyExtended(FuzzedDataProvider& input)
{
    using Limits = std::numeric_limits<Extended>;
    const Extended sign = input.ConsumeBool() ? -1.0L : 1.0L;
    switch (input.ConsumeIntegralInRange(0, 7)) {
    case 0:
        return sign * 0.0L;
    case 1:
        return sign * Limits::denorm_min() * (1 + input.ConsumeIntegral<std::uint16_t>());
    case 2:
        return sign * (Limits::max() / (1 + input.ConsumeIntegral<std::uint16_t>()));
    case 3:
        return Limits::quiet_NaN();
    case 4:
        return sign * Limits::infinity();
    case 5:
        try {
            return ParseNumber(input.ConsumeRandomLengthString(24));
        } catch (const ConversionError&) {
            return 0;
        }
    case 6:
        return sign * input.ConsumeIntegralInRange(1, 100);
    default: {
        const auto bytes = input.ConsumeBytes<std::uint8_t>(10);
        return ExtendedFromBytes(bytes);
    }
    }
}

} // namespace nirdal::fuzz
