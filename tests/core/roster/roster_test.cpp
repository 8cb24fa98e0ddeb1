// SPDX-License-Identifier: MIT
#include "core/roster/roster.h"
#include "platform/text_encoding.h"
#include "support/fifo.h"
#include "support/temporary_root.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

namespace nirdal {
namespace {

// A record as the roster file holds it, with every byte under the test's control.
std::string Record(std::string_view code, std::string_view firstSurname)
{
    RosterGroup group{};
    group.GroupName.Assign(code);
    for (auto& surname : group.Surnames)
        surname.Assign(StoredFreeSlotMark());
    group.Surnames[0].Assign(firstSurname);
    std::string bytes(sizeof group, '\0');
    std::memcpy(bytes.data(), &group, sizeof group);
    return bytes;
}

std::string SixRecords()
{
    std::string file;
    for (int g = 1; g <= kGroupCount; ++g)
        file += Record("G" + std::to_string(g), "Student " + std::to_string(g));
    return file;
}

class RosterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // No roster the machine may hold takes part unless a test puts it there.
        setenv("XDG_DATA_DIRS", (machine.Path() / "first").c_str(), 1);
    }

    void TearDown() override { unsetenv("XDG_DATA_DIRS"); }

    // The roster file under a machine-wide data folder (XDG_DATA_DIRS entry).
    std::filesystem::path MachineFile(const std::string& dataDir) const
    {
        return machine.Path() / dataDir / "nirdal" / "drive_c" / "Program Files" /
               "Microsoft Office" / "abtom" / "curso.ASM";
    }

    std::filesystem::path FilePath() const
    {
        return root.Path() / "drive_c" / "Program Files" / "Microsoft Office" / "abtom" /
               "curso.ASM";
    }

    // Puts the texts into the first slots of group g and the free mark into the others.
    void SetGroup(int g, const std::vector<std::string>& surnames)
    {
        for (std::size_t s = 0; s < kSlotsPerGroup; ++s)
            roster[g - 1].Surnames[s].Assign(s < surnames.size() ? surnames[s] : StoredFreeSlotMark());
    }

    RosterGroups roster{};
    test_support::TemporaryRoot root;
    test_support::TemporaryRoot machine;
};

TEST_F(RosterTest, OwnFileWinsOverTheMachineWideOne)
{
    test_support::WriteFile(FilePath(), Record("OWN", "Own") + SixRecords());
    test_support::WriteFile(MachineFile("first"), Record("MACH", "Machine") + SixRecords());
    ASSERT_EQ(InitialiseRoster(roster, root.Path()), RosterSource::File);
    EXPECT_EQ(RosterGroupName(roster, 1), "OWN");
    EXPECT_EQ(FindRosterFile(root.Path()), FilePath());
}

TEST_F(RosterTest, MachineWideFileIsReadWhenTheUserHasNone)
{
    // The first data folder that holds a roster is read; an earlier one without it is passed.
    setenv("XDG_DATA_DIRS",
           ("relative/ignored:" + (machine.Path() / "empty").string() + ":" +
            (machine.Path() / "second").string() + ":" + (machine.Path() / "third").string())
               .c_str(),
           1);
    test_support::WriteFile(MachineFile("second"), Record("SEC", "Second") + SixRecords());
    test_support::WriteFile(MachineFile("third"), Record("THI", "Third") + SixRecords());
    ASSERT_EQ(InitialiseRoster(roster, root.Path()), RosterSource::File);
    EXPECT_EQ(RosterGroupName(roster, 1), "SEC");
    EXPECT_EQ(RosterSurname(roster, 1, 1), "Second");
    EXPECT_EQ(RosterGroupName(roster, 2), "G1");
    EXPECT_EQ(FindRosterFile(root.Path()), MachineFile("second"));
    // The roster folder is still made in the user's own data root.
    EXPECT_TRUE(std::filesystem::is_directory(FilePath().parent_path()));
}

TEST_F(RosterTest, NeitherFileGivesTheBuiltInRoster)
{
    EXPECT_EQ(InitialiseRoster(roster, root.Path()), RosterSource::Defaults);
    EXPECT_EQ(RosterGroupName(roster, 1), "251");
    EXPECT_TRUE(FindRosterFile(root.Path()).empty());
}

TEST_F(RosterTest, ShortMachineWideFileIsTheStartUpErrorNamingItsPath)
{
    test_support::WriteFile(MachineFile("first"), SixRecords().substr(0, 7415));
    try {
        InitialiseRoster(roster, root.Path());
        FAIL() << "a short machine-wide roster was taken";
    } catch (const RosterFileError& error) {
        EXPECT_STREQ(error.what(), "Read beyond end of file");
        EXPECT_EQ(error.File(), MachineFile("first"));
    }
}

TEST_F(RosterTest, MachineWideFoldersComeFromXdgDataDirs)
{
    setenv("XDG_DATA_DIRS", "/opt/a:rel:/usr/b/", 1);
    EXPECT_EQ(SystemDataRoots(),
              (std::vector<std::filesystem::path>{"/opt/a/nirdal", "/usr/b/nirdal"}));
    unsetenv("XDG_DATA_DIRS");
    EXPECT_EQ(SystemDataRoots(),
              (std::vector<std::filesystem::path>{"/usr/local/share/nirdal", "/usr/share/nirdal"}));
}

TEST_F(RosterTest, RecordHasTheFileLayout)
{
    const std::string bytes = Record("251", "Ab");
    ASSERT_EQ(bytes.size(), 1236u);
    EXPECT_EQ(bytes.substr(0, 4), "\x03"
                                  "251");
    EXPECT_EQ(bytes.substr(6, 3), "\x02"
                                  "Ab");
    EXPECT_EQ(bytes.substr(6 + 41, 1 + 16), "\x10" + StoredFreeSlotMark());
}

TEST_F(RosterTest, MissingFileGivesTheBuiltInRosterAndMakesTheFolder)
{
    EXPECT_EQ(InitialiseRoster(roster, root.Path()), RosterSource::Defaults);
    EXPECT_TRUE(std::filesystem::is_directory(FilePath().parent_path()));
    EXPECT_EQ(RosterFilePath(root.Path()), FilePath());
    for (int g = 1; g <= kGroupCount; ++g)
        EXPECT_EQ(RosterGroupName(roster, g), std::to_string(250 + g));
}

TEST_F(RosterTest, FolderInTheFilesPlaceGivesTheBuiltInRoster)
{
    std::filesystem::create_directories(FilePath());
    EXPECT_EQ(InitialiseRoster(roster, root.Path()), RosterSource::Defaults);
    EXPECT_EQ(RosterGroupName(roster, 1), "251");
}

TEST_F(RosterTest, BuiltInRosterHasTheGivenShape)
{
    roster = DefaultRoster();
    const struct
    {
        int group;
        int names; // slots holding a surname; the rest of a student group is empty
    } groups[] = {{1, 30}, {2, 28}, {3, 21}, {4, 28}};
    for (const auto& g : groups) {
        for (int s = 1; s <= kSlotsPerGroup; ++s) {
            const std::string surname = RosterSurname(roster, g.group, s);
            if (s <= g.names) {
                EXPECT_FALSE(surname.empty()) << g.group << "/" << s;
                EXPECT_LE(Utf8ToCp1251(surname).size(), 12u) << surname;
                EXPECT_EQ(Cp1251ToUtf8(Utf8ToCp1251(surname)), surname); // all in the code page
            } else {
                EXPECT_EQ(surname, "") << g.group << "/" << s;
            }
        }
    }
    for (int g : {5, 6}) {
        for (int s = 1; s <= kSlotsPerGroup; ++s)
            EXPECT_EQ(RosterSurname(roster, g, s), FreeSlotMark());
    }
    EXPECT_EQ(FreeSlotMark(), "Свободнович С.С.");
    EXPECT_EQ(StoredFreeSlotMark(), "\xD1\xE2\xEE\xE1\xEE\xE4\xED\xEE\xE2\xE8\xF7 \xD1.\xD1.");
}

TEST_F(RosterTest, BuiltInRosterCountsEmptySlotsAsOccupied)
{
    roster = DefaultRoster();
    for (int g = 1; g <= 4; ++g) {
        EXPECT_TRUE(GroupPresent(roster, g)) << g;
        EXPECT_EQ(GroupCount(roster, g), 30) << g;
    }
    for (int g : {5, 6}) {
        EXPECT_FALSE(GroupPresent(roster, g)) << g;
        EXPECT_EQ(GroupCount(roster, g), 0) << g;
    }
}

TEST_F(RosterTest, FileOfSixRecordsFillsEveryGroupAndExtraBytesAreIgnored)
{
    for (const std::string& tail : {std::string(), std::string("extra bytes"), Record("X", "Y")}) {
        roster = {};
        test_support::WriteFile(FilePath(), SixRecords() + tail);
        ASSERT_EQ(InitialiseRoster(roster, root.Path()), RosterSource::File);
        for (int g = 1; g <= kGroupCount; ++g) {
            EXPECT_EQ(RosterGroupName(roster, g), "G" + std::to_string(g));
            EXPECT_EQ(RosterSurname(roster, g, 1), "Student " + std::to_string(g));
            EXPECT_EQ(RosterSurname(roster, g, 30), FreeSlotMark());
        }
    }
}

TEST_F(RosterTest, ShortFileStopsWithReadBeyondEndOfFile)
{
    for (std::size_t size : {std::size_t{0}, std::size_t{1236}, std::size_t{7415}}) {
        test_support::WriteFile(FilePath(), SixRecords().substr(0, size));
        try {
            InitialiseRoster(roster, root.Path());
            ADD_FAILURE() << size << " bytes were accepted";
        } catch (const RosterFileError& error) {
            EXPECT_STREQ(error.what(), "Read beyond end of file") << size;
            EXPECT_EQ(error.Code(), 100);
        }
    }
}

TEST_F(RosterTest, LengthBytesBeyondTheFieldAreCutToIt)
{
    std::string file = SixRecords();
    file[0] = static_cast<char>(200); // group code of group 1: capacity 5
    file.replace(1, 5, "ABCDE");
    file[6] = static_cast<char>(255); // surname 1 of group 1: capacity 40
    file.replace(7, 40, std::string(40, 'x'));
    test_support::WriteFile(FilePath(), file);
    ASSERT_EQ(InitialiseRoster(roster, root.Path()), RosterSource::File);
    EXPECT_EQ(RosterGroupName(roster, 1), "ABCDE");
    EXPECT_EQ(RosterSurname(roster, 1, 1), std::string(40, 'x'));
    EXPECT_EQ(RosterSurname(roster, 1, 2), FreeSlotMark());
}

TEST_F(RosterTest, OnlyTheExactMarkFreesASlot)
{
    roster = DefaultRoster();
    SetGroup(1, {"A", StoredFreeSlotMark() + " ", "", StoredFreeSlotMark().substr(0, 15)});
    for (int s = 1; s <= 4; ++s)
        EXPECT_TRUE(IsSlotOccupied(roster, 1, s)) << s;
    EXPECT_FALSE(IsSlotOccupied(roster, 1, 5));
}

TEST_F(RosterTest, CountsFollowTheLastOccupiedSlot)
{
    roster = DefaultRoster();
    std::vector<std::string> firstAndLast(kSlotsPerGroup, StoredFreeSlotMark());
    firstAndLast.front() = firstAndLast.back() = "A";
    std::vector<std::string> notFirst(kSlotsPerGroup, "A");
    notFirst.front() = StoredFreeSlotMark();
    SetGroup(1, {"A"});
    SetGroup(2, firstAndLast);
    SetGroup(3, notFirst);
    SetGroup(4, {StoredFreeSlotMark(), StoredFreeSlotMark(), "A"});
    EXPECT_TRUE(GroupPresent(roster, 1));
    EXPECT_EQ(GroupCount(roster, 1), 1);
    EXPECT_TRUE(GroupPresent(roster, 2));
    EXPECT_EQ(GroupCount(roster, 2), 30);
    EXPECT_FALSE(GroupPresent(roster, 3));
    EXPECT_EQ(GroupCount(roster, 3), 30);
    EXPECT_FALSE(GroupPresent(roster, 4));
    EXPECT_EQ(GroupCount(roster, 4), 3);
}

TEST_F(RosterTest, StudentNumberedSplitsTheNumberIntoGroupAndSlot)
{
    const struct
    {
        int number, group, slot;
    } cases[] = {{1, 1, 1}, {30, 1, 30}, {31, 2, 1}, {95, 4, 5}, {180, 6, 30}};
    for (const auto& c : cases) {
        const StudentChoice student = StudentNumbered(c.number);
        EXPECT_EQ(student.StudentNumber, c.number);
        EXPECT_EQ(student.Group, c.group) << c.number;
        EXPECT_EQ(student.Slot, c.slot) << c.number;
    }
    EXPECT_THROW(StudentNumbered(0), std::out_of_range);
    EXPECT_THROW(StudentNumbered(181), std::out_of_range);
    EXPECT_THROW(RosterSurname(roster, 7, 1), std::out_of_range);
    EXPECT_THROW(RosterSurname(roster, 1, 31), std::out_of_range);
}

} // namespace
} // namespace nirdal

namespace nirdal {
namespace {

using namespace std::chrono_literals;

// Start-up must not wait on whatever stands at a roster path: anything but a regular file is
// a roster file that cannot be opened, and the search goes on as for a missing one.
TEST_F(RosterTest, AFifoAtTheUsersRosterPathIsPassedOver)
{
    test_support::MakeFifo(FilePath());
    RosterSource source = RosterSource::File;
    EXPECT_TRUE(test_support::EndsWithin(3s, {FilePath()},
                                         [&] { source = InitialiseRoster(roster, root.Path()); }));
    EXPECT_EQ(source, RosterSource::Defaults);
    EXPECT_EQ(RosterGroupName(roster, 1), "251");
    EXPECT_EQ(RosterGroupName(roster, 6), "256");

    // With a machine-wide roster, that one is read instead.
    test_support::WriteFile(MachineFile("first"), Record("MACH", "Machine") + SixRecords());
    EXPECT_TRUE(test_support::EndsWithin(3s, {FilePath()},
                                         [&] { source = InitialiseRoster(roster, root.Path()); }));
    EXPECT_EQ(source, RosterSource::File);
    EXPECT_EQ(RosterGroupName(roster, 1), "MACH");
    EXPECT_EQ(RosterSurname(roster, 1, 1), "Machine");
    EXPECT_TRUE(std::filesystem::is_fifo(FilePath()));
    // The FIFO is named for the teacher; the machine-wide regular file is not.
    EXPECT_EQ(PassedOverRosterFiles(root.Path()), std::vector<std::filesystem::path>{FilePath()});
    std::filesystem::remove(FilePath());
    EXPECT_TRUE(PassedOverRosterFiles(root.Path()).empty());
}

TEST_F(RosterTest, AFifoOrDeviceAtTheMachineWideRosterPathGivesTheBuiltInRoster)
{
    test_support::MakeFifo(MachineFile("first"));
    RosterSource source = RosterSource::File;
    std::filesystem::path found = "unset";
    EXPECT_TRUE(test_support::EndsWithin(3s, {MachineFile("first")}, [&] {
        source = InitialiseRoster(roster, root.Path());
        found = FindRosterFile(root.Path());
    }));
    EXPECT_EQ(source, RosterSource::Defaults);
    EXPECT_EQ(found, std::filesystem::path());
    EXPECT_EQ(RosterSurname(roster, 5, 1), FreeSlotMark());

    // A device reads without end (/dev/zero) or as nothing (/dev/null): neither is a roster.
    for (const char* device : {"/dev/zero", "/dev/null"}) {
        std::filesystem::remove(MachineFile("first"));
        std::filesystem::create_symlink(device, MachineFile("first"));
        roster = {};
        EXPECT_TRUE(
            test_support::EndsWithin(3s, {}, [&] { source = InitialiseRoster(roster, root.Path()); }));
        EXPECT_EQ(source, RosterSource::Defaults) << device;
        EXPECT_EQ(RosterGroupName(roster, 3), "253") << device;
    }
}

TEST_F(RosterTest, ReadingAFifoDirectlyDoesNotWait)
{
    test_support::MakeFifo(FilePath());
    roster = {};
    EXPECT_TRUE(test_support::EndsWithin(3s, {FilePath()}, [&] { ReadRosterFile(FilePath(), roster); }));
    // The second open fails as well, and then nothing is read and nothing raised.
    EXPECT_EQ(RosterGroupName(roster, 1), "");
}

} // namespace
} // namespace nirdal
