// SPDX-License-Identifier: MIT
#include "platform/file_registry.h"
#include "support/fifo.h"
#include "support/temporary_root.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace nirdal {
namespace {

using test_support::ReadFile;
using test_support::WriteFile;

const RegistryValue kTwo{kRegDword, {2, 0, 0, 0}};
const RegistryValue kThree{kRegDword, {3, 0, 0, 0}};

class FileRegistryTest : public ::testing::Test
{
protected:
    std::vector<std::filesystem::path> RegistryFolder() const
    {
        std::vector<std::filesystem::path> names;
        for (const auto& entry :
             std::filesystem::directory_iterator(registry.FilePath().parent_path()))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    test_support::TemporaryRoot root;
    FileRegistry registry{root.Path()};
};

TEST_F(FileRegistryTest, LivesInTheRootsRegistryFolder)
{
    EXPECT_EQ(registry.FilePath(), root.Path() / "registry" / "machine.reg");
}

TEST_F(FileRegistryTest, KeysAndValuesOutliveTheConnection)
{
    {
        const auto connection = registry.Connect();
        EXPECT_FALSE(connection->OpenKey("\\SOFTWARE\\tarn5\\INF", false));
        ASSERT_TRUE(connection->OpenKey("\\SOFTWARE\\tarn5\\", true));
        EXPECT_FALSE(connection->KeyExists("INF"));
        ASSERT_TRUE(connection->CreateKey("INF")); // relative to the open key
        ASSERT_TRUE(connection->OpenKey("\\software\\TARN5\\inf", false));
        EXPECT_TRUE(connection->WriteValue("zadan", kTwo));
    }
    const auto connection = registry.Connect();
    EXPECT_TRUE(connection->KeyExists("\\SOFTWARE"));
    ASSERT_TRUE(connection->OpenKey("\\SOFTWARE\\tarn5\\INF", false));
    EXPECT_TRUE(connection->ValueExists("ZADAN"));
    EXPECT_EQ(connection->ReadValue("zadan"), kTwo);
    EXPECT_FALSE(connection->ReadValue("pecats"));
    // Keys keep the spelling they were created with.
    EXPECT_NE(ReadFile(registry.FilePath())
                  .find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\tarn5\\INF]\n"
                        "\"zadan\"=dword:00000002\n"),
              std::string::npos);
}

TEST_F(FileRegistryTest, TheRootHoldsNoValues)
{
    const auto connection = registry.Connect();
    EXPECT_FALSE(connection->WriteValue("a", kTwo)); // no key open
    ASSERT_TRUE(connection->OpenKey("\\", false));
    EXPECT_FALSE(connection->WriteValue("a", kTwo));
    EXPECT_FALSE(std::filesystem::exists(registry.FilePath()));
}

TEST_F(FileRegistryTest, ReadingNeverRewritesTheFile)
{
    const std::string text =
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\tarn5\\INF]\n\"zadan\"=dword:3\n";
    WriteFile(registry.FilePath(), text);
    const auto connection = registry.Connect();
    ASSERT_TRUE(connection->OpenKey("\\SOFTWARE\\tarn5\\INF", true));
    EXPECT_TRUE(connection->KeyExists("\\SOFTWARE\\tarn5"));
    EXPECT_EQ(connection->ReadValue("zadan"), kThree);
    EXPECT_EQ(ReadFile(registry.FilePath()), text);
}

TEST_F(FileRegistryTest, FailedWriteLeavesThePreviousFileWhole)
{
    {
        const auto connection = registry.Connect();
        ASSERT_TRUE(connection->OpenKey("\\SOFTWARE\\tarn5\\INF", true));
        ASSERT_TRUE(connection->WriteValue("zadan", kTwo));
    }
    const std::string before = ReadFile(registry.FilePath());
    bool checked = false;
    registry.SetReplaceCheck([&] {
        checked = true;
        return false;
    });
    const auto connection = registry.Connect();
    ASSERT_TRUE(connection->OpenKey("\\SOFTWARE\\tarn5\\INF", false));
    EXPECT_FALSE(connection->WriteValue("zadan", kThree));
    EXPECT_FALSE(connection->CreateKey("\\SOFTWARE\\other"));
    EXPECT_TRUE(checked);
    // The connection goes on with what is on disk, and no temporary file is left behind.
    EXPECT_EQ(connection->ReadValue("zadan"), kTwo);
    EXPECT_FALSE(connection->KeyExists("\\SOFTWARE\\other"));
    EXPECT_EQ(ReadFile(registry.FilePath()), before);
    EXPECT_EQ(RegistryFolder(), std::vector<std::filesystem::path>{"machine.reg"});
}

TEST_F(FileRegistryTest, UnreadableFileIsKeptAsideAndTheRegistryStartsEmpty)
{
    const std::string garbage =
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\SOFTWARE\n";
    WriteFile(registry.FilePath(), garbage);
    const auto connection = registry.Connect();
    EXPECT_FALSE(connection->KeyExists("\\SOFTWARE"));
    const auto names = RegistryFolder();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(names[0].string().starts_with("machine.reg.corrupt-")) << names[0];
    EXPECT_EQ(ReadFile(registry.FilePath().parent_path() / names[0]), garbage);

    ASSERT_TRUE(connection->OpenKey("\\SOFTWARE\\tarn5\\INF", true));
    EXPECT_TRUE(connection->WriteValue("zadan", kTwo));
    EXPECT_EQ(RegistryFolder().size(), 2u);
}

TEST_F(FileRegistryTest, NoKeyOpensWhereTheRegistryMayNotBeWritten)
{
    // A file where the registry folder belongs stops even the super-user.
    WriteFile(root.Path() / "registry", "not a folder");
    const auto connection = registry.Connect();
    EXPECT_FALSE(connection->OpenKey("\\SOFTWARE\\tarn5", true));
    EXPECT_FALSE(connection->CreateKey("\\SOFTWARE"));
    EXPECT_FALSE(connection->KeyExists("\\"));
    EXPECT_EQ(ReadFile(root.Path() / "registry"), "not a folder");
}

TEST_F(FileRegistryTest, NoKeyOpensInAReadOnlyFolder)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the super-user may write anywhere";
    std::filesystem::create_directories(registry.FilePath().parent_path());
    std::filesystem::permissions(registry.FilePath().parent_path(),
                                 std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const auto connection = registry.Connect();
    EXPECT_FALSE(connection->OpenKey("\\SOFTWARE", true));
    std::filesystem::permissions(registry.FilePath().parent_path(),
                                 std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

} // namespace
} // namespace nirdal

namespace nirdal {
namespace {

using namespace std::chrono_literals;

class FileRegistryInputTest : public FileRegistryTest
{
protected:
    FileRegistryInputTest()
    {
        registry.SetReport([this](const std::string& message) { reported.push_back(message); });
        std::filesystem::create_directories(registry.FilePath().parent_path());
    }

    // What a connection sees of the settings key, and whether it could create it.
    void Connect(bool& opens, bool& creates)
    {
        const auto connection = registry.Connect();
        opens = connection->OpenKey("\\SOFTWARE\\tarn5\\INF", false);
        creates = connection->OpenKey("\\SOFTWARE\\tarn5\\INF", true);
    }

    std::vector<std::string> reported;
};

TEST_F(FileRegistryInputTest, AFifoOrDeviceIsARegistryThatCannotBeOpened)
{
    test_support::MakeFifo(registry.FilePath());
    bool opens = true;
    bool creates = true;
    EXPECT_TRUE(
        test_support::EndsWithin(3s, {registry.FilePath()}, [&] { Connect(opens, creates); }));
    EXPECT_FALSE(opens);
    EXPECT_FALSE(creates);
    EXPECT_TRUE(std::filesystem::is_fifo(registry.FilePath()));

    std::filesystem::remove(registry.FilePath());
    std::filesystem::create_symlink("/dev/zero", registry.FilePath());
    EXPECT_TRUE(test_support::EndsWithin(3s, {}, [&] { Connect(opens, creates); }));
    EXPECT_FALSE(opens);
    EXPECT_FALSE(creates);
    EXPECT_TRUE(std::filesystem::is_symlink(registry.FilePath()));
    EXPECT_EQ(reported, std::vector<std::string>{});
}

TEST_F(FileRegistryInputTest, AFileOverOneMegabyteIsRefusedAndReportedOnce)
{
    const std::string head =
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\tarn5\\INF]\n\"zadan\"=dword:3\n";
    // A comment fills the file to exactly 1 MB (1,048,576 bytes), which is still read.
    const std::string full = head + ";" + std::string((1 << 20) - head.size() - 2, 'x') + "\n";
    ASSERT_EQ(full.size(), 1048576u);
    WriteFile(registry.FilePath(), full);
    {
        const auto connection = registry.Connect();
        ASSERT_TRUE(connection->OpenKey("\\SOFTWARE\\tarn5\\INF", false));
        EXPECT_EQ(connection->ReadValue("zadan"), kThree);
    }
    EXPECT_EQ(reported, std::vector<std::string>{});

    const std::string over = full + "\n";
    WriteFile(registry.FilePath(), over);
    for (int connection = 0; connection < 3; ++connection) {
        bool opens = true;
        bool creates = true;
        Connect(opens, creates);
        EXPECT_FALSE(opens);
        EXPECT_FALSE(creates);
    }
    EXPECT_EQ(reported, std::vector<std::string>{registry.FilePath().string() +
                                                 ": larger than 1048576 bytes, not read; the "
                                                 "settings are neither read nor stored"});
    // Left where it is, byte for byte, for whoever made it.
    EXPECT_EQ(ReadFile(registry.FilePath()), over);
    EXPECT_EQ(RegistryFolder(), std::vector<std::filesystem::path>{"machine.reg"});
}

} // namespace
} // namespace nirdal
