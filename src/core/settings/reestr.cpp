// SPDX-License-Identifier: MIT
#include "core/settings/reestr.h"

#include <bit>

namespace nirdal {

namespace {

RegistryValue LittleEndian(std::uint32_t type, std::uint64_t bits, std::size_t size)
{
    RegistryValue value{type, {}};
    for (std::size_t i = 0; i < size; ++i)
        value.Data.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    return value;
}

// The bits of a stored value of that type and size, or nothing.
std::optional<std::uint64_t> Bits(const std::optional<RegistryValue>& value, std::uint32_t type,
                                  std::size_t size)
{
    if (!value || value->Type != type || value->Data.size() != size)
        return std::nullopt;
    std::uint64_t bits = 0;
    for (std::size_t i = size; i-- > 0;)
        bits = bits << 8 | value->Data[i];
    return bits;
}

RegistryValue DwordValue(std::int32_t number)
{
    return LittleEndian(kRegDword, static_cast<std::uint32_t>(number), 4);
}

RegistryValue DoubleValue(Extended number)
{
    return LittleEndian(kRegBinary, std::bit_cast<std::uint64_t>(static_cast<double>(number)), 8);
}

} // namespace

Treestr_::Treestr_(std::string rootPath, std::string subKey, std::string valueName,
                   std::shared_ptr<Registry> registry)
    : RootPath(std::move(rootPath)), SubKey(std::move(subKey)), KeyPath(RootPath + SubKey),
      ValueName(std::move(valueName)), m_registry(std::move(registry))
{
}

std::optional<RegistryValue> Treestr_::ReadStored() const
{
    const auto registry = m_registry->Connect();
    if (!registry->OpenKey(KeyPath, false))
        return std::nullopt;
    return registry->ReadValue(ValueName);
}

void Treestr_::Store(const RegistryValue& value, bool onlyIfMissing) const
{
    const auto registry = m_registry->Connect();
    if (!registry->OpenKey(RootPath, true))
        return;
    if (onlyIfMissing && registry->OpenKey(KeyPath, false) && registry->ValueExists(ValueName))
        return;
    if (!registry->KeyExists(KeyPath))
        registry->CreateKey(KeyPath);
    // A value that cannot be stored leaves the setting as it was on disk; the program goes on.
    if (registry->OpenKey(KeyPath, false))
        registry->WriteValue(ValueName, value);
}

void Treestr_integer::Read(std::int32_t& value) const
{
    if (const auto bits = Bits(ReadStored(), kRegDword, 4))
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(*bits));
}

void Treestr_integer::Write(std::int32_t value) const
{
    Store(DwordValue(value), false);
}

void Treestr_integer::WriteDefault(std::int32_t value) const
{
    Store(DwordValue(value), true);
}

void Treestr_float::Read(Extended& value) const
{
    if (const auto bits = Bits(ReadStored(), kRegBinary, 8))
        value = std::bit_cast<double>(*bits);
}

void Treestr_float::Write(Extended value) const
{
    Store(DoubleValue(value), false);
}

void Treestr_float::WriteDefault(Extended value) const
{
    Store(DoubleValue(value), true);
}

} // namespace nirdal
