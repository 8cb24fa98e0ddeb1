// SPDX-License-Identifier: MIT
#pragma once

#include "platform/data_root.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace nirdal {

constexpr int kGroupCount = 6;
constexpr int kSlotsPerGroup = 30;
constexpr int kStudentCount = kGroupCount * kSlotsPerGroup;

/// A length-prefixed Windows-1251 text of fixed capacity, laid out as in the roster file.
template <std::size_t Capacity> struct ShortString
{
    std::uint8_t Length = 0;
    std::array<char, Capacity> Chars{};

    /// The characters in use. A length byte beyond the capacity reads as the capacity, so
    /// no text is taken from outside its own field.
    std::string Text() const
    {
        return std::string(Chars.data(), std::min<std::size_t>(Length, Capacity));
    }

    /// Stores text cut to the capacity; the bytes after it are zero.
    void Assign(std::string_view text)
    {
        Chars.fill('\0');
        Length = static_cast<std::uint8_t>(std::min(text.size(), Capacity));
        std::copy_n(text.begin(), Length, Chars.begin());
    }
};

/// One group of the roster, byte for byte a 1236-byte record of the roster file.
struct RosterGroup
{
    ShortString<5> GroupName;
    std::array<ShortString<40>, kSlotsPerGroup> Surnames;
};
static_assert(sizeof(RosterGroup) == 1236 && offsetof(RosterGroup, Surnames) == 6);
static_assert(std::is_trivially_copyable_v<RosterGroup>);

/// The roster: six groups as the roster file holds them, group g in element g - 1, record
/// g - 1 of the file. The program loads its roster once at start-up and hands it to what
/// reads it; nothing changes it afterwards.
using RosterGroups = std::array<RosterGroup, kGroupCount>;

/// The folder of the roster file, as the program names it.
inline constexpr std::string_view kRosterFolder = "c:\\Program Files\\Microsoft Office\\abtom";

/// The chosen student: number 1..180, group 1..6, slot 1..30; all 0 before any choice.
struct StudentChoice
{
    std::uint8_t StudentNumber = 0;
    std::uint8_t Group = 0;
    std::uint8_t Slot = 0;
};

/// An input/output error of the roster file; the message is the run-time library's, e.g.
/// "Read beyond end of file" for a file shorter than six records.
class RosterFileError : public std::runtime_error
{
public:
    RosterFileError(int code, std::filesystem::path file);
    int Code() const { return m_code; }
    /// The roster file that could not be read.
    const std::filesystem::path& File() const { return m_file; }

private:
    int m_code;
    std::filesystem::path m_file;
};

/// Where LoadRoster took the roster from.
enum class RosterSource
{
    File,
    Defaults
};

/// "Свободнович С.С.": the surname of a free slot.
const std::string& FreeSlotMark();

/// FreeSlotMark as a roster record holds it, in Windows-1251.
const std::string& StoredFreeSlotMark();

/// Start-up: makes the roster folder under root with every missing parent (a failure goes
/// unnoticed, the defaults are used then) and runs LoadRoster.
RosterSource InitialiseRoster(RosterGroups& roster, const std::filesystem::path& root = DataRoot());

/// Fills roster from the roster file that FindRosterFile names, or from the built-in table
/// when there is none. Throws RosterFileError when the file is shorter than six records.
RosterSource LoadRoster(RosterGroups& roster, const std::filesystem::path& root = DataRoot());

/// The roster file to read: the one under root when it opens, else the first of the
/// machine-wide folders whose roster file opens; empty when none does. Only a regular file
/// opens: a FIFO, device or folder in its place is passed over at once, as a missing file is.
std::filesystem::path
FindRosterFile(const std::filesystem::path& root = DataRoot(),
               const std::vector<std::filesystem::path>& machineRoots = SystemDataRoots());

/// The places FindRosterFile looks at where something stands that is not a regular file (a
/// FIFO, a device, a folder): passed over, and worth telling the teacher about.
std::vector<std::filesystem::path>
PassedOverRosterFiles(const std::filesystem::path& root = DataRoot(),
                      const std::vector<std::filesystem::path>& machineRoots = SystemDataRoots());

/// Reads the six records of a roster file into roster; bytes after them are ignored. The
/// records read before a failure stay. Throws RosterFileError when a record is cut short or
/// cannot be read.
void ReadRosterFile(const std::filesystem::path& file, RosterGroups& roster);

/// The built-in roster.
RosterGroups DefaultRoster();

/// Where the roster file of kRosterFolder lives under root.
std::filesystem::path RosterFilePath(const std::filesystem::path& root = DataRoot());

/// Group code of group g (1..6), in UTF-8 as are all texts the roster gives.
std::string RosterGroupName(const RosterGroups& roster, int g);

/// Surname in slot s (1..30) of group g (1..6).
std::string RosterSurname(const RosterGroups& roster, int g, int s);

/// True unless the slot holds exactly StoredFreeSlotMark(); an empty surname is occupied.
bool IsSlotOccupied(const RosterGroups& roster, int g, int s);

/// Whether slot 1 of group g is occupied: the group is present.
bool GroupPresent(const RosterGroups& roster, int g);

/// The last occupied slot of group g, 0 when there is none: the slots the selection screen
/// shows.
std::uint8_t GroupCount(const RosterGroups& roster, int g);

/// Student n (1..180): group (n - 1) div 30 + 1 and the slot in it.
StudentChoice StudentNumbered(int n);

} // namespace nirdal
