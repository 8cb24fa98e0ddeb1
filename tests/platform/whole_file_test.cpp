// SPDX-License-Identifier: MIT
#include "platform/data_root.h"
#include "platform/whole_file.h"
#include "support/temporary_root.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace nirdal {
namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::TemporaryRoot;
using test_support::WriteFile;

// Sets the umask for one test and puts the old one back afterwards.
class ScopedUmask
{
public:
    explicit ScopedUmask(mode_t mask) : m_old(::umask(mask)) {}
    ~ScopedUmask() { ::umask(m_old); }

private:
    mode_t m_old;
};

// The names in folder, sorted.
std::vector<std::string> Entries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t ModeOf(const fs::path& path)
{
    struct stat status
    {
    };
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 07777;
}

// Writes count bytes of 'x' into descriptor, then fails as a drawing that breaks half-way.
bool WriteThenThrow(int descriptor, std::size_t count)
{
    const std::string part(count, 'x');
    if (::write(descriptor, part.data(), part.size()) != static_cast<ssize_t>(part.size()))
        return false;
    throw std::runtime_error("the drawing broke");
}

class WholeFileTest : public testing::Test
{
protected:
    TemporaryRoot root;
    fs::path file = root.Path() / "plot.png";
    std::string error;
};

TEST_F(WholeFileTest, ReplacesTheContentAndLeavesNothingBeside)
{
    WriteFile(file, "old picture");
    ASSERT_TRUE(ReplaceFile(file, "new", error)) << error;
    EXPECT_EQ(ReadFile(file), "new");
    EXPECT_EQ(Entries(root.Path()), std::vector<std::string>{"plot.png"});

    // A file in the working folder, named without a folder.
    const fs::path here = fs::current_path();
    fs::current_path(root.Path());
    const bool written = ReplaceFile("relative.txt", "here", error);
    fs::current_path(here);
    ASSERT_TRUE(written) << error;
    EXPECT_EQ(ReadFile(root.Path() / "relative.txt"), "here");
}

TEST_F(WholeFileTest, AFailureHalfWayLeavesTheOldBytesAndNoTemporaryFile)
{
    WriteFile(file, "old picture");
    // A writer that throws after 5000 bytes.
    EXPECT_FALSE(WriteWholeFile(
        file, [](int descriptor, std::string&) { return WriteThenThrow(descriptor, 5000); },
        error));
    EXPECT_EQ(error, "cannot write " + file.string() +
                         ": the drawing broke; the file there is left as it was");
    EXPECT_EQ(ReadFile(file), "old picture");
    EXPECT_EQ(Entries(root.Path()), std::vector<std::string>{"plot.png"});

    // One that gives up with its reason.
    EXPECT_FALSE(WriteWholeFile(
        file,
        [](int descriptor, std::string& reason) {
            reason = "the encoder failed";
            return ::write(descriptor, "abc", 3) < 0;
        },
        error));
    EXPECT_NE(error.find(": the encoder failed"), std::string::npos) << error;
    EXPECT_EQ(ReadFile(file), "old picture");

    // One stopped before the rename, and an object dropped before its commit.
    EXPECT_FALSE(ReplaceFile(file, "new", error, [] { return false; }));
    {
        WholeFile whole(file);
        ASSERT_TRUE(whole.Open(error)) << error;
        ASSERT_TRUE(whole.Write("half", error));
        EXPECT_TRUE(fs::exists(whole.Temporary()));
        EXPECT_TRUE(IsTemporaryNameOf(whole.Temporary().filename().string(), "plot.png"));
    }
    EXPECT_EQ(ReadFile(file), "old picture");
    EXPECT_EQ(Entries(root.Path()), std::vector<std::string>{"plot.png"});

    // A new file that fails is not there at all, and no file is said to be left.
    const fs::path fresh = root.Path() / "fresh.png";
    EXPECT_FALSE(WriteWholeFile(
        fresh, [](int descriptor, std::string&) { return WriteThenThrow(descriptor, 10); }, error));
    EXPECT_EQ(error, "cannot write " + fresh.string() + ": the drawing broke");
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(Entries(root.Path()), std::vector<std::string>{"plot.png"});
}

TEST_F(WholeFileTest, ASymbolicLinkStaysALinkToTheNewContent)
{
    const fs::path pictures = root.Path() / "pictures";
    fs::create_directory(pictures);
    const fs::path real = pictures / "real.png";
    WriteFile(real, "old");
    // plot.png -> pictures/link.png -> real.png: relative links resolved from their folders.
    fs::create_symlink("pictures/link.png", file);
    fs::create_symlink("real.png", pictures / "link.png");
    ASSERT_TRUE(ReplaceFile(file, "new", error)) << error;
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_TRUE(fs::is_symlink(pictures / "link.png"));
    EXPECT_EQ(fs::read_symlink(file), "pictures/link.png");
    EXPECT_EQ(ReadFile(real), "new");
    EXPECT_EQ(Entries(pictures), (std::vector<std::string>{"link.png", "real.png"}));

    // A link to a file not there yet makes that file.
    const fs::path dangling = root.Path() / "dangling.png";
    fs::create_symlink(pictures / "made.png", dangling);
    ASSERT_TRUE(ReplaceFile(dangling, "made", error)) << error;
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(ReadFile(pictures / "made.png"), "made");

    // A loop of links is refused.
    fs::create_symlink("b", root.Path() / "a");
    fs::create_symlink("a", root.Path() / "b");
    EXPECT_FALSE(ReplaceFile(root.Path() / "a", "x", error));
    EXPECT_NE(error.find(std::strerror(ELOOP)), std::string::npos) << error;
}

TEST_F(WholeFileTest, FoldersEmptyAndUnencodableNamesAreRefused)
{
    const fs::path folder = root.Path() / "folder";
    fs::create_directory(folder);
    fs::create_symlink("folder", root.Path() / "to-folder");
    for (const fs::path& name :
         {folder, root.Path() / "to-folder", fs::path(root.Path().string() + "/new/")}) {
        EXPECT_FALSE(ReplaceFile(name, "x", error)) << name;
        EXPECT_NE(error.find("folder"), std::string::npos) << error;
    }
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_empty(folder));

    EXPECT_FALSE(ReplaceFile("", "x", error));
    EXPECT_EQ(error, "cannot write: no file name given");

    // "plot\xff.png": Latin-1 bytes, not UTF-8; not written as "plot\uFFFD.png" or at all.
    EXPECT_FALSE(ReplaceFile(root.Path() / "plot\xff.png", "x", error));
    EXPECT_NE(error.find("plot\\xff.png"), std::string::npos) << error;
    EXPECT_NE(error.find("UTF-8"), std::string::npos) << error;
    EXPECT_EQ(Entries(root.Path()), (std::vector<std::string>{"folder", "to-folder"}));
}

TEST_F(WholeFileTest, DevicesAndFifosAreWrittenIntoNeverReplaced)
{
    ASSERT_TRUE(ReplaceFile("/dev/null", "nothing", error)) << error;
    struct stat status
    {
    };
    ASSERT_EQ(::lstat("/dev/null", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
    for (const std::string& name : Entries("/dev"))
        EXPECT_FALSE(IsTemporaryNameOf(name, "null")) << name;

    const fs::path fifo = root.Path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Nobody reads it: refused at once, not waited on for ever.
    EXPECT_FALSE(ReplaceFile(fifo, "into nothing", error));
    EXPECT_EQ(errno, ENXIO);
    EXPECT_NE(error.find("nobody reads"), std::string::npos) << error;

    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(ReplaceFile(fifo, "through the pipe", error)) << error;
    char received[64] = {};
    EXPECT_EQ(::read(reader, received, sizeof received), 16);
    ::close(reader);
    EXPECT_STREQ(received, "through the pipe");
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(Entries(root.Path()), std::vector<std::string>{"fifo"});
}

// As the kernel's protected_symlinks: a link in a sticky folder open to all is followed only
// when it is the writer's or the folder owner's.
TEST_F(WholeFileTest, ALinkPlantedInASharedFolderIsNotFollowed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "planting a link of another account needs root";
    constexpr uid_t kOther = 54321;
    const fs::path shared = root.Path() / "shared", link = shared / "plot.png";
    const fs::path mine = root.Path() / "mine";
    fs::create_directory(shared);
    WriteFile(mine, "mine");
    fs::create_symlink(mine, link);
    struct Case
    {
        mode_t folderMode;
        uid_t linkOwner, folderOwner;
        bool followed;
    };
    for (const Case c : {Case{01777, kOther, 0, false}, Case{01777, 0, 0, true},
                         Case{01777, kOther, kOther, true}, Case{0777, kOther, 0, true},
                         Case{01755, kOther, 0, true}}) {
        ASSERT_EQ(::chmod(shared.c_str(), c.folderMode), 0);
        ASSERT_EQ(::chown(shared.c_str(), c.folderOwner, 0), 0);
        ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, 0), 0);
        WriteFile(mine, "mine");
        EXPECT_EQ(ReplaceFile(link, "planted", error), c.followed) << std::oct << c.folderMode;
        EXPECT_EQ(ReadFile(mine), c.followed ? "planted" : "mine") << std::oct << c.folderMode;
        if (!c.followed) {
            EXPECT_NE(error.find("symbolic link that another account owns"), std::string::npos)
                << error;
        }
        EXPECT_TRUE(fs::is_symlink(link));
    }
}

TEST_F(WholeFileTest, ASuccessfulWriteRemovesTheTemporaryFilesOfKilledWriters)
{
    WriteFile(root.Path() / ".plot.png.Ab3dE9", "left by a killed writer");
    WriteFile(root.Path() / ".plot.png.zzzzzz", "left by another");
    // A writer still at work holds its file's lock: its file stays.
    WriteFile(root.Path() / ".plot.png.Busy01", "being written");
    const int busy = ::open((root.Path() / ".plot.png.Busy01").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(busy, 0);
    ASSERT_EQ(::flock(busy, LOCK_EX), 0);
    // Not temporary files of plot.png.
    for (const char* other :
         {".plot.png.toolong7", ".plot.png.ab-def", ".plot.svg.Ab3dE9", "plot.png.Ab3dE9"})
        WriteFile(root.Path() / other, "kept");

    ASSERT_TRUE(ReplaceFile(file, "new", error)) << error;
    ::close(busy);
    EXPECT_EQ(
        Entries(root.Path()),
        (std::vector<std::string>{".plot.png.Busy01", ".plot.png.ab-def", ".plot.png.toolong7",
                                  ".plot.svg.Ab3dE9", "plot.png", "plot.png.Ab3dE9"}));

    EXPECT_TRUE(IsTemporaryNameOf(".a.b.XyZ019", "a.b"));
    EXPECT_FALSE(IsTemporaryNameOf(".a.b.XyZ01", "a.b"));
    EXPECT_FALSE(IsTemporaryNameOf("a.b.XyZ019", "a.b"));
    // A name as long as a file name may be has its temporary name cut to fit.
    const std::string longName(255, 'n');
    ASSERT_TRUE(ReplaceFile(root.Path() / longName, "long", error)) << error;
    EXPECT_EQ(ReadFile(root.Path() / longName), "long");
}

TEST_F(WholeFileTest, ModesFollowTheUmaskOrAreOpenToEveryone)
{
    const ScopedUmask mask(077);
    ASSERT_TRUE(ReplaceFile(file, "private", error)) << error;
    EXPECT_EQ(ModeOf(file), 0600u);

    // An existing file keeps the mode an administrator gave it.
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    ASSERT_TRUE(ReplaceFile(file, "again", error)) << error;
    EXPECT_EQ(ModeOf(file), 0640u);

    ASSERT_TRUE(ReplaceFile(file, "for all", FileReaders::Everyone, error)) << error;
    EXPECT_EQ(ModeOf(file), 0644u);
    const fs::path fresh = root.Path() / "fresh";
    ASSERT_TRUE(ReplaceFile(fresh, "for all", FileReaders::Everyone, error)) << error;
    EXPECT_EQ(ModeOf(fresh), 0644u);

    // Folders for everyone: made 0755; own (0700 already) opened; above it left alone.
    const fs::path above = root.Path() / "share";
    ASSERT_TRUE(fs::create_directories(above / "nirdal"));
    ASSERT_EQ(::chmod(above.c_str(), 0700), 0);
    ASSERT_EQ(::chmod((above / "nirdal").c_str(), 0700), 0);
    const fs::path deep = above / "nirdal" / "drive_c" / "abtom";
    ASSERT_TRUE(CreateDirectoriesForEveryone(deep, above / "nirdal", error)) << error;
    EXPECT_EQ(ModeOf(above), 0700u);
    EXPECT_EQ(ModeOf(above / "nirdal"), 0755u);
    EXPECT_EQ(ModeOf(above / "nirdal" / "drive_c"), 0755u);
    EXPECT_EQ(ModeOf(deep), 0755u);
}

TEST(Utf8, WellFormedTextOnly)
{
    const struct
    {
        std::string_view text;
        bool valid;
    } cases[] = {
        {"plot.png", true},
        {"\xd0\xb3\xd1\x80\xd0\xb0\xd1\x84\xd0\xb8\xd0\xba.pdf", true}, // "график.pdf"
        {"\xe2\x82\xac", true},                                         // U+20AC
        {"\xf0\x9f\x98\x80", true},                                     // U+1F600
        {"\xff", false},                                                // never in UTF-8
        {"\xc0\xaf", false},                                            // overlong "/"
        {"\xe0\x80\xaf", false},                                        // overlong "/"
        {"\xed\xa0\x80", false},                                        // surrogate U+D800
        {"\xf4\x90\x80\x80", false},                                    // past U+10FFFF
        {"\xd0", false},                                                // cut short
        {"\xcf\xeb\xee\xf2", false}, // "План" in Windows-1251
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsWellFormedUtf8(c.text), c.valid) << c.text;
}

// A small tmpfs, mounted for the test (root only), filled up by the write.
TEST(WholeFileFullDisk, NoSpaceLeavesTheOldFileAndNoTemporaryFile)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a tmpfs needs root";
    TemporaryRoot root;
    if (::mount("tmpfs", root.Path().c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    const fs::path file = root.Path() / "plot.png";
    const std::string old(20'000, 'o');
    std::string error;
    ASSERT_TRUE(ReplaceFile(file, old, error)) << error;
    // 100 kB do not fit in the 44 kB left.
    const bool written = ReplaceFile(file, std::string(100'000, 'n'), error);
    const std::string after = ReadFile(file);
    const std::vector<std::string> names = Entries(root.Path());
    ::umount(root.Path().c_str());
    EXPECT_FALSE(written);
    EXPECT_EQ(error, "cannot write " + file.string() + ": " + std::strerror(ENOSPC) +
                         "; the file there is left as it was");
    EXPECT_EQ(after, old);
    EXPECT_EQ(names, std::vector<std::string>{"plot.png"});
}

} // namespace
} // namespace nirdal
