// SPDX-License-Identifier: MIT
// Any bytes as the registry file: a parse or a rejection, and every accepted parse written
// and read again gives back every key and value bit for bit. The file registry keeps a
// rejected file aside whole and starts empty, reads an accepted one as parsed, and a value
// written through it reads back while every other value stays. The same bytes also make up
// keys and values such as the file registry can be asked to store, whose text must read
// back whole.
#include "fuzz_input.h"
#include "platform/file_registry.h"
#include "platform/registry_text.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

using namespace nirdal;

void ExpectRoundTrip(const RegistryContent& content)
{
    const std::string text = FormatRegistryText(content);
    const auto again = ParseRegistryText(text);
    FUZZ_EXPECT(again.has_value());
    FUZZ_EXPECT(*again == content);
    FUZZ_EXPECT(FormatRegistryText(*again) == text);
}

// A key path the file registry accepts: not empty, no empty component, no line break.
std::string KeyPath(FuzzedDataProvider& input)
{
    std::string path = input.ConsumeRandomLengthString(40);
    std::replace(path.begin(), path.end(), '\r', '_');
    std::replace(path.begin(), path.end(), '\n', '_');
    std::string clean;
    for (char c : path) {
        if (c == '\\' && (clean.empty() || clean.back() == '\\'))
            continue;
        clean += c;
    }
    while (!clean.empty() && clean.back() == '\\')
        clean.pop_back();
    return clean.empty() ? "key" : clean;
}

namespace fs = std::filesystem;

const fs::path& Root()
{
    static const fuzz::ScratchFolder folder("nirdal-registry-fuzz");
    return folder.Path();
}

std::string ReadWhole(const fs::path& file)
{
    std::string text;
    if (std::FILE* in = std::fopen(file.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
            text.append(buffer, got);
        std::fclose(in);
    }
    return text;
}

void WriteWhole(const fs::path& file, std::string_view text)
{
    fs::create_directories(file.parent_path());
    std::FILE* out = std::fopen(file.c_str(), "wb");
    FUZZ_EXPECT(out != nullptr);
    FUZZ_EXPECT(std::fwrite(text.data(), 1, text.size(), out) == text.size());
    FUZZ_EXPECT(std::fclose(out) == 0);
}

const RegistryEntry* Find(const RegistryContent& content, std::string_view path,
                          std::string_view name)
{
    for (const RegistrySection& section : content) {
        if (!SameRegistryName(section.Path, path))
            continue;
        for (const RegistryEntry& entry : section.Values)
            if (SameRegistryName(entry.Name, name))
                return &entry;
    }
    return nullptr;
}

bool PrintableAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

void ExpectFileRegistry(std::string_view text, const std::optional<RegistryContent>& parsed)
{
    const fs::path folder = Root() / "registry";
    std::error_code error;
    fs::remove_all(folder, error);
    FileRegistry registry(Root());
    WriteWhole(registry.FilePath(), text);

    const auto connection = registry.Connect();
    if (parsed) {
        FUZZ_EXPECT(ReadWhole(registry.FilePath()) == text);
        for (const RegistrySection& section : *parsed) {
            if (!PrintableAscii(section.Path))
                continue;
            FUZZ_EXPECT(connection->OpenKey("\\" + section.Path, false));
            for (const RegistryEntry& entry : section.Values)
                if (PrintableAscii(entry.Name))
                    FUZZ_EXPECT(connection->ReadValue(entry.Name) == entry.Value);
        }
    } else {
        // Kept aside byte for byte, and the registry starts empty.
        FUZZ_EXPECT(!fs::exists(registry.FilePath()));
        int aside = 0;
        for (const auto& file : fs::directory_iterator(folder)) {
            FUZZ_EXPECT(file.path().filename().string().starts_with("machine.reg.corrupt-"));
            FUZZ_EXPECT(ReadWhole(file.path()) == text);
            ++aside;
        }
        FUZZ_EXPECT(aside == 1);
        FUZZ_EXPECT(!connection->KeyExists("\\SOFTWARE"));
    }

    const RegistryValue gain{kRegBinary, {0, 0, 0, 0, 0, 0, 8, 0x40}};
    FUZZ_EXPECT(connection->OpenKey("\\SOFTWARE\\tarn5\\INF", true));
    FUZZ_EXPECT(connection->WriteValue("pecats", gain));

    const auto again = registry.Connect();
    FUZZ_EXPECT(again->OpenKey("\\SOFTWARE\\tarn5\\INF", false));
    FUZZ_EXPECT(again->ReadValue("pecats") == gain);
    const auto written = ParseRegistryText(ReadWhole(registry.FilePath()));
    FUZZ_EXPECT(written.has_value());
    for (const RegistrySection& section : parsed ? *parsed : RegistryContent{}) {
        for (const RegistryEntry& entry : section.Values) {
            const RegistryEntry* kept = Find(*written, section.Path, entry.Name);
            FUZZ_EXPECT(kept != nullptr);
            if (!SameRegistryName(section.Path, "SOFTWARE\\tarn5\\INF") ||
                !SameRegistryName(entry.Name, "pecats"))
                FUZZ_EXPECT(kept->Value == entry.Value);
        }
    }
}

RegistryContent ContentFromBytes(FuzzedDataProvider& input)
{
    RegistryContent content;
    const int sections = input.ConsumeIntegralInRange(0, 4);
    for (int s = 0; s < sections; ++s) {
        RegistrySection section{KeyPath(input), {}};
        if (std::any_of(content.begin(), content.end(), [&](const RegistrySection& other) {
                return SameRegistryName(other.Path, section.Path);
            }))
            continue;
        const int values = input.ConsumeIntegralInRange(0, 4);
        for (int v = 0; v < values; ++v) {
            RegistryEntry entry;
            entry.Name = input.ConsumeRandomLengthString(20);
            if (entry.Name.find_first_of("\r\n") != std::string::npos ||
                std::any_of(
                    section.Values.begin(), section.Values.end(),
                    [&](const RegistryEntry& e) { return SameRegistryName(e.Name, entry.Name); }))
                continue;
            const std::uint32_t types[] = {kRegSz, kRegBinary, kRegDword,
                                           input.ConsumeIntegral<std::uint32_t>()};
            entry.Value.Type = types[input.ConsumeIntegralInRange(0, 3)];
            entry.Value.Data =
                input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 100));
            section.Values.push_back(std::move(entry));
        }
        content.push_back(std::move(section));
    }
    return content;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto parsed = ParseRegistryText(text);
    if (parsed) {
        for (const RegistrySection& section : *parsed)
            FUZZ_EXPECT(!section.Path.empty());
        ExpectRoundTrip(*parsed);
    }
    ExpectFileRegistry(text, parsed);

    FuzzedDataProvider input(data, size);
    ExpectRoundTrip(ContentFromBytes(input));
    return 0;
}
