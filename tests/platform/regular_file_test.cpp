// SPDX-License-Identifier: MIT
#include "platform/record_file.h"
#include "platform/regular_file.h"
#include "support/fifo.h"
#include "support/temporary_root.h"

#include <array>
#include <cerrno>
#include <gtest/gtest.h>

namespace nirdal {
namespace {

using namespace std::chrono_literals;
using test_support::WriteFile;

class RegularFileTest : public ::testing::Test
{
protected:
    std::filesystem::path Path(const char* name) const { return root.Path() / name; }

    test_support::TemporaryRoot root;
};

TEST_F(RegularFileTest, ReadsAWholeFileUpToTheLimit)
{
    const std::string bytes = std::string("line\r\n\0binary\xff", 14) + std::string(70000, 'x');
    WriteFile(Path("file"), bytes);
    for (std::size_t limit : {bytes.size(), bytes.size() + 1, std::size_t{1} << 20}) {
        std::string read = "stale";
        std::string error;
        EXPECT_TRUE(ReadRegularFile(Path("file"), limit, read, error)) << limit << ": " << error;
        EXPECT_EQ(read, bytes) << limit;
    }
    WriteFile(Path("empty"), "");
    std::string read = "stale";
    std::string error;
    EXPECT_TRUE(ReadRegularFile(Path("empty"), 0, read, error)) << error;
    EXPECT_EQ(read, "");
}

TEST_F(RegularFileTest, AFileOverTheLimitIsRefusedByName)
{
    WriteFile(Path("big"), std::string(70001, 'x'));
    for (std::size_t limit : {std::size_t{0}, std::size_t{65536}, std::size_t{70000}}) {
        std::string read;
        std::string error;
        EXPECT_FALSE(ReadRegularFile(Path("big"), limit, read, error)) << limit;
        EXPECT_EQ(errno, EFBIG) << limit;
        EXPECT_EQ(read, "") << limit;
        EXPECT_EQ(error, Path("big").string() + ": larger than " + std::to_string(limit) +
                             " bytes, not read");
    }
}

TEST_F(RegularFileTest, OnlyARegularFileIsRead)
{
    test_support::MakeFifo(Path("fifo"));
    std::filesystem::create_directory(Path("folder"));
    std::filesystem::create_symlink(Path("fifo"), Path("link to fifo"));
    const struct
    {
        std::filesystem::path path;
        int code;
        std::string message;
    } cases[] = {
        {Path("fifo"), ENODEV, "is a FIFO, not a file"},
        {Path("link to fifo"), ENODEV, "is a FIFO, not a file"},
        {Path("folder"), EISDIR, "is a folder, not a file"},
        // Read without end, or without a limit, a device would fill the memory.
        {"/dev/zero", ENODEV, "is a character device, not a file"},
        {"/dev/null", ENODEV, "is a character device, not a file"},
        {Path("missing"), ENOENT, "No such file or directory"},
    };
    for (const auto& c : cases) {
        std::string read;
        std::string error;
        int code = 0;
        bool result = true;
        EXPECT_TRUE(test_support::EndsWithin(3s, {Path("fifo")}, [&] {
            result = ReadRegularFile(c.path, 1 << 20, read, error);
            code = errno;
        })) << c.path;
        EXPECT_FALSE(result) << c.path;
        EXPECT_EQ(code, c.code) << c.path;
        EXPECT_EQ(error, c.path.string() + ": " + c.message);

        int descriptor = 0;
        EXPECT_TRUE(test_support::EndsWithin(3s, {Path("fifo")}, [&] {
            descriptor = OpenRegularFile(c.path);
            code = errno;
        })) << c.path;
        EXPECT_EQ(descriptor, -1) << c.path;
        EXPECT_EQ(code, c.code) << c.path;
    }
}

TEST_F(RegularFileTest, TheOpenFileReadsWithoutNonBlockingSurprises)
{
    WriteFile(Path("file"), "abc");
    const int descriptor = OpenRegularFile(Path("file"));
    ASSERT_GE(descriptor, 0);
    EXPECT_EQ(::fcntl(descriptor, F_GETFL) & O_NONBLOCK, 0);
    EXPECT_NE(::fcntl(descriptor, F_GETFD) & FD_CLOEXEC, 0);
    ::close(descriptor);
}

TEST_F(RegularFileTest, ARecordFileIsNeverAFifo)
{
    test_support::MakeFifo(Path("fifo"));
    RecordFile file;
    int code = 0;
    EXPECT_TRUE(
        test_support::EndsWithin(3s, {Path("fifo")}, [&] { code = file.Open(Path("fifo")); }));
    EXPECT_EQ(code, ENODEV);
    std::array<unsigned char, 4> record{};
    EXPECT_EQ(file.Read(0, record), EBADF);
}

} // namespace
} // namespace nirdal
