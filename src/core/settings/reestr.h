// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"
#include "platform/file_registry.h"
#include "platform/registry.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace nirdal {

/// Names one registry value under the machine-wide root by key path and value name. Every
/// read or write connects to the registry afresh and lets go of it before it returns, so
/// nothing stays open between operations and another program's change is seen at once.
class Treestr_
{
public:
    /// Stores the names; touches no registry. KeyPath is RootPath followed by SubKey.
    Treestr_(std::string rootPath, std::string subKey, std::string valueName,
             std::shared_ptr<Registry> registry = MachineRegistry());

    const std::string RootPath;  ///< absolute key path ending in a backslash
    const std::string SubKey;    ///< the key under RootPath that holds the value
    const std::string KeyPath;   ///< RootPath + SubKey
    const std::string ValueName; ///< the value inside KeyPath

protected:
    /// The stored value; nothing when KeyPath does not open or lacks the value.
    std::optional<RegistryValue> ReadStored() const;

    /// Stores value under ValueName, making the keys that are missing; with onlyIfMissing,
    /// a value already stored under that name is kept. Fails silently.
    void Store(const RegistryValue& value, bool onlyIfMissing) const;

private:
    std::shared_ptr<Registry> m_registry;
};

/// A 32-bit signed integer kept as REG_DWORD.
class Treestr_integer : public Treestr_
{
public:
    using Treestr_::Treestr_;

    /// Sets value to the stored REG_DWORD; leaves it as it was when there is none.
    void Read(std::int32_t& value) const;

    /// Stores value, creating the key where needed.
    void Write(std::int32_t value) const;

    /// Stores value only when nothing is stored under the name yet.
    void WriteDefault(std::int32_t value) const;
};

/// A real kept as REG_BINARY of 8 bytes: an IEEE double, little-endian.
class Treestr_float : public Treestr_
{
public:
    using Treestr_::Treestr_;

    /// Sets value to the stored double, widened; leaves it as it was when nothing of exactly
    /// 8 binary bytes is stored.
    void Read(Extended& value) const;

    /// Stores value rounded to the nearest double, creating the key where needed.
    void Write(Extended value) const;

    /// Stores value only when nothing is stored under the name yet.
    void WriteDefault(Extended value) const;
};

} // namespace nirdal
