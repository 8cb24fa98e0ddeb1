// SPDX-License-Identifier: MIT
// Every file the commands write is whole or not there: cut-short input, special paths, a
// full disk and a umask that would hide the machine-wide roster, run as a user runs them.
#include "support/command.h"
#include "support/temporary_root.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nirdal {
namespace {

namespace fs = std::filesystem;
using test_support::CommandResult;
using test_support::ReadFile;
using test_support::RunCommand;
using test_support::TemporaryRoot;
using test_support::WriteFile;

const std::string kCli = NIRDAL_CLI;
const std::string kExporter = (fs::path(NIRDAL_CLI).parent_path() / "nirdal-export").string();
const std::string kPngSignature = "\x89PNG\r\n\x1a\n";

// The names in folder that are not in expected, i.e. anything left beside the files.
std::vector<std::string> Others(const fs::path& folder, const std::vector<std::string>& expected)
{
    std::vector<std::string> others;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end())
            others.push_back(name);
    }
    return others;
}

mode_t ModeOf(const fs::path& path)
{
    struct stat status
    {
    };
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 07777;
}

std::string Quoted(const fs::path& path)
{
    return "'" + path.string() + "'";
}

TEST(WholeFiles, AClassReportWhoseInputStopsBeforeItsEndIsNotWritten)
{
    TemporaryRoot scratch;
    const fs::path report = scratch.Path() / "report.pdf";
    WriteFile(report, "last week's report");
    const std::string records = "title\tКласс\nstudent\tИванов\ntf\t1:1,1:0\nrow\tИванов\t251\n";
    WriteFile(scratch.Path() / "cut", records);
    const CommandResult cut = RunCommand("'" + kExporter + "' --report " + Quoted(report) + " <" +
                                         Quoted(scratch.Path() / "cut"));
    EXPECT_EQ(cut.status, 1);
    EXPECT_NE(cut.errors.find("stopped before its end"), std::string::npos) << cut.errors;
    EXPECT_EQ(ReadFile(report), "last week's report");
    EXPECT_EQ(Others(scratch.Path(), {"report.pdf", "cut"}), std::vector<std::string>{});

    WriteFile(scratch.Path() / "whole", records + "end\n");
    const CommandResult whole = RunCommand("'" + kExporter + "' --report " + Quoted(report) + " <" +
                                           Quoted(scratch.Path() / "whole"));
    ASSERT_EQ(whole.status, 0) << whole.errors;
    EXPECT_EQ(ReadFile(report).substr(0, 5), "%PDF-");
    EXPECT_EQ(Others(scratch.Path(), {"report.pdf", "cut", "whole"}), std::vector<std::string>{});
}

TEST(WholeFiles, SpecialPathsForAPicture)
{
    TemporaryRoot scratch;
    const std::string plot = "'" + kCli + "' plot --tf 1:1,1 -o ";

    // A link stays a link, to the new picture.
    const fs::path real = scratch.Path() / "real.png";
    WriteFile(real, "old");
    fs::create_symlink("real.png", scratch.Path() / "link.png");
    const CommandResult linked = RunCommand(plot + Quoted(scratch.Path() / "link.png"));
    ASSERT_EQ(linked.status, 0) << linked.errors;
    EXPECT_TRUE(fs::is_symlink(scratch.Path() / "link.png"));
    EXPECT_EQ(ReadFile(real).substr(0, 8), kPngSignature);

    // A device is written into and stays a device (named .png, so the picture is a PNG).
    fs::create_symlink("/dev/null", scratch.Path() / "null.png");
    const CommandResult intoNull = RunCommand(plot + Quoted(scratch.Path() / "null.png"));
    EXPECT_EQ(intoNull.status, 0) << intoNull.errors;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_TRUE(fs::is_symlink(scratch.Path() / "null.png"));

    // A folder named like a picture is refused and left as it was.
    fs::create_directory(scratch.Path() / "folder.png");
    const CommandResult folder = RunCommand(plot + Quoted(scratch.Path() / "folder.png"));
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.errors.find("it is a folder"), std::string::npos) << folder.errors;
    EXPECT_TRUE(fs::is_empty(scratch.Path() / "folder.png"));

    // A name in Latin-1 is not written under another name.
    const CommandResult latin = RunCommand(plot + Quoted(scratch.Path().string() + "/gr\xe4"
                                                                                   "f.png"));
    EXPECT_EQ(latin.status, 1);
    EXPECT_NE(latin.errors.find("gr\\xe4f.png"), std::string::npos) << latin.errors;
    EXPECT_EQ(Others(scratch.Path(), {"real.png", "link.png", "null.png", "folder.png"}),
              std::vector<std::string>{});
}

TEST(WholeFiles, TheMachineWideRosterIsReadableByAllWhateverTheUmask)
{
    TemporaryRoot scratch;
    const fs::path machine = scratch.Path() / "share";
    const std::string environment = "NIRDAL_ROOT='" + (scratch.Path() / "own").string() +
                                    "' XDG_DATA_DIRS='" + machine.string() + "' ";
    WriteFile(scratch.Path() / "table", "251,Иванов И.И.\n");
    const CommandResult write =
        RunCommand("umask 077; " + environment + "'" + kCli + "' roster --write --system <" +
                   Quoted(scratch.Path() / "table"));
    ASSERT_EQ(write.status, 0) << write.errors;
    const fs::path folder =
        machine / "nirdal" / "drive_c" / "Program Files" / "Microsoft Office" / "abtom";
    EXPECT_EQ(ModeOf(folder / "curso.ASM"), 0644u);
    for (fs::path path = folder; path != machine; path = path.parent_path())
        EXPECT_EQ(ModeOf(path), 0755u) << path;

    // An empty output name is refused, not taken for the own roster.
    const CommandResult empty = RunCommand(environment + "'" + kCli + "' roster --write -o '' <" +
                                           Quoted(scratch.Path() / "table"));
    EXPECT_EQ(empty.status, 2);
    EXPECT_NE(empty.errors.find("-o: the file name is empty"), std::string::npos) << empty.errors;
    EXPECT_FALSE(fs::exists(scratch.Path() / "own"));
}

// assign's three files are one draw: named outputs are checked before anything is written,
// and an output that cannot be written leaves all three as they were.
TEST(WholeFiles, AssignWritesItsThreeFilesAsOneOrNone)
{
    TemporaryRoot scratch;
    const fs::path folder = scratch.Path();
    const std::string environment = "NIRDAL_ROOT='" + (folder / "own").string() + "' ";
    WriteFile(folder / "table", "251,Иванов И.И.\n252,Петров П.П.\n");
    ASSERT_EQ(RunCommand(environment + "'" + kCli + "' roster --write <" +
                         Quoted(folder / "table"))
                  .status,
              0);
    const std::string assign = environment + "'" + kCli + "' assign '" + NIRDAL_SAMPLE_TEMPLATE +
                               "' --seed 5 ";
    const std::string template_ = ReadFile(NIRDAL_SAMPLE_TEMPLATE);
    for (const char* name : {"class.csv", "h.pdf", "k.pdf"})
        WriteFile(folder / name, "old");
    const std::string three = "-o " + Quoted(folder / "class.csv") + " --handout " +
                              Quoted(folder / "h.pdf") + " --key " + Quoted(folder / "k.pdf");
    const struct
    {
        std::string arguments, message;
    } refusals[] = {
        {"-o ''", "-o: the file name is empty"},
        {"--handout " + Quoted(folder / "h.pdf") + " --key " + Quoted(folder / "h.pdf"),
         "--handout and --key name one file"},
        {"-o " + Quoted(folder / "k.pdf") + " --key " + Quoted(folder / "own" / ".." / "k.pdf"),
         "-o and --key name one file"},
        {"-o " + Quoted(NIRDAL_SAMPLE_TEMPLATE), "names the template"},
    };
    for (const auto& refusal : refusals) {
        const CommandResult refused = RunCommand(assign + refusal.arguments);
        EXPECT_EQ(refused.status, 2) << refusal.arguments;
        EXPECT_NE(refused.errors.find(refusal.message), std::string::npos)
            << refusal.arguments << ": " << refused.errors;
        EXPECT_EQ(refused.output, "") << refusal.arguments;
    }
    EXPECT_EQ(ReadFile(NIRDAL_SAMPLE_TEMPLATE), template_);

    // A FIFO nobody reads as the handout: refused at once, the class file not replaced.
    ASSERT_EQ(::mkfifo((folder / "fifo.pdf").c_str(), 0600), 0);
    const CommandResult fifo = RunCommand("timeout 20 env " + assign + "-o " +
                                          Quoted(folder / "class.csv") + " --handout " +
                                          Quoted(folder / "fifo.pdf"));
    EXPECT_EQ(fifo.status, 1);
    EXPECT_NE(fifo.errors.find("nobody reads"), std::string::npos) << fifo.errors;
    for (const char* name : {"class.csv", "h.pdf", "k.pdf"})
        EXPECT_EQ(ReadFile(folder / name), "old") << name;

    // Scratch files of a killed run go with the next run's write.
    WriteFile(folder / ".h.pdf.Ab3dE9", "left by a killed run");
    const CommandResult whole = RunCommand(assign + three);
    ASSERT_EQ(whole.status, 0) << whole.errors;
    EXPECT_EQ(ReadFile(folder / "h.pdf").substr(0, 5), "%PDF-");
    EXPECT_EQ(Others(folder, {"class.csv", "h.pdf", "k.pdf", "table", "own", "fifo.pdf"}),
              std::vector<std::string>{});
}

TEST(WholeFiles, StandardInputIsBoundedAsFilesAre)
{
    TemporaryRoot scratch;
    const CommandResult zeros =
        RunCommand("NIRDAL_ROOT='" + scratch.Path().string() + "' '" + kCli +
                   "' roster --write -o " + Quoted(scratch.Path() / "x") + " </dev/zero");
    EXPECT_EQ(zeros.status, 1);
    EXPECT_NE(zeros.errors.find("larger than 1048576 bytes"), std::string::npos) << zeros.errors;
    EXPECT_FALSE(fs::exists(scratch.Path() / "x"));
    const CommandResult exporter =
        RunCommand("head -c 3000000 /dev/zero | '" + kExporter + "' --handout " +
                   Quoted(scratch.Path() / "h.pdf"));
    EXPECT_EQ(exporter.status, 1);
    EXPECT_FALSE(fs::exists(scratch.Path() / "h.pdf"));
}

// Every writer on a full disk: a small tmpfs, mounted by the test (root only), filled up.
class FullDisk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "mounting a tmpfs needs root";
        if (::mount("tmpfs", disk.Path().c_str(), "tmpfs", 0, "size=1m,mode=0755") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
        mounted = true;
    }
    void TearDown() override
    {
        if (mounted)
            ::umount(disk.Path().c_str());
    }

    // Fills what is left of the disk with one file.
    void Fill()
    {
        const int descriptor =
            ::open((disk.Path() / "filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(descriptor, 0);
        const std::string block(4096, 'f');
        while (::write(descriptor, block.data(), block.size()) > 0) {
        }
        for (char c = 'f'; ::write(descriptor, &c, 1) > 0;) {
        }
        ::close(descriptor);
    }

    // Runs the command on the full disk and checks the old file at path is as it was.
    void ExpectRefused(const std::string& command, const fs::path& path, const std::string& old)
    {
        const CommandResult result = RunCommand(command);
        EXPECT_NE(result.status, 0) << command;
        EXPECT_NE(result.errors.find(std::strerror(ENOSPC)), std::string::npos) << command << "\n"
                                                                                << result.errors;
        EXPECT_EQ(ReadFile(path), old) << command;
    }

    TemporaryRoot disk;
    bool mounted = false;
};

TEST_F(FullDisk, EveryWriterFailsAndLeavesTheOldFile)
{
    const fs::path plots = disk.Path() / "plots";
    fs::create_directory(plots);
    const std::string old = "an earlier file";
    for (const char* name : {"plot.png", "plot.svg", "plot.pdf", "report.pdf", "curso.ASM"})
        WriteFile(disk.Path() / name, old);
    WriteFile(plots / "251_Ivanov.png", old);
    WriteFile(disk.Path() / "class.csv", "Ivanov,251,1,1 1,0\n");
    WriteFile(disk.Path() / "table", "251,Иванов И.И.\n");
    const std::string own = "NIRDAL_ROOT='" + (disk.Path() / "own").string() + "' '" + kCli + "' ";
    ASSERT_EQ(RunCommand(own + "roster --write <" + Quoted(disk.Path() / "table")).status, 0);
    for (const char* name : {"class2.csv", "h.pdf", "k.pdf"})
        WriteFile(disk.Path() / name, old);
    Fill();

    for (const char* name : {"plot.png", "plot.svg", "plot.pdf"})
        ExpectRefused("'" + kCli + "' plot --tf 1:1,1 -o " + Quoted(disk.Path() / name),
                      disk.Path() / name, old);
    const std::string batch = "'" + kCli + "' batch " + Quoted(disk.Path() / "class.csv");
    ExpectRefused(batch + " --plots " + Quoted(plots), plots / "251_Ivanov.png", old);
    ExpectRefused(batch + " --report " + Quoted(disk.Path() / "report.pdf"),
                  disk.Path() / "report.pdf", old);
    ExpectRefused("'" + kCli + "' roster --write -o " + Quoted(disk.Path() / "curso.ASM") + " <" +
                      Quoted(disk.Path() / "table"),
                  disk.Path() / "curso.ASM", old);
    // assign: the disk is full before the handout is in; the class file keeps the old draw.
    ExpectRefused(own + "assign '" NIRDAL_SAMPLE_TEMPLATE "' --seed 1 -o " +
                      Quoted(disk.Path() / "class2.csv") + " --handout " +
                      Quoted(disk.Path() / "h.pdf") + " --key " + Quoted(disk.Path() / "k.pdf"),
                  disk.Path() / "class2.csv", old);
    EXPECT_EQ(ReadFile(disk.Path() / "h.pdf"), old);
    EXPECT_EQ(ReadFile(disk.Path() / "k.pdf"), old);
    EXPECT_EQ(Others(disk.Path(), {"plot.png", "plot.svg", "plot.pdf", "report.pdf", "curso.ASM",
                                   "class.csv", "table", "filler", "plots", "own", "class2.csv",
                                   "h.pdf", "k.pdf"}),
              std::vector<std::string>{});
    EXPECT_EQ(Others(plots, {"251_Ivanov.png"}), std::vector<std::string>{});
}

} // namespace
} // namespace nirdal
