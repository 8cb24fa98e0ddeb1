// SPDX-License-Identifier: MIT
// Any bytes as the roster file: the six groups come from the file byte for byte, or the
// reader reports "Read beyond end of file" for a file shorter than six records; no group
// code or surname takes a byte from outside its own field.
#include "core/roster/roster.h"
#include "fuzz_input.h"
#include "platform/data_root.h"
#include "platform/text_encoding.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>

namespace {

using namespace nirdal;
namespace fs = std::filesystem;

constexpr std::size_t kRecordSize = sizeof(RosterGroup);
constexpr std::uint8_t kUntouched = 0xA5;

// The data root of the run, with the roster folder made.
const fs::path& Root()
{
    static const fuzz::ScratchFolder folder("nirdal-roster-fuzz");
    static const bool made = [] {
        return CreateDirectories(LocalPath(folder.Path(), kRosterFolder));
    }();
    FUZZ_EXPECT(made);
    return folder.Path();
}

void WriteRosterFile(std::span<const std::uint8_t> bytes)
{
    std::FILE* file = std::fopen(RosterFilePath(Root()).c_str(), "wb");
    FUZZ_EXPECT(file != nullptr);
    FUZZ_EXPECT(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
    FUZZ_EXPECT(std::fclose(file) == 0);
}

// The text a length-prefixed field of the record holds: never more than its capacity.
std::string FieldText(const std::uint8_t* field, std::size_t capacity)
{
    return std::string(reinterpret_cast<const char*>(field + 1),
                       std::min<std::size_t>(field[0], capacity));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    WriteRosterFile(bytes);
    RosterGroups roster;
    std::memset(static_cast<void*>(roster.data()), kUntouched, sizeof roster);

    const bool complete = size >= kGroupCount * kRecordSize;
    try {
        FUZZ_EXPECT(LoadRoster(roster, Root()) == RosterSource::File);
        FUZZ_EXPECT(complete);
    } catch (const RosterFileError& error) {
        FUZZ_EXPECT(!complete);
        FUZZ_EXPECT(error.Code() == 100);
        FUZZ_EXPECT(std::string(error.what()) == "Read beyond end of file");
    }

    // Every whole record is read; a record the file cuts short leaves its group as it was.
    for (std::size_t g = 0; g < kGroupCount; ++g) {
        const auto* held = reinterpret_cast<const std::uint8_t*>(&roster[g]);
        if ((g + 1) * kRecordSize <= size) {
            FUZZ_EXPECT(std::memcmp(held, data + g * kRecordSize, kRecordSize) == 0);
        } else {
            for (std::size_t i = 0; i < kRecordSize; ++i)
                FUZZ_EXPECT(held[i] == kUntouched);
        }
    }

    for (int g = 1; g <= kGroupCount; ++g) {
        const auto* record = reinterpret_cast<const std::uint8_t*>(&roster[g - 1]);
        FUZZ_EXPECT(RosterGroupName(roster, g) == Cp1251ToUtf8(FieldText(record, 5)));
        int lastOccupied = 0;
        for (int s = 1; s <= kSlotsPerGroup; ++s) {
            const std::string surname = FieldText(record + 6 + 41 * (s - 1), 40);
            FUZZ_EXPECT(RosterSurname(roster, g, s) == Cp1251ToUtf8(surname));
            FUZZ_EXPECT(IsSlotOccupied(roster, g, s) == (surname != StoredFreeSlotMark()));
            if (IsSlotOccupied(roster, g, s))
                lastOccupied = s;
        }
        FUZZ_EXPECT(GroupPresent(roster, g) == IsSlotOccupied(roster, g, 1));
        FUZZ_EXPECT(GroupCount(roster, g) == lastOccupied);
    }
    return 0;
}
