// SPDX-License-Identifier: MIT
// Any bytes as the table that `nirdal-cli roster --write` reads: the six records are taken, or
// the table is refused with the number of one of its lines and the groups stay as they were.
// What is taken is written as the roster file, reads back field for field, and its table
// (as `roster --csv` prints it) reads back into the same bytes.
#include "core/roster/roster.h"
#include "core/roster/roster_table.h"
#include "fuzz_input.h"
#include "platform/data_root.h"
#include "platform/text_encoding.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using namespace nirdal;

constexpr std::uint8_t kUntouched = 0xA5;

const std::filesystem::path& RosterFile()
{
    static const fuzz::ScratchFolder folder("nirdal-roster-table-fuzz");
    static const std::filesystem::path file = folder.Path() / "curso.ASM";
    return file;
}

int LineCount(std::string_view text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view table(reinterpret_cast<const char*>(data), size);
    RosterGroups groups;
    std::memset(static_cast<void*>(groups.data()), kUntouched, sizeof groups);
    const RosterGroups untouched = groups;

    if (const auto refusal = ReadRosterTable(table, groups)) {
        FUZZ_EXPECT(refusal->Line >= 1 && refusal->Line <= LineCount(table));
        FUZZ_EXPECT(!refusal->Message.empty());
        FUZZ_EXPECT(std::memcmp(groups.data(), untouched.data(), sizeof groups) == 0);
        return 0;
    }

    // Every field within its capacity, and no byte of padding left over from before.
    int names = 0;
    for (const RosterGroup& group : groups) {
        FUZZ_EXPECT(group.GroupName.Length <= 5);
        for (std::size_t i = group.GroupName.Length; i < 5; ++i)
            FUZZ_EXPECT(group.GroupName.Chars[i] == '\0');
        for (const auto& surname : group.Surnames) {
            FUZZ_EXPECT(surname.Length <= 40);
            for (std::size_t i = surname.Length; i < 40; ++i)
                FUZZ_EXPECT(surname.Chars[i] == '\0');
            names += surname.Text() != StoredFreeSlotMark() ? 1 : 0;
        }
    }
    FUZZ_EXPECT(names <= LineCount(table));

    std::string error;
    const std::string bytes = RosterFileBytes(groups);
    FUZZ_EXPECT(bytes.size() == 6 * 1236);
    FUZZ_EXPECT(ReplaceFile(RosterFile(), bytes, error));
    RosterGroups roster;
    std::memset(static_cast<void*>(roster.data()), kUntouched, sizeof roster);
    ReadRosterFile(RosterFile(), roster);
    for (int g = 1; g <= kGroupCount; ++g) {
        const RosterGroup& written = groups[static_cast<std::size_t>(g - 1)];
        FUZZ_EXPECT(RosterGroupName(roster, g) == Cp1251ToUtf8(written.GroupName.Text()));
        for (int s = 1; s <= kSlotsPerGroup; ++s)
            FUZZ_EXPECT(RosterSurname(roster, g, s) ==
                        Cp1251ToUtf8(written.Surnames[static_cast<std::size_t>(s - 1)].Text()));
    }

    RosterGroups again{};
    FUZZ_EXPECT(!ReadRosterTable(RosterTableText(roster), again));
    FUZZ_EXPECT(RosterFileBytes(again) == bytes);
    return 0;
}
