// SPDX-License-Identifier: MIT
#include "core/settings/print_settings.h"

#include "core/settings/reestr.h"

namespace nirdal {

Extended PrintGain = 0;
std::int32_t PrintMethod = 0;

namespace {

constexpr const char* kSettingsKey = "\\SOFTWARE\\tarn5\\";
constexpr const char* kSettingsSubKey = "INF";

// Each setting keeps its accessor from start-up to the end; before start-up there is none
// and the operations leave the registry alone.
std::unique_ptr<Treestr_float> g_gainValue;
std::unique_ptr<Treestr_integer> g_methodValue;

} // namespace

void LoadPrintGain()
{
    if (!g_gainValue)
        return;
    g_gainValue->WriteDefault(1.0L);
    g_gainValue->Read(PrintGain);
}

void SavePrintGain()
{
    if (g_gainValue)
        g_gainValue->Write(PrintGain);
}

Extended GetPrintGain()
{
    return PrintGain;
}

void SetPrintGain(Extended gain)
{
    PrintGain = gain;
    SavePrintGain();
}

void LoadPrintMethod()
{
    if (!g_methodValue)
        return;
    g_methodValue->WriteDefault(2);
    g_methodValue->Read(PrintMethod);
}

void SavePrintMethod()
{
    if (g_methodValue)
        g_methodValue->Write(PrintMethod);
}

std::uint16_t GetPrintMethod()
{
    return static_cast<std::uint16_t>(PrintMethod);
}

void SetPrintMethod(std::uint16_t method)
{
    PrintMethod = method;
    SavePrintMethod();
}

void InitialiseSettings(std::shared_ptr<Registry> registry)
{
    g_gainValue =
        std::make_unique<Treestr_float>(kSettingsKey, kSettingsSubKey, "pecats", registry);
    LoadPrintGain();
    g_methodValue = std::make_unique<Treestr_integer>(kSettingsKey, kSettingsSubKey, "zadan",
                                                      std::move(registry));
    LoadPrintMethod();
}

void FinaliseSettings()
{
    SavePrintMethod();
    SavePrintGain();
}

void ResetSettings()
{
    g_gainValue.reset();
    g_methodValue.reset();
    PrintGain = 0;
    PrintMethod = 0;
}

} // namespace nirdal
