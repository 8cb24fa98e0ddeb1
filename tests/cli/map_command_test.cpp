// SPDX-License-Identifier: MIT
#include "support/command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace nirdal {
namespace {

using test_support::CommandResult;
using test_support::Contains;
using test_support::RunCli;

// The numbers of the JSON array that follows `key` at or after `from`; "null" reads as -1.
std::vector<double> ArrayAfter(const std::string& json, const std::string& key, std::size_t from = 0)
{
    std::vector<double> values;
    std::size_t at = json.find(key, from);
    if (at == std::string::npos)
        return values;
    at = json.find('[', at) + 1;
    // An array of arrays, such as the grid of counts, is read whole.
    for (int depth = 1; at < json.size() && depth > 0;) {
        const char c = json[at];
        if (c == '[' || c == ']' || c == ',' || c == '\n') {
            depth += c == '[' ? 1 : c == ']' ? -1 : 0;
            ++at;
        } else if (json.compare(at, 4, "null") == 0) {
            values.push_back(-1);
            at += 4;
        } else {
            char* end = nullptr;
            values.push_back(std::strtod(json.c_str() + at, &end));
            if (end == json.c_str() + at)
                break;
            at = static_cast<std::size_t>(end - json.c_str());
        }
    }
    return values;
}

// The grid of `map --grid 40` of 2·e^(−s)/(s + 1)³ against `analyse` of each of its 1600 loops
// 2K·e^(−s(1 + ΔT))/(s + 1)³, all in one run: the same count of right-half-plane roots at
// every point that is not on the boundary.
TEST(MapCommand, GridAgreesWithAnalyseAtEveryPointOffTheBoundary)
{
    const CommandResult map = RunCli("map --tf 2:1,3,3,1:1 --grid 40 --format json");
    ASSERT_EQ(map.status, 0) << map.errors;
    const std::size_t grid = map.output.find("\"grid\":");
    ASSERT_NE(grid, std::string::npos);
    const std::vector<double> gains = ArrayAfter(map.output, "\"K\":", grid);
    const std::vector<double> delays = ArrayAfter(map.output, "\"dT\":", grid);
    const std::vector<double> counts = ArrayAfter(map.output, "\"unstable\":", grid);
    ASSERT_EQ(gains.size(), 40u);
    ASSERT_EQ(delays.size(), 40u);
    ASSERT_EQ(counts.size(), 1600u);

    std::string arguments = "analyse --format csv";
    for (const double k : gains) {
        for (const double t : delays) {
            char tf[96];
            std::snprintf(tf, sizeof tf, " --tf %.17g:1,3,3,1:%.17g", 2 * k, 1 + t);
            arguments += tf;
        }
    }
    const CommandResult analysed = RunCli(arguments);
    ASSERT_EQ(analysed.status, 0) << analysed.errors;
    std::istringstream lines(analysed.output);
    std::string line;
    std::getline(lines, line); // heading
    int compared = 0, unknown = 0;
    for (std::size_t i = 0; i < counts.size() && std::getline(lines, line); ++i) {
        // variant,"tf",verdict,P,axis_poles,N,Z,…
        const std::size_t quoteEnd = line.find('"', line.find('"') + 1);
        std::vector<std::string> cells;
        std::stringstream rest(line.substr(quoteEnd + 2));
        for (std::string cell; std::getline(rest, cell, ',');)
            cells.push_back(cell);
        ASSERT_GE(cells.size(), 5u) << line;
        if (cells[0] == "boundary")
            continue;
        if (counts[i] < 0) {
            ++unknown;
            continue;
        }
        EXPECT_EQ(counts[i], std::stod(cells[4])) << "K = " << gains[i / 40] << ", dT = "
                                                  << delays[i % 40] << ": " << line;
        ++compared;
    }
    EXPECT_EQ(compared, 1600 - unknown);
    EXPECT_EQ(unknown, 0);
}

// The marks are what analyse gives: the gain margin 1.24758 and the delay margin 0.539374 s of
// 2·e^(−s)/(s + 1)³ (|W| = 1 at 1 + ω² = 2^(2/3)); Kкр = 8 for 1/(s + 1)³, whose delay
// margin is unbounded.
TEST(MapCommand, MarksAreTheMarginsOfAnalyse)
{
    const CommandResult delayed = RunCli("map --tf 2:1,3,3,1:1 --format json");
    ASSERT_EQ(delayed.status, 0) << delayed.errors;
    EXPECT_TRUE(Contains(delayed.output, "\"marks\":{\"critical_gain\":1.24758209340067,"
                                         "\"delay_margin\":0.53937447405078}"))
        << delayed.output.substr(delayed.output.find("\"marks\""), 120);
    EXPECT_TRUE(Contains(delayed.output, "\"grid\":null"));
    EXPECT_TRUE(Contains(delayed.output, "{\"k\":0,\"w\":[")) << delayed.output.substr(0, 200);

    const CommandResult cubic = RunCli("map --tf 1:1,3,3,1");
    ASSERT_EQ(cubic.status, 0) << cubic.errors;
    EXPECT_TRUE(Contains(cubic.output, "  critical gain (dT = 0):   8\n")) << cubic.output.substr(0, 400);
    EXPECT_TRUE(Contains(cubic.output, "  delay margin (K = 1):     none\n"));

    const CommandResult csv = RunCli("map --tf -1:1,1 --k 0.1:10 --dt-max 1 --format csv");
    ASSERT_EQ(csv.status, 0) << csv.errors;
    EXPECT_TRUE(Contains(csv.output, "part,curve,k,w,K,dT,unstable\n"));
    EXPECT_TRUE(Contains(csv.output, "\nstatic_gain,,,,1,,\n")) << csv.output.substr(0, 300);
}

TEST(MapCommand, BadOptionsAreRefusedNamingThem)
{
    const struct
    {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"--tf 1:1,1 --k 10:1", "--k 10:1: the range is empty or reversed"},
        {"--tf 1:1,1 --k 1:1", "--k 1:1: the range is empty or reversed"},
        {"--tf 1:1,1 --k 0:1", "--k 0:1: the gains must be above 0"},
        {"--tf 1:1,1 --k 1:inf", "--k 1:inf: the gains must be finite numbers"},
        {"--tf 1:1,1 --k 1:1e13", "--k 1:1e13: the gains must lie within 1e-12 and 1e12"},
        {"--tf 1:1,1 --k 5", "--k 5: needs two numbers FROM:TO"},
        {"--tf 1:1,1 --dt-max 0", "--dt-max 0: the range of the added delay is empty"},
        {"--tf 1:1,1 --dt-max nan", "--dt-max nan: the added delay must be a finite number"},
        {"--tf 1:1,1 --dt-max 2e12", "--dt-max 2e12: the added delay may reach at most 1e12"},
        {"--tf 1:1,1 --grid 1", "--grid 1: needs a whole number from 2 to 200"},
        {"--tf 1:1,1 --tf 1:1,2", "one --tf only"},
        {"--k 1:2", "--tf NUM:DEN[:DELAY] is required"},
    };
    for (const auto& c : cases) {
        const CommandResult r = RunCli(std::string("map ") + c.arguments);
        EXPECT_EQ(r.status, 2) << c.arguments;
        EXPECT_TRUE(Contains(r.errors, c.message)) << c.arguments << "\n" << r.errors;
    }
    // A map that would take too long says so, and so does a variant the analysis refuses.
    const CommandResult crowded = RunCli("map --tf 1:1,1 --dt-max 1e6");
    EXPECT_EQ(crowded.status, 1);
    EXPECT_TRUE(Contains(crowded.errors, "narrow its ranges")) << crowded.errors;
    const CommandResult zero = RunCli("map --tf 1:0,0");
    EXPECT_EQ(zero.status, 1);
    EXPECT_TRUE(Contains(zero.errors, "not mapped: the denominator is zero")) << zero.errors;
}

TEST(MapCommand, PlotKindMapDrawsOneVariant)
{
    const CommandResult ops = RunCli("plot --kind map --tf 1:1,3,3,1 --ops");
    ASSERT_EQ(ops.status, 0) << ops.errors;
    EXPECT_TRUE(Contains(ops.output, " Kкр = 8,00\n"));
    EXPECT_TRUE(Contains(ops.output, "Область устойчивости"));
    const CommandResult two = RunCli("plot --kind map --tf 1:1,3,3,1 --tf 1:1,1 --ops");
    EXPECT_EQ(two.status, 2);
    EXPECT_TRUE(Contains(two.errors, "--kind map draws one variant")) << two.errors;
}

} // namespace
} // namespace nirdal
