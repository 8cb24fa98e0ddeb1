// SPDX-License-Identifier: MIT
#pragma once

// The two stored settings as another program finds them in the registry file.

#include "platform/registry.h"

#include <bit>
#include <cstdint>
#include <optional>

namespace nirdal::testing {

inline constexpr const char* kSettingsKey = "\\SOFTWARE\\tarn5\\INF";

/// The value of that name in the settings key, if there is one.
inline std::optional<RegistryValue> StoredSetting(Registry& registry, const char* name)
{
    const auto connection = registry.Connect();
    if (!connection->OpenKey(kSettingsKey, false))
        return std::nullopt;
    return connection->ReadValue(name);
}

/// A gain as it is stored: an 8-byte double, little-endian.
inline RegistryValue StoredGain(double gain)
{
    RegistryValue value{kRegBinary, {}};
    const auto bits = std::bit_cast<std::uint64_t>(gain);
    for (int i = 0; i < 8; ++i)
        value.Data.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    return value;
}

/// A print method as it is stored: a 32-bit integer, little-endian.
inline RegistryValue StoredMethod(std::uint32_t method)
{
    return {kRegDword,
            {static_cast<std::uint8_t>(method), static_cast<std::uint8_t>(method >> 8),
             static_cast<std::uint8_t>(method >> 16), static_cast<std::uint8_t>(method >> 24)}};
}

} // namespace nirdal::testing
