// SPDX-License-Identifier: MIT
#include "platform/data_root.h"
#include "platform/record_file.h"
#include "support/temporary_root.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>

namespace nirdal {
namespace {

// Sets or clears an environment variable for one test and puts it back afterwards.
class ScopedVariable
{
public:
    ScopedVariable(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedVariable() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(DataRoot, NirdalRootWinsOverTheUsersDataFolder)
{
    ScopedVariable root("NIRDAL_ROOT", "/srv/lab");
    ScopedVariable data("XDG_DATA_HOME", "/home/u/data");
    EXPECT_EQ(DataRoot(), "/srv/lab");
}

TEST(DataRoot, FallsBackToXdgDataHomeThenHome)
{
    ScopedVariable root("NIRDAL_ROOT", "");
    ScopedVariable home("HOME", "/home/u");
    {
        ScopedVariable data("XDG_DATA_HOME", "/home/u/data");
        EXPECT_EQ(DataRoot(), "/home/u/data/nirdal");
    }
    for (const char* unusable : {"", "relative/data"}) {
        ScopedVariable data("XDG_DATA_HOME", unusable);
        EXPECT_EQ(DataRoot(), "/home/u/.local/share/nirdal") << unusable;
    }
}

TEST(LocalPath, MapsWindowsPathsUnderTheRoot)
{
    const struct
    {
        const char* windows;
        const char* local;
    } cases[] = {
        {"c:\\Program Files\\Microsoft Office\\abtom\\curso.ASM",
         "/r/drive_c/Program Files/Microsoft Office/abtom/curso.ASM"},
        {"C:\\abtom", "/r/drive_c/abtom"},
        {"d:\\data\\x.txt", "/r/drive_d/data/x.txt"},
        {"\\curso.ASM", "/r/drive_c/curso.ASM"},
        {"c:\\a\\\\b\\.\\c\\", "/r/drive_c/a/b/c"},
        {"c:\\a\\..\\..\\..\\etc", "/r/drive_c/etc"}, // never above the drive
        {"metod\\albom.exe", "metod/albom.exe"},      // relative to the working folder
        {"..\\x", "../x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LocalPath("/r", c.windows), c.local) << c.windows;
}

TEST(LocalPath, NamesBecomeUtf8)
{
    // "c:\Документы" in Windows-1251.
    EXPECT_EQ(LocalPath("/r", "c:\\\xC4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xFB"), "/r/drive_c/Документы");
}

TEST(CreateDirectories, MakesEveryMissingLevel)
{
    test_support::TemporaryRoot root;
    const auto folder = root.Path() / "drive_c" / "Program Files" / "abtom";
    EXPECT_TRUE(CreateDirectories(folder));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(CreateDirectories(folder)); // already there

    test_support::WriteFile(root.Path() / "file", "x");
    EXPECT_FALSE(CreateDirectories(root.Path() / "file" / "sub"));
}

TEST(RecordFile, ReportsAShortRecordAsReadBeyondEnd)
{
    test_support::TemporaryRoot root;
    const auto path = root.Path() / "records";
    test_support::WriteFile(path, "abcdefg");
    RecordFile file;
    ASSERT_EQ(file.Open(path), 0);
    unsigned char record[3];
    EXPECT_EQ(file.Read(1, record), 0);
    EXPECT_EQ(std::string(record, record + 3), "def");
    EXPECT_EQ(file.Read(2, record), RecordFile::kReadBeyondEnd);
    EXPECT_EQ(RecordFile::ErrorText(RecordFile::kReadBeyondEnd), "Read beyond end of file");
}

TEST(RecordFile, OpensOnlyRegularFiles)
{
    test_support::TemporaryRoot root;
    RecordFile file;
    EXPECT_NE(file.Open(root.Path() / "missing"), 0);
    EXPECT_NE(file.Open(root.Path()), 0);
    unsigned char record[1];
    EXPECT_NE(file.Read(0, record), 0); // not open
}

} // namespace
} // namespace nirdal
