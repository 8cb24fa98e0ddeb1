// SPDX-License-Identifier: MIT
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
#include <filesystem>
#include <limits>
#include <span>
#include <string>
#include <unistd.h>

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

/// A folder of its own for the run, in memory when the machine offers it; removed when the
/// run ends normally (a finding leaves it for a look).
class ScratchFolder
{
public:
    explicit ScratchFolder(const char* name)
    {
        namespace fs = std::filesystem;
        const fs::path base =
            fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / (std::string(name) + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr)
            Fail("cannot make a scratch folder", __LINE__);
        m_path = pattern;
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

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
