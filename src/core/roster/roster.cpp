// SPDX-License-Identifier: MIT
#include "core/roster/roster.h"

#include "platform/record_file.h"
#include "platform/text_encoding.h"

#include <cstring>

namespace nirdal {

namespace {

std::size_t GroupIndex(int g)
{
    if (g < 1 || g > kGroupCount)
        throw std::out_of_range("group " + std::to_string(g) + " outside 1..6");
    return static_cast<std::size_t>(g - 1);
}

} // namespace

RosterFileError::RosterFileError(int code, std::filesystem::path file)
    : std::runtime_error(RecordFile::ErrorText(code)), m_code(code), m_file(std::move(file))
{
}

const std::string& FreeSlotMark()
{
    static const std::string mark = "Свободнович С.С.";
    return mark;
}

const std::string& StoredFreeSlotMark()
{
    static const std::string mark = Utf8ToCp1251(FreeSlotMark());
    return mark;
}

RosterSource InitialiseRoster(RosterGroups& roster, const std::filesystem::path& root)
{
    CreateDirectories(LocalPath(root, kRosterFolder));
    return LoadRoster(roster, root);
}

std::filesystem::path RosterFilePath(const std::filesystem::path& root)
{
    return LocalPath(root, std::string(kRosterFolder) + "\\curso.ASM");
}

namespace {

// The user's own file first: a teacher can try a roster out before installing it.
std::vector<std::filesystem::path>
RosterCandidates(const std::filesystem::path& root,
                 const std::vector<std::filesystem::path>& machineRoots)
{
    std::vector<std::filesystem::path> candidates{RosterFilePath(root)};
    for (const std::filesystem::path& machineRoot : machineRoots)
        candidates.push_back(RosterFilePath(machineRoot));
    return candidates;
}

} // namespace

std::vector<std::filesystem::path>
PassedOverRosterFiles(const std::filesystem::path& root,
                      const std::vector<std::filesystem::path>& machineRoots)
{
    std::vector<std::filesystem::path> passedOver;
    for (const std::filesystem::path& candidate : RosterCandidates(root, machineRoots)) {
        std::error_code error;
        const auto status = std::filesystem::status(candidate, error);
        if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
            passedOver.push_back(candidate);
    }
    return passedOver;
}

std::filesystem::path FindRosterFile(const std::filesystem::path& root,
                                     const std::vector<std::filesystem::path>& machineRoots)
{
    for (const std::filesystem::path& candidate : RosterCandidates(root, machineRoots)) {
        RecordFile file;
        if (file.Open(candidate) == 0)
            return candidate;
    }
    return {};
}

RosterSource LoadRoster(RosterGroups& roster, const std::filesystem::path& root)
{
    const std::filesystem::path file = FindRosterFile(root);
    if (file.empty()) {
        roster = DefaultRoster();
        return RosterSource::Defaults;
    }
    ReadRosterFile(file, roster);
    return RosterSource::File;
}

void ReadRosterFile(const std::filesystem::path& path, RosterGroups& roster)
{
    RecordFile file;
    if (file.Open(path) != 0)
        return;
    int error = 0;
    for (std::size_t g = 0; g < roster.size(); ++g) {
        std::array<unsigned char, sizeof(RosterGroup)> record;
        const int code = file.Read(g, record);
        if (code == 0)
            std::memcpy(&roster[g], record.data(), record.size());
        else if (error == 0)
            error = code;
    }
    file.Close();
    if (error != 0)
        throw RosterFileError(error, path);
}

namespace {

const ShortString<40>& StoredSurname(const RosterGroups& roster, int g, int s)
{
    if (s < 1 || s > kSlotsPerGroup)
        throw std::out_of_range("slot " + std::to_string(s) + " outside 1..30");
    return roster[GroupIndex(g)].Surnames[static_cast<std::size_t>(s - 1)];
}

} // namespace

std::string RosterGroupName(const RosterGroups& roster, int g)
{
    return Cp1251ToUtf8(roster[GroupIndex(g)].GroupName.Text());
}

std::string RosterSurname(const RosterGroups& roster, int g, int s)
{
    return Cp1251ToUtf8(StoredSurname(roster, g, s).Text());
}

bool IsSlotOccupied(const RosterGroups& roster, int g, int s)
{
    // Same length, same bytes, as stored.
    return StoredSurname(roster, g, s).Text() != StoredFreeSlotMark();
}

bool GroupPresent(const RosterGroups& roster, int g)
{
    return IsSlotOccupied(roster, g, 1);
}

std::uint8_t GroupCount(const RosterGroups& roster, int g)
{
    for (int s = kSlotsPerGroup; s >= 1; --s) {
        if (IsSlotOccupied(roster, g, s))
            return static_cast<std::uint8_t>(s);
    }
    return 0;
}

StudentChoice StudentNumbered(int n)
{
    if (n < 1 || n > kStudentCount)
        throw std::out_of_range("student " + std::to_string(n) + " outside 1..180");
    const int group = (n - 1) / kSlotsPerGroup + 1;
    return {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(group),
            static_cast<std::uint8_t>(n - (group - 1) * kSlotsPerGroup)};
}

} // namespace nirdal
