// Any bytes as the registry file: a parse or a rejection, and every accepted parse written
// and read again gives back every key and value bit for bit. The same bytes also make up
// keys and values such as the file registry can be asked to store, whose text must read
// back whole.
#include "fuzz_input.h"
#include "platform/registry_text.h"

#include <algorithm>
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
    if (const auto parsed = ParseRegistryText(text)) {
        for (const RegistrySection& section : *parsed)
            FUZZ_EXPECT(!section.Path.empty());
        ExpectRoundTrip(*parsed);
    }

    FuzzedDataProvider input(data, size);
    ExpectRoundTrip(ContentFromBytes(input));
    return 0;
}
