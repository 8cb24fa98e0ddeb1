// SPDX-License-Identifier: MIT
#include "core/settings/print_settings.h"

#include "core/settings/reestr.h"

#include <optional>

namespace nirdal {

namespace {

constexpr const char* kSettingsKey = "\\SOFTWARE\\tarn5\\";
constexpr const char* kSettingsSubKey = "INF";

// The registry value of each setting; nothing before start-up.
std::optional<Treestr_float> GainValue(const PrintChoice& choice)
{
    if (!choice.Store)
        return std::nullopt;
    return std::make_optional<Treestr_float>(kSettingsKey, kSettingsSubKey, "pecats", choice.Store);
}

std::optional<Treestr_integer> MethodValue(const PrintChoice& choice)
{
    if (!choice.Store)
        return std::nullopt;
    return std::make_optional<Treestr_integer>(kSettingsKey, kSettingsSubKey, "zadan",
                                               choice.Store);
}

} // namespace

void LoadPrintGain(PrintChoice& choice)
{
    if (const auto value = GainValue(choice)) {
        value->WriteDefault(1.0L);
        value->Read(choice.Gain);
    }
}

void SavePrintGain(const PrintChoice& choice)
{
    if (const auto value = GainValue(choice))
        value->Write(choice.Gain);
}

Extended GetPrintGain(const PrintChoice& choice)
{
    return choice.Gain;
}

void SetPrintGain(PrintChoice& choice, Extended gain)
{
    choice.Gain = gain;
    SavePrintGain(choice);
}

void LoadPrintMethod(PrintChoice& choice)
{
    if (const auto value = MethodValue(choice)) {
        value->WriteDefault(2);
        value->Read(choice.Method);
    }
}

void SavePrintMethod(const PrintChoice& choice)
{
    if (const auto value = MethodValue(choice))
        value->Write(choice.Method);
}

std::uint16_t GetPrintMethod(const PrintChoice& choice)
{
    return static_cast<std::uint16_t>(choice.Method);
}

void SetPrintMethod(PrintChoice& choice, std::uint16_t method)
{
    choice.Method = method;
    SavePrintMethod(choice);
}

void InitialiseSettings(PrintChoice& choice, std::shared_ptr<Registry> registry)
{
    choice.Store = std::move(registry);
    LoadPrintGain(choice);
    LoadPrintMethod(choice);
}

void FinaliseSettings(const PrintChoice& choice)
{
    SavePrintMethod(choice);
    SavePrintGain(choice);
}

} // namespace nirdal
