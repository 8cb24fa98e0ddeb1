// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace nirdal {

/// Value types, numbered as the system registry numbers them.
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;

/// One stored value: its type and its bytes, kept exactly as written.
struct RegistryValue
{
    std::uint32_t Type = kRegBinary;
    std::vector<std::uint8_t> Data;
    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

/// One connection to the machine-wide root with full access, as the program uses the system
/// registry. Key paths and value names are Windows-1251 text, compared without regard to
/// case; a key path that begins with a backslash is absolute from the root, any other is
/// relative to the current key. Destroying the connection releases it.
class RegistryConnection
{
public:
    virtual ~RegistryConnection() = default;

    /// Makes path the current key, creating missing keys when create is set. False when the
    /// key is missing, cannot be created, or the root may not be used.
    virtual bool OpenKey(std::string_view path, bool create) = 0;

    /// True when the key exists.
    virtual bool KeyExists(std::string_view path) = 0;

    /// Creates the key and its missing parents; true when it exists afterwards.
    virtual bool CreateKey(std::string_view path) = 0;

    /// True when the current key holds a value of that name.
    virtual bool ValueExists(std::string_view name) = 0;

    /// The value of that name in the current key, if there is one.
    virtual std::optional<RegistryValue> ReadValue(std::string_view name) = 0;

    /// Stores the value under that name in the current key; true when it is stored.
    virtual bool WriteValue(std::string_view name, const RegistryValue& value) = 0;
};

/// The machine-wide root of the registry.
class Registry
{
public:
    virtual ~Registry() = default;

    /// A fresh connection that sees the stored state as it is now.
    virtual std::unique_ptr<RegistryConnection> Connect() = 0;
};

} // namespace nirdal
