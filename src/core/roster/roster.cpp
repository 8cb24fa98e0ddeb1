// SPDX-License-Identifier: MIT
#include "core/roster/roster.h"

#include "platform/record_file.h"
#include "platform/text_encoding.h"

#include <cstring>

namespace nirdal {

RosterGroups Roster{};
std::string RosterDirectory;
StudentChoice StudentSelection;

namespace {

std::array<bool, kGroupCount> g_groupPresent{};
std::array<std::uint8_t, kGroupCount> g_groupCount{};

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
    static const std::string mark = Utf8ToCp1251("Свободнович С.С.");
    return mark;
}

RosterSource InitialiseRoster(const std::filesystem::path& root)
{
    CreateDirectories(LocalPath(root, kRosterFolder));
    RosterDirectory = kRosterFolder;
    return LoadRoster(root);
}

std::filesystem::path RosterFilePath(const std::filesystem::path& root)
{
    return LocalPath(root, RosterDirectory + "\\curso.ASM");
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

RosterSource LoadRoster(const std::filesystem::path& root)
{
    const std::filesystem::path file = FindRosterFile(root);
    if (file.empty()) {
        CopyDefaultRoster();
        return RosterSource::Defaults;
    }
    ReadRosterFile(file);
    return RosterSource::File;
}

void ReadRosterFile(const std::filesystem::path& path)
{
    RecordFile file;
    if (file.Open(path) != 0)
        return;
    int error = 0;
    for (std::size_t g = 0; g < Roster.size(); ++g) {
        std::array<unsigned char, sizeof(RosterGroup)> record;
        const int code = file.Read(g, record);
        if (code == 0)
            std::memcpy(&Roster[g], record.data(), record.size());
        else if (error == 0)
            error = code;
    }
    file.Close();
    if (error != 0)
        throw RosterFileError(error, path);
}

std::string RosterGroupName(int g)
{
    return Roster[GroupIndex(g)].GroupName.Text();
}

std::string RosterSurname(int g, int s)
{
    if (s < 1 || s > kSlotsPerGroup)
        throw std::out_of_range("slot " + std::to_string(s) + " outside 1..30");
    return Roster[GroupIndex(g)].Surnames[static_cast<std::size_t>(s - 1)].Text();
}

bool IsSlotOccupied(int g, int s)
{
    return RosterSurname(g, s) != FreeSlotMark();
}

void CountGroups()
{
    for (int g = 1; g <= kGroupCount; ++g) {
        const std::size_t i = GroupIndex(g);
        g_groupPresent[i] = IsSlotOccupied(g, 1);
        g_groupCount[i] = 0;
        for (int s = kSlotsPerGroup; s >= 1 && g_groupCount[i] == 0; --s) {
            if (IsSlotOccupied(g, s))
                g_groupCount[i] = static_cast<std::uint8_t>(s);
        }
    }
}

bool GroupPresent(int g)
{
    return g_groupPresent[GroupIndex(g)];
}

std::uint8_t GroupCount(int g)
{
    return g_groupCount[GroupIndex(g)];
}

void SelectStudent(int n)
{
    if (n < 1 || n > kStudentCount)
        throw std::out_of_range("student " + std::to_string(n) + " outside 1..180");
    const int group = (n - 1) / kSlotsPerGroup + 1;
    StudentSelection.StudentNumber = static_cast<std::uint8_t>(n);
    StudentSelection.Group = static_cast<std::uint8_t>(group);
    StudentSelection.Slot = static_cast<std::uint8_t>(n - (group - 1) * kSlotsPerGroup);
}

} // namespace nirdal
