// SPDX-License-Identifier: MIT
#include "core/roster/roster_table.h"

#include "core/common/csv_line.h"
#include "core/common/safe_text.h"
#include "platform/text_encoding.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace nirdal {

namespace {

constexpr std::size_t kGroupNameCapacity = 5;
constexpr std::size_t kSurnameCapacity = 40;

// The first character of text (valid UTF-8) that Windows-1251 cannot hold, with its code
// point; empty when there is none.
std::string UnencodableCharacter(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        const std::string_view character = text.substr(i, length);
        i += length;
        if (Cp1251ToUtf8(Utf8ToCp1251(character)) == character)
            continue;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(character[k]) & 0x3F);
        char name[16];
        std::snprintf(name, sizeof name, "U+%04X", code);
        return "\"" + std::string(character) + "\" (" + name + ")";
    }
    return {};
}

// The field in Windows-1251, or the reason it cannot be written in capacity characters.
std::optional<std::string> Encode(const std::string& field, std::size_t capacity, const char* what,
                                  std::string& refusal)
{
    // A stray carriage return or tab would not survive the table printed and read again.
    const auto control = std::find_if(field.begin(), field.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (control != field.end()) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(*control));
        refusal = "the " + std::string(what) + " holds the control character " + code +
                  (*control == '\0' ? " (NUL), which a name cannot hold" : "");
        return std::nullopt;
    }
    if (const std::string character = UnencodableCharacter(field); !character.empty()) {
        refusal = "the " + std::string(what) + " \"" + Excerpt(field) + "\" holds " + character +
                  ", which Windows-1251 cannot hold";
        return std::nullopt;
    }
    std::string encoded = Utf8ToCp1251(field);
    if (encoded.size() > capacity) {
        refusal = "the " + std::string(what) + " \"" + Excerpt(field) + "\" is longer than " +
                  std::to_string(capacity) + " characters";
        return std::nullopt;
    }
    return encoded;
}

RosterGroup FreeGroup()
{
    RosterGroup group{};
    for (auto& surname : group.Surnames)
        surname.Assign(StoredFreeSlotMark());
    return group;
}

// One more than the last occupied slot's index; 0 when every slot is free.
std::size_t SlotsInUse(const RosterGroup& group)
{
    for (std::size_t s = group.Surnames.size(); s > 0; --s) {
        if (group.Surnames[s - 1].Text() != StoredFreeSlotMark())
            return s;
    }
    return 0;
}

} // namespace

std::optional<RosterTableRefusal> ReadRosterTable(std::string_view table, RosterGroups& groups,
                                                  int* headerLine)
{
    if (headerLine)
        *headerLine = 0;
    bool first = true;
    std::map<std::pair<std::string, std::string>, int> lineOf; // group and surname
    RosterGroups read;
    read.fill(FreeGroup());
    std::array<std::size_t, kGroupCount> filled{};
    std::size_t groupsNamed = 0;
    std::optional<RosterTableRefusal> refusal;
    std::vector<std::string> fields;

    const TableText text = ReadTableText(table, 2);
    ForEachTableLine(text.Text, [&](int number, std::string_view line) {
        std::string reason;
        const auto refuse = [&](std::string message) {
            refusal = RosterTableRefusal{number, std::move(message)};
            return false;
        };
        if (!SplitCsvLine(line, fields, text.Separator))
            return refuse("a quote is not closed");
        if (std::exchange(first, false) && IsHeaderLine(fields)) {
            if (headerLine)
                *headerLine = number;
            return true;
        }
        if (fields.size() != 2)
            return refuse("expected 2 fields (group, surname), found " +
                          std::to_string(fields.size()) + "; a " +
                          (text.Separator == ';' ? "semicolon" : "comma") +
                          " in a name needs quotes");
        const auto code = Encode(fields[0], kGroupNameCapacity, "group code", reason);
        if (!code)
            return refuse(reason);
        const auto surname = Encode(fields[1], kSurnameCapacity, "surname", reason);
        if (!surname)
            return refuse(reason);

        std::size_t g = 0;
        while (g < groupsNamed && read[g].GroupName.Text() != *code)
            ++g;
        if (g == groupsNamed) {
            if (groupsNamed == read.size())
                return refuse("a seventh group \"" + Excerpt(fields[0]) +
                              "\": the roster holds six");
            read[g].GroupName.Assign(*code);
            ++groupsNamed;
        }
        if (filled[g] == kSlotsPerGroup)
            return refuse("a 31st name in group \"" + Excerpt(fields[0]) +
                          "\": a group holds thirty");
        if (*surname != StoredFreeSlotMark()) {
            const auto [at, added] = lineOf.emplace(std::make_pair(*code, *surname), number);
            if (!added)
                return refuse("\"" + Excerpt(fields[1]) + "\" of group \"" + Excerpt(fields[0]) +
                              "\" is on lines " + std::to_string(at->second) + " and " +
                              std::to_string(number) + ": two students of one name need "
                              "something to tell them apart");
        }
        read[g].Surnames[filled[g]++].Assign(*surname);
        return true;
    });
    if (refusal)
        return refusal;
    // An empty table would leave every slot free: more likely a mistake than a wish.
    if (groupsNamed == 0)
        return RosterTableRefusal{1, "the table names no student (every line is blank or a # "
                                     "comment)"};
    groups = read;
    return std::nullopt;
}

std::string RosterTableText(const RosterGroups& groups)
{
    std::size_t shown = groups.size();
    while (shown > 0 && groups[shown - 1].GroupName.Length == 0 &&
           SlotsInUse(groups[shown - 1]) == 0)
        --shown;
    std::string table = "# group,surname\n";
    for (std::size_t g = 0; g < shown; ++g) {
        const std::string code = CsvCell(Cp1251ToUtf8(groups[g].GroupName.Text()));
        // A group named only by its code still needs one line to keep its place.
        const std::size_t slots = std::max<std::size_t>(SlotsInUse(groups[g]), 1);
        for (std::size_t s = 0; s < slots; ++s)
            table += code + "," + CsvCell(Cp1251ToUtf8(groups[g].Surnames[s].Text())) + "\n";
    }
    return table;
}

std::string RosterFileBytes(const RosterGroups& groups)
{
    std::string bytes(sizeof groups, '\0');
    std::memcpy(bytes.data(), groups.data(), sizeof groups);
    return bytes;
}

} // namespace nirdal
