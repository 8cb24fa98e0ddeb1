// SPDX-License-Identifier: MIT
#include "platform/registry_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <deque>
#include <unordered_map>

namespace nirdal {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::string_view kRootName = "HKEY_LOCAL_MACHINE";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
// Hex data is wrapped once a line grows past this, as the registry editor keeps lines
// under 80 characters.
constexpr std::size_t kWrapColumn = 76;

std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && SameRegistryName(text.substr(0, prefix.size()), prefix);
}

// Logical lines, trimmed: a physical line ending in a backslash goes on in the next one.
// A line that goes on is joined into joined, which the returned views may point into.
std::vector<std::string_view> LogicalLines(std::string_view text, std::deque<std::string>& joined)
{
    std::vector<std::string_view> lines;
    std::string pending;
    bool continuing = false;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        const bool wasContinuing = continuing;
        continuing = !line.empty() && line.back() == '\\';
        if (!continuing && !wasContinuing) {
            lines.push_back(line);
            continue;
        }
        pending += continuing ? line.substr(0, line.size() - 1) : line;
        if (!continuing) {
            lines.push_back(joined.emplace_back(std::move(pending)));
            pending.clear();
        }
    }
    if (continuing)
        lines.push_back(joined.emplace_back(std::move(pending)));
    return lines;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Up to maxDigits hex digits making the whole text; nothing otherwise.
std::optional<std::uint32_t> HexNumber(std::string_view text, std::size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    std::uint32_t number = 0;
    for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        number = number * 16 + static_cast<std::uint32_t>(digit);
    }
    return number;
}

std::optional<std::vector<std::uint8_t>> HexBytes(std::string_view text)
{
    std::vector<std::uint8_t> bytes;
    text = Trim(text);
    if (text.empty())
        return bytes;
    while (true) {
        const std::size_t comma = std::min(text.find(','), text.size());
        const auto byte = HexNumber(Trim(text.substr(0, comma)), 2);
        if (!byte)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*byte));
        if (comma == text.size())
            return bytes;
        text.remove_prefix(comma + 1);
    }
}

// A quoted text at the start of text, with \\ and \" escaped; moves text past it.
std::optional<std::string> QuotedText(std::string_view& text)
{
    if (text.empty() || text.front() != '"')
        return std::nullopt;
    std::string result;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '"') {
            text.remove_prefix(i + 1);
            return result;
        }
        if (text[i] == '\\' && i + 1 < text.size())
            ++i;
        result += text[i];
    }
    return std::nullopt;
}

std::optional<RegistryValue> ValueData(std::string_view data)
{
    data = Trim(data);
    if (!data.empty() && data.front() == '"') {
        const auto text = QuotedText(data);
        if (!text || !Trim(data).empty())
            return std::nullopt;
        return RegistryValue{kRegSz, std::vector<std::uint8_t>(text->begin(), text->end())};
    }
    if (StartsWithNoCase(data, "dword:")) {
        const auto number = HexNumber(Trim(data.substr(6)), 8);
        if (!number)
            return std::nullopt;
        RegistryValue value{kRegDword, {}};
        for (int shift = 0; shift < 32; shift += 8)
            value.Data.push_back(static_cast<std::uint8_t>(*number >> shift));
        return value;
    }
    std::uint32_t type = kRegBinary;
    if (StartsWithNoCase(data, "hex(")) {
        const std::size_t close = data.find("):");
        const auto number = close == std::string_view::npos
                                ? std::nullopt
                                : HexNumber(data.substr(4, close - 4), 8);
        if (!number)
            return std::nullopt;
        type = *number;
        data.remove_prefix(close + 2);
    } else if (StartsWithNoCase(data, "hex:")) {
        data.remove_prefix(4);
    } else {
        return std::nullopt;
    }
    auto bytes = HexBytes(data);
    if (!bytes)
        return std::nullopt;
    return RegistryValue{type, std::move(*bytes)};
}

std::optional<RegistryEntry> ValueLine(std::string_view line)
{
    RegistryEntry entry;
    if (!line.empty() && line.front() == '@') {
        line.remove_prefix(1);
    } else {
        auto name = QuotedText(line);
        if (!name)
            return std::nullopt;
        entry.Name = std::move(*name);
    }
    line = Trim(line);
    if (line.empty() || line.front() != '=')
        return std::nullopt;
    auto value = ValueData(line.substr(1));
    if (!value)
        return std::nullopt;
    entry.Value = std::move(*value);
    return entry;
}

// The key path of a section line, or nothing when the line is no valid key of this root.
std::optional<std::string> SectionPath(std::string_view line)
{
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return std::nullopt;
    line = line.substr(1, line.size() - 2);
    if (!StartsWithNoCase(line, kRootName) || line.size() <= kRootName.size() + 1 ||
        line[kRootName.size()] != '\\')
        return std::nullopt;
    const std::string_view path = line.substr(kRootName.size() + 1);
    if (path.front() == '\\' || path.back() == '\\' || path.find("\\\\") != std::string_view::npos)
        return std::nullopt;
    return std::string(path);
}

// A name folded so that names SameRegistryName takes as one are one text: the key of the
// indexes that keep parsing linear in the number of keys and values.
std::string FoldedName(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

std::string Quoted(std::string_view text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

std::string ValueText(const RegistryEntry& entry)
{
    std::string line = entry.Name.empty() ? "@=" : Quoted(entry.Name) + "=";
    const RegistryValue& value = entry.Value;
    char buffer[32];
    if (value.Type == kRegDword && value.Data.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = number << 8 | value.Data[static_cast<std::size_t>(i)];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", number);
        return line + buffer;
    }
    const bool plainText = std::none_of(value.Data.begin(), value.Data.end(), [](std::uint8_t c) {
        return c == '\0' || c == '\n' || c == '\r';
    });
    if (value.Type == kRegSz && plainText)
        return line + Quoted(std::string(value.Data.begin(), value.Data.end()));

    if (value.Type == kRegBinary)
        line += "hex:";
    else {
        std::snprintf(buffer, sizeof buffer, "hex(%x):", value.Type);
        line += buffer;
    }
    std::string text;
    for (std::size_t i = 0; i < value.Data.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x", value.Data[i]);
        line += buffer;
        if (i + 1 == value.Data.size())
            break;
        line += ',';
        if (line.size() > kWrapColumn) {
            text += line + "\\\n";
            line = "  ";
        }
    }
    return text + line;
}

} // namespace

bool SameRegistryName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::optional<RegistryContent> ParseRegistryText(std::string_view text)
{
    if (text.starts_with(kUtf8Mark))
        text.remove_prefix(kUtf8Mark.size());
    RegistryContent content;
    std::deque<std::string> joined;
    const std::vector<std::string_view> lines = LogicalLines(text, joined);
    // Where each key stands in content by its folded path, and each value in its key by the
    // key's number, a line feed (which no name holds) and the value's folded name.
    std::unordered_map<std::string, std::size_t> sectionAt;
    std::unordered_map<std::string, std::size_t> valueAt;
    sectionAt.reserve(lines.size());
    valueAt.reserve(lines.size());
    bool headerSeen = false;
    std::size_t current = 0;
    bool inSection = false;
    for (const std::string_view raw : lines) {
        const std::string_view line = Trim(raw);
        if (line.empty() || line.front() == ';')
            continue;
        if (!headerSeen) {
            if (line != kHeader && line != kOldHeader)
                return std::nullopt;
            headerSeen = true;
            continue;
        }
        if (line.front() == '[') {
            auto path = SectionPath(line);
            if (!path)
                return std::nullopt;
            // A key listed twice is one key, as the registry editor imports it.
            const auto [at, added] = sectionAt.try_emplace(FoldedName(*path), content.size());
            if (added)
                content.push_back(RegistrySection{std::move(*path), {}});
            current = at->second;
            inSection = true;
            continue;
        }
        auto entry = ValueLine(line);
        if (!entry || !inSection)
            return std::nullopt;
        std::vector<RegistryEntry>& values = content[current].Values;
        const auto [at, added] = valueAt.try_emplace(
            std::to_string(current) + '\n' + FoldedName(entry->Name), values.size());
        if (added)
            values.push_back(std::move(*entry));
        else
            values[at->second].Value = std::move(entry->Value);
    }
    return content;
}

std::string FormatRegistryText(const RegistryContent& content)
{
    std::string text = std::string(kHeader) + "\n\n";
    for (const RegistrySection& section : content) {
        text += "[" + std::string(kRootName) + "\\" + section.Path + "]\n";
        for (const RegistryEntry& entry : section.Values)
            text += ValueText(entry) + "\n";
        text += "\n";
    }
    return text;
}

} // namespace nirdal
