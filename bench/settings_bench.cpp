// SPDX-License-Identifier: MIT
#include "core/settings/print_settings.h"
#include "platform/file_registry.h"
#include "platform/registry_text.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

// Registry text with count keys of one value each, or one key of count values: an installer
// or a careless script can leave either in the settings file.
std::string ManyEntries(int count, bool keys)
{
    std::string text = "Windows Registry Editor Version 5.00\n\n";
    if (!keys)
        text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\tarn5\\INF]\n";
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        if (keys)
            text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\k" + n + "]\n";
        text += "\"v" + n + "\"=dword:1\n";
    }
    return text;
}

void BM_ParseRegistryText(benchmark::State& state, bool keys)
{
    const std::string text = ManyEntries(static_cast<int>(state.range(0)), keys);
    for (auto _ : state) {
        auto content = nirdal::ParseRegistryText(text);
        if (!content)
            throw std::logic_error("the generated registry text does not parse");
        benchmark::DoNotOptimize(content);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK_CAPTURE(BM_ParseRegistryText, Keys, true)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ParseRegistryText, Values, false)->Arg(40000)->Unit(benchmark::kMillisecond);

// Start-up's settings: a default written where missing and both values read, from a settings
// file of 40,000 values in the settings key (720 KB, under the 1 MB the reader accepts).
void BM_InitialiseSettings(benchmark::State& state)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "nirdal-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary folder");
    const std::filesystem::path root = pattern;
    const auto registry = std::make_shared<nirdal::FileRegistry>(root);
    std::filesystem::create_directories(registry->FilePath().parent_path());
    std::ofstream(registry->FilePath(), std::ios::binary)
        << ManyEntries(static_cast<int>(state.range(0)), false);
    for (auto _ : state) {
        nirdal::PrintChoice choice;
        nirdal::InitialiseSettings(choice, registry);
    }
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_InitialiseSettings)->Arg(40000)->Unit(benchmark::kMillisecond);

} // namespace
