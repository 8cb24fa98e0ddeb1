// SPDX-License-Identifier: MIT
#pragma once

#include "platform/registry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nirdal {

/// One value of a key; an empty name is the key's default value ("@").
struct RegistryEntry
{
    std::string Name;
    RegistryValue Value;
    friend bool operator==(const RegistryEntry&, const RegistryEntry&) = default;
};

/// One key below HKEY_LOCAL_MACHINE: its path (components joined by backslashes, no
/// leading one) and its values in the order they are listed.
struct RegistrySection
{
    std::string Path;
    std::vector<RegistryEntry> Values;
    friend bool operator==(const RegistrySection&, const RegistrySection&) = default;
};

/// The keys of the machine-wide root in the order they are listed. Texts are UTF-8, as in
/// the file.
using RegistryContent = std::vector<RegistrySection>;

/// Reads the registry-export text administrators know ("Windows Registry Editor Version
/// 5.00", [HKEY_LOCAL_MACHINE\...] sections, "name"=dword:/hex:/hex(n):/"text" values);
/// nothing when any line is outside that format. Empty text is an empty registry.
std::optional<RegistryContent> ParseRegistryText(std::string_view text);

/// Writes content as registry-export text, hex data wrapped as the registry editor wraps
/// it. Parsing the result gives the same content, and formatting that gives the same bytes.
std::string FormatRegistryText(const RegistryContent& content);

/// Key and value names compare without regard to the case of Latin letters.
bool SameRegistryName(std::string_view a, std::string_view b);

} // namespace nirdal
