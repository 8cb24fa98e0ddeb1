// SPDX-License-Identifier: MIT
#include "support/command.h"
#include "support/temporary_root.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <sys/wait.h>

namespace nirdal {
namespace {

using test_support::CommandResult;

// Runs nirdal-cli with arguments already quoted for the shell.
using test_support::Contains;
using test_support::RunCli;

TEST(AnalyseCommand, CubicLagOnAndInsideTheBoundary)
{
    const CommandResult boundary = RunCli("analyse --tf 8:1,3,3,1");
    ASSERT_EQ(boundary.status, 0) << boundary.errors;
    EXPECT_TRUE(Contains(boundary.output, "  verdict:        boundary\n")) << boundary.output;
    EXPECT_TRUE(Contains(boundary.output, "  gain margin:    1 (0.00 dB) at ω = 1.73205 rad/s\n"));
    EXPECT_TRUE(Contains(boundary.output, "  phase margin:   0.00° at ω = 1.73205 rad/s\n"));

    const CommandResult inside = RunCli("analyse --tf 4:1,3,3,1");
    ASSERT_EQ(inside.status, 0);
    EXPECT_TRUE(Contains(inside.output, "  verdict:        stable\n")) << inside.output;
    EXPECT_TRUE(Contains(inside.output, "  gain margin:    2 (6.02 dB) at ω = 1.73205 rad/s\n"));
    EXPECT_TRUE(Contains(inside.output, "  poles:          -1, -1, -1\n"));
}

TEST(AnalyseCommand, CsvAndJsonCarryEveryVariant)
{
    const CommandResult csv = RunCli("analyse --tf 4:1,3,3,1 --tf 1:1,1,0 --format csv");
    ASSERT_EQ(csv.status, 0);
    EXPECT_EQ(csv.output.substr(0, csv.output.find('\n')),
              "variant,tf,verdict,P,axis_poles,N,Z,gain_margin,gain_margin_db,phase_crossover,"
              "phase_margin_deg,gain_crossover,delay_margin,delay_crossover,failure");
    EXPECT_TRUE(Contains(csv.output, "\n2,\"1:1,1,0\",stable,0,1,0,0,none,,,51.8272"))
        << csv.output;

    const CommandResult json = RunCli("analyse --tf 2:1,-1 --format json");
    ASSERT_EQ(json.status, 0);
    for (const char* part : {"\"verdict\":\"stable\"", "\"P\":1", "\"N\":-1", "\"Z\":0",
                             "\"gain_margin\":{\"factor\":0.5,", "\"phase_crossovers\":[{\"w\":0,"})
        EXPECT_TRUE(Contains(json.output, part)) << part << "\n" << json.output;
}

// The delay margin: 2·exp(−s)/(s + 1)³ meets |W| = 1 where 1 + ω² = 2^(2/3), ω = 0.766421,
// at the phase −3·atan ω − ω, 23.685° above −180°: 0.41339 rad more lag, 0.539374 s. 4/(s + 1)³
// meets it at ω = 1.23282 with 27.14° to spare: 0.384250 s.
TEST(AnalyseCommand, TheDelayMarginInTextCsvAndJson)
{
    const CommandResult text = RunCli("analyse --tf 2:1,3,3,1:1");
    ASSERT_EQ(text.status, 0) << text.errors;
    EXPECT_TRUE(Contains(text.output, "  delay margin:   0.539374 s at ω = 0.766421 rad/s\n"))
        << text.output;

    const CommandResult csv = RunCli("analyse --tf 4:1,3,3,1 --tf 16:1,3,3,1 --format csv");
    ASSERT_EQ(csv.status, 0);
    EXPECT_TRUE(Contains(csv.output, ",0.384250169509212,1.23281876193938,\n")) << csv.output;
    EXPECT_TRUE(Contains(csv.output, "\n2,\"16:1,3,3,1\",unstable,")) << csv.output;
    EXPECT_TRUE(Contains(csv.output, ",none,,\n")) << csv.output;

    const CommandResult json = RunCli("analyse --tf 2:1,3,3,1:1 --tf 16:1,3,3,1 --format json");
    ASSERT_EQ(json.status, 0);
    EXPECT_TRUE(Contains(json.output, "\"delay_margin\":{\"seconds\":0.539374474050"))
        << json.output;
    EXPECT_TRUE(Contains(json.output, "\"delay_margin\":null")) << json.output;
}

TEST(AnalyseCommand, BadInputIsRefusedWithItsReason)
{
    const CommandResult usage = RunCli("analyse --tf 1:1,x");
    EXPECT_EQ(usage.status, 2);
    EXPECT_TRUE(Contains(usage.errors, "'x' is not a number")) << usage.errors;
    EXPECT_EQ(RunCli("analyse --tf 1:1,1 --format xml").status, 2);
    EXPECT_EQ(RunCli("analyse").status, 2);

    const CommandResult improper = RunCli("analyse --tf 1,0:0,1,1 --tf 1:1,1");
    EXPECT_EQ(improper.status, 1);
    EXPECT_TRUE(Contains(improper.output, "variant 1: 1,0:0,1,1\n  not analysed: "));
    EXPECT_TRUE(Contains(improper.output, "variant 2: 1:1,1\n  poles:"));
}

TEST(BatchCommand, SampleClassFileIsAnalysed)
{
    const CommandResult run = RunCli(std::string("batch '") + NIRDAL_SAMPLE_CLASS + "'");
    ASSERT_EQ(run.status, 0) << run.errors;
    // Only the header skipped is said.
    EXPECT_EQ(run.errors, std::string("nirdal-cli batch: ") + NIRDAL_SAMPLE_CLASS +
                              ":1: a header, skipped\n");
    const std::size_t lines =
        static_cast<std::size_t>(std::count(run.output.begin(), run.output.end(), '\n'));
    EXPECT_EQ(lines, 1 + 36u); // the heading and one line a variant
    EXPECT_TRUE(Contains(run.output, "\n   4  Абрамов    СЭУ-41    2  boundary")) << run.output;
}

TEST(BatchCommand, BadLinesAreReportedAndTheRestGoesOn)
{
    test_support::TemporaryRoot scratch;
    const auto path = scratch.Path() / "class.csv";
    std::ofstream(path) << "student,group,numerator,denominator,delay\n"
                           "Иванов,1,4,1 3 3 1,0\n"
                           "Петров,1,1,1 x 1,0\n"
                           "Петров,1,1,1 1,0,5\n"
                           "Сидоров,1,1,1 1 0,-1\n"
                           "Сидоров,1,2,1 -1,0\n";
    const CommandResult run = RunCli("batch '" + path.string() + "' --format csv");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.errors, path.string() + ":3: skipped: ")) << run.errors;
    EXPECT_TRUE(Contains(run.errors, path.string() + ":4: skipped: ")) << run.errors;
    EXPECT_TRUE(Contains(run.errors, path.string() + ":5: not analysed: ")) << run.errors;
    EXPECT_TRUE(Contains(run.output, "\n2,Иванов,1,1,\"4:1,3,3,1:0\",stable,")) << run.output;
    EXPECT_TRUE(Contains(run.output, "\n5,Сидоров,1,1,\"1:1,1,0:-1\",not-analysed,"));
    EXPECT_TRUE(Contains(run.output, "\n6,Сидоров,1,2,\"2:1,-1:0\",stable,"));
}

TEST(BatchCommand, QuotedDecimalCommaIsTheNumbersOwn)
{
    test_support::TemporaryRoot scratch;
    const auto path = scratch.Path() / "class.csv";
    std::ofstream(path) << "Иванов,1,\"1,5 1\",1 3 3 1,\"0,5\"\n"
                           "Иванов,1,\"4, 0\",\"1, 3, 3, 1\"\n";
    const CommandResult run = RunCli("batch '" + path.string() + "' --format csv");
    EXPECT_EQ(run.status, 0) << run.errors;
    // 1.5s + 1, not s² + 5s + 1; the list with blanks after its commas is 4s + 0.
    EXPECT_TRUE(Contains(run.output, "\n1,Иванов,1,1,\"1.5,1:1,3,3,1:0.5\",")) << run.output;
    EXPECT_TRUE(Contains(run.output, "\n2,Иванов,1,2,\"4,0:1,3,3,1:0\",")) << run.output;
}

// Writes a class file into scratch and returns its path.
std::string ClassFileAt(const test_support::TemporaryRoot& scratch, const std::string& bytes)
{
    const auto path = scratch.Path() / "class.csv";
    test_support::WriteFile(path, bytes);
    return path.string();
}

TEST(BatchCommand, NulInANameIsRefusedAndEveryOtherRowIsWhole)
{
    using namespace std::string_literals;
    test_support::TemporaryRoot scratch;
    // 1/(s²+s) with a negative delay is refused by the analysis, so its row is known whole.
    const std::string path = ClassFileAt(scratch, "Иванов,1,1,1 1 0,-1\n"
                                                  "Пет\0ров,1,1,1 1 0,-1\n"s
                                                  "Сидоров,1,1,1 1 0,-1\n");
    const CommandResult run = RunCli("batch '" + path + "' --format csv");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.errors, path + ":2: skipped: field 1 holds a NUL byte\n"))
        << run.errors;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 3) << run.output;
    EXPECT_TRUE(Contains(run.output, "\n1,Иванов,1,1,\"1:1,1,0:-1\",not-analysed,,,,,,,,,,"))
        << run.output;
    EXPECT_TRUE(Contains(run.output, "\n3,Сидоров,1,1,\"1:1,1,0:-1\",not-analysed,,,,,,,,,,"))
        << run.output;
}

TEST(BatchCommand, ControlCharactersInNamesNeverReachTheTerminalRaw)
{
    test_support::TemporaryRoot scratch;
    // A window title (OSC), a bell, and CSI as the C1 control U+009B clearing the screen.
    const std::string path = ClassFileAt(scratch, "\x1b]0;x\x07,\xc2\x9b"
                                                  "2J,1,1 1 0,-1\n"
                                                  "Иванов,1,\x1b[2J,1 1\n");

    const CommandResult text = RunCli("batch '" + path + "'");
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.output,
              "line  student       group     var  verdict       P  N  Z  gain margin  ω  "
              "phase margin  ω\n"
              R"(   1  \x1b]0;x\x07  \u009b2J    1  not-analysed)"
              "\n");
    EXPECT_TRUE(Contains(text.errors, path + R"(:2: skipped: numerator coefficient '\x1b[2J' )"))
        << text.errors;
    for (const std::string& shown : {text.output, text.errors}) {
        EXPECT_EQ(shown.find_first_of("\x1b\x07"), std::string::npos) << shown;
        EXPECT_EQ(shown.find("\xc2\x9b"), std::string::npos) << shown;
    }

    const CommandResult json = RunCli("batch '" + path + "' --format json");
    EXPECT_TRUE(Contains(json.output, R"({"line":1,"student":"\u001b]0;x\u0007","group":)"
                                      R"("\u009b2J","variant":1,"tf":"1:1,1,0:-1",)"))
        << json.output;

    // CSV keeps the name's bytes for a file, and shows them escaped on a terminal (script
    // gives the command one).
    const CommandResult file = RunCli("batch '" + path + "' --format csv");
    EXPECT_TRUE(Contains(file.output, "\n1,\x1b]0;x\x07,\xc2\x9b"
                                      "2J,1,"))
        << file.output;
    if (std::system("command -v script >/dev/null") == 0) {
        const CommandResult terminal =
            test_support::RunCommand(std::string("script -qec \"'") + NIRDAL_CLI + "' batch '" +
                                     path + "' --format csv\" /dev/null");
        EXPECT_TRUE(Contains(terminal.output, R"(1,\x1b]0;x\x07,\u009b2J,1,)")) << terminal.output;
        EXPECT_EQ(terminal.output.find('\x1b'), std::string::npos) << terminal.output;
    }
}

TEST(BatchCommand, CsvCellsThatASpreadsheetWouldRunAreText)
{
    test_support::TemporaryRoot scratch;
    const std::string path = ClassFileAt(scratch, "=1+1,-3,1,1 1 0,-1\n"
                                                  "+cmd|x,@g,-1,1 1 0,-1\n"
                                                  "@SUM(A1),1,1,1 1 0,-1\n"
                                                  "-5,1,1,1 1 0,-1\n"
                                                  "Иванов,1,10,1 3 3 1\n");
    const CommandResult run = RunCli("batch '" + path + "' --format csv");
    EXPECT_EQ(run.status, 1);
    for (const char* line : {
             "\n1,\"'=1+1\",\"'-3\",1,\"1:1,1,0:-1\",not-analysed,,,,,,,,,,",
             "\n2,\"'+cmd|x\",\"'@g\",1,\"'-1:1,1,0:-1\",not-analysed,,,,,,,,,,",
             "\n3,\"'@SUM(A1)\",1,1,\"1:1,1,0:-1\",not-analysed,,,,,,,,,,",
             "\n4,\"'-5\",1,1,\"1:1,1,0:-1\",not-analysed,,,,,,,,,,",
         })
        EXPECT_TRUE(Contains(run.output, line)) << line << "\n" << run.output;
    // Numbers stay numbers: 10/(s+1)³ crosses the negative axis at ω = √3, U = −1.25, so
    // the gain must fall to 0.8, −1.94 dB, and that minus goes out plain.
    EXPECT_TRUE(
        std::regex_search(run.output, std::regex("\n5,Иванов,1,1,\"10:1,3,3,1:0\",unstable,0,0,2,2,"
                                                 "0\\.8[0-9]*,-1\\.938[0-9]*,1\\.732[0-9]*,")))
        << run.output;
}

TEST(BatchCommand, MessagesQuoteAtMostEightyCharactersOfAField)
{
    test_support::TemporaryRoot scratch;
    const std::string path =
        ClassFileAt(scratch, "Иванов,1," + std::string(1 << 20, 'x') + ",1 1\n");
    const CommandResult run = RunCli("batch '" + path + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors, path + ":1: skipped: numerator coefficient '" + std::string(80, 'x') +
                              "…' is not a number\n");
}

TEST(BatchCommand, UnreadableFilesAreReported)
{
    test_support::TemporaryRoot scratch;
    const CommandResult directory = RunCli("batch '" + scratch.Path().string() + "'");
    EXPECT_EQ(directory.status, 1);
    EXPECT_TRUE(Contains(directory.errors, "cannot read")) << directory.errors;
    EXPECT_EQ(directory.output, "");
    EXPECT_EQ(RunCli("batch '" + (scratch.Path() / "missing.csv").string() + "'").status, 1);
}

TEST(BatchCommand, PlotsOnePictureAStudent)
{
    test_support::TemporaryRoot scratch;
    const auto directory = scratch.Path() / "plots";
    const CommandResult run = RunCli(std::string("batch '") + NIRDAL_SAMPLE_CLASS + "' --plots '" +
                                     directory.string() + "' --format json");
    ASSERT_EQ(run.status, 0) << run.errors;
    int pictures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        EXPECT_EQ(test_support::ReadFile(entry.path()).substr(0, 8), "\x89PNG\r\n\x1a\n")
            << entry.path();
        ++pictures;
    }
    EXPECT_EQ(pictures, 11);
    EXPECT_TRUE(std::filesystem::exists(directory / "СЭУ-41_Абрамов.png"));

    // A name ending in a point does not end its picture's name in "..png".
    const auto initials = scratch.Path() / "initials.csv";
    test_support::WriteFile(initials, "student,group,numerator,denominator,delay\n"
                                      "Иванов И.И.,251,1,1 1,0\n");
    ASSERT_EQ(RunCli("batch '" + initials.string() + "' --plots '" + directory.string() + "'")
                  .status,
              0);
    EXPECT_TRUE(std::filesystem::exists(directory / "251_Иванов_И.И.png"));
}

} // namespace
} // namespace nirdal
