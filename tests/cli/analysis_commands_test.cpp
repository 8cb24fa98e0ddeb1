#include "support/command.h"
#include "support/temporary_root.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace nirdal {
namespace {

using test_support::CommandResult;

// Runs nirdal-cli with arguments already quoted for the shell.
CommandResult RunCli(const std::string& arguments)
{
    return test_support::RunCommand(std::string("'") + NIRDAL_CLI + "' " + arguments);
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

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
              "phase_margin_deg,gain_crossover,failure");
    EXPECT_TRUE(Contains(csv.output, "\n2,\"1:1,1,0\",stable,0,1,0,0,none,,,51.8272"))
        << csv.output;

    const CommandResult json = RunCli("analyse --tf 2:1,-1 --format json");
    ASSERT_EQ(json.status, 0);
    for (const char* part : {"\"verdict\":\"stable\"", "\"P\":1", "\"N\":-1", "\"Z\":0",
                             "\"gain_margin\":{\"factor\":0.5,", "\"phase_crossovers\":[{\"w\":0,"})
        EXPECT_TRUE(Contains(json.output, part)) << part << "\n" << json.output;
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
    EXPECT_EQ(run.errors, "");
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
}

} // namespace
} // namespace nirdal
