// SPDX-License-Identifier: MIT
#include "support/command.h"
#include "support/temporary_root.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace nirdal {
namespace {

using test_support::CommandResult;
using test_support::Contains;
using test_support::RunCli;

// The numbers of the JSON array after "key":[ …].
std::vector<std::string> JsonArray(const std::string& json, const std::string& key,
                                   std::size_t from = 0)
{
    std::vector<std::string> items;
    const std::size_t start = json.find("\"" + key + "\":[", from);
    if (start == std::string::npos)
        return items;
    const std::size_t open = json.find('[', start), close = json.find(']', open);
    std::string body = json.substr(open + 1, close - open - 1);
    for (std::size_t at = 0; at <= body.size();) {
        const std::size_t comma = std::min(body.find(',', at), body.size());
        if (comma > at)
            items.push_back(body.substr(at, comma - at));
        at = comma + 1;
    }
    return items;
}

TEST(StepCommand, JsonOfAStableLoop)
{
    // 6/(s³ + 3s² + 3s + 1) under unit feedback settles at 6/7.
    const CommandResult run = RunCli("step --tf 6:1,3,3,1 --until 60 --format json");
    ASSERT_EQ(run.status, 0) << run.errors;
    const std::vector<std::string> t = JsonArray(run.output, "t"), h = JsonArray(run.output, "h");
    ASSERT_EQ(t.size(), 1001u);
    ASSERT_EQ(h.size(), 1001u);
    EXPECT_EQ(t.front(), "0");
    EXPECT_EQ(t[1], "0.06");
    EXPECT_EQ(t.back(), "60");
    EXPECT_EQ(h.front(), "0");
    for (const char* part : {"\"variant\":1", "\"tf\":\"6:1,3,3,1\"", "\"verdict\":\"stable\"",
                             "\"steady\":0.857142857142857",
                             "\"overshoot_percent\":", "\"peak_time\":", "\"settling_time\":"})
        EXPECT_TRUE(Contains(run.output, part)) << part;
    // Near its end the response is within 5 % of 6/7.
    EXPECT_NEAR(std::stod(h.back()), 6.0 / 7, 0.05 * 6 / 7);
}

TEST(StepCommand, TextOfTheDelayedLoopAndItsDefaultSpan)
{
    const CommandResult run = RunCli("step --tf 2:1,3,3,1:1");
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_TRUE(Contains(run.output, "  verdict:        stable\n  steady value:   0.666667\n"))
        << run.output;
    // Nothing moves before the delay: the samples up to t = 1 are 0.
    EXPECT_TRUE(Contains(run.output, "\n  0                 0\n")) << run.output;
    // 1001 samples, a line each after the heading.
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 6 + 1001);
}

TEST(StepCommand, UnstableAndOverflowingResponses)
{
    const CommandResult unstable =
        RunCli("step --tf 16:1,3,3,1 --until 10 --points 11 --format json");
    ASSERT_EQ(unstable.status, 0);
    for (const char* part : {"\"verdict\":\"unstable\"", "\"steady\":null",
                             "\"overshoot_percent\":null", "\"settling_time\":null"})
        EXPECT_TRUE(Contains(unstable.output, part)) << part << "\n" << unstable.output;

    // exp(−s)·100/(s + 1) passes 1e300 within a few hundred seconds.
    const CommandResult overflow = RunCli("step --tf 100:1,1:1 --until 1000 --format csv");
    ASSERT_EQ(overflow.status, 0);
    EXPECT_TRUE(Contains(overflow.output, "grows beyond 1e300")) << overflow.output.substr(0, 400);
    for (const char* bad : {"inf", "nan", "INF", "NAN"})
        EXPECT_FALSE(Contains(overflow.output, bad)) << bad;
}

TEST(StepCommand, ADefaultSpanCutByTheStepsSaysSo)
{
    // A microsecond of delay on a loop of time constant 1000 s: a million steps cover only a
    // second or so, far from settled.
    const CommandResult run = RunCli("step --tf 1:1000,1:1e-6 --points 3");
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_TRUE(Contains(run.output, "note:           the span is cut at ")) << run.output;
}

// 2/(s + 1)³ under unit feedback: σ = 29.86 % at t = 3.35…3.36 s, settled (5 %) at 7.29 s. A span
// that ends before one of these says it is not reached, never the span's end.
TEST(StepCommand, IndicatorsTheSpanDoesNotHoldAreNotReached)
{
    const struct
    {
        const char* arguments;
        std::vector<const char*> parts;
    } cases[] = {
        {"--tf 2:1,3,3,1 --until 2 --format json",
         {"\"overshoot_percent\":null", "\"peak_time\":null", "\"peak_reached\":false",
          "\"settling_time\":null", "\"settling_reached\":false"}},
        {"--tf 2:1,3,3,1 --until 2",
         {"overshoot:      not reached", "settling time:  более 2 с, not reached"}},
        {"--tf 2:1,3,3,1 --until 5",
         {"overshoot:      29.86", "% at t = 3.35", "settling time:  более 5 с, not reached",
          "note:           the response has not settled by the span's end, 5 s"}},
        {"--tf 2:1,3,3,1 --until 5 --format csv", {",0.666666666666667,29.86", ",3.35", ",,"}},
        {"--tf 2:1,3,3,1 --until 20", {"settling time:  7.29"}},
        {"--tf 2:1,3,3,1 --until 20 --format json", {"\"settling_reached\":true"}},
        // 0.9·e^(−s)/(s + 1)¹⁵ has barely risen in 100 s.
        {"--tf 0.9:1,15,105,455,1365,3003,5005,6435,6435,5005,3003,1365,455,105,15,1:1 "
         "--until 100",
         {"settling time:  более 100 с, not reached"}},
    };
    for (const auto& c : cases) {
        const CommandResult run = RunCli(std::string("step --points 11 ") + c.arguments);
        ASSERT_EQ(run.status, 0) << c.arguments << "\n" << run.errors;
        for (const char* part : c.parts)
            EXPECT_TRUE(Contains(run.output, part)) << c.arguments << ": " << part << "\n"
                                                    << run.output;
    }
}

// Every command's usage error quotes an argument escaped, cut to 80 characters, once.
TEST(Messages, ArgumentsAreEscapedAndCut)
{
    const std::string argument = "-\x1b]2;x\x07" + std::string(100'000, 'y');
    for (const char* command :
         {"step --until", "bode --from", "plot --tf 1:1,1 --ops --kind", "analyse --format",
          "analyse --tf", "batch x.csv --format", "assign", "step --tf 1:1,1 --points",
          "sweep --tf"}) {
        const CommandResult run = RunCli(std::string(command) + " '" + argument + "'");
        EXPECT_EQ(run.status, 2) << command;
        EXPECT_EQ(run.errors.find_first_of("\x1b\x07"), std::string::npos) << command;
        EXPECT_TRUE(Contains(run.errors, "'-\\x1b]2;x\\x07yyy")) << command << ": "
                                                                   << run.errors.substr(0, 200);
        EXPECT_LT(run.errors.size(), 400u) << command;
    }
}

TEST(StepCommand, BadOptionsAreNamed)
{
    const struct
    {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"--tf 1:1,1 --until 0", "--until"},
        {"--tf 1:1,1 --until nan", "--until"},
        {"--tf 1:1,1 --until -3", "--until"},
        {"--tf 1:1,1 --until 1e7", "--until"},
        {"--tf 1:1,1:1e-6 --until 1e5", "integration steps"},
        {"--tf 1:1,1 --points 1", "--points"},
        {"--tf 1:1,1 --points 1000001", "--points"},
        {"--tf 1:1,1 --format xml", "--format"},
        {"--tf 1:1,x", "'x' is not a number"},
        {"--until 5", "--tf"},
    };
    for (const auto& c : cases) {
        const CommandResult run = RunCli(std::string("step ") + c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments;
        EXPECT_TRUE(Contains(run.errors, c.message)) << c.arguments << ": " << run.errors;
    }
    // What analyse cannot analyse, step cannot compute: status 1, the reason, the others go on.
    const CommandResult improper = RunCli("step --tf 1,0:0,1,1 --tf 1:1,1 --points 3");
    EXPECT_EQ(improper.status, 1);
    EXPECT_TRUE(Contains(improper.output, "variant 1: 1,0:0,1,1\n  not computed: "));
    EXPECT_TRUE(Contains(improper.output, "variant 2: 1:1,1\n  verdict:        stable"));
}

TEST(BodeCommand, JsonOfTheTypeOneLoop)
{
    // 10/(s(s + 1)(s + 10)): corners 1 and 10, the asymptote −20 dB/dec through 0 dB at 1.
    const CommandResult run = RunCli("bode --tf 10:1,11,10,0 --format json");
    ASSERT_EQ(run.status, 0) << run.errors;
    const std::vector<std::string> w = JsonArray(run.output, "w");
    ASSERT_EQ(w.size(), 401u);
    EXPECT_EQ(w.front(), "0.1");
    EXPECT_EQ(w.back(), "100");
    EXPECT_EQ(w[200], "3.16227766016838"); // half way in lg ω: 10^0.5
    const std::vector<std::string> la = JsonArray(run.output, "asymptote_db");
    ASSERT_EQ(la.size(), 401u);
    EXPECT_NEAR(std::stod(la.front()), 20, 1e-12);  // −20 lg 0.1
    EXPECT_NEAR(std::stod(la.back()), -100, 1e-12); // 20 − 3·40
    const std::vector<std::string> corners = JsonArray(run.output, "corners");
    ASSERT_EQ(corners.size(), 2u);
    EXPECT_NEAR(std::stod(corners[0]), 1, 1e-12);
    EXPECT_NEAR(std::stod(corners[1]), 10, 1e-12);
    EXPECT_TRUE(Contains(run.output, "\"asymptote_crossover\":1")) << run.output.substr(0, 200);
    // The phase at ω = 1 (the second of four points a decade apart): −90° − 45° − atan 0.1.
    const CommandResult four = RunCli("bode --tf 10:1,11,10,0 --format json --points 4");
    const std::vector<std::string> degrees = JsonArray(four.output, "degrees");
    ASSERT_EQ(degrees.size(), 4u);
    EXPECT_NEAR(std::stod(degrees[1]), -135 - std::atan(0.1) * 180 / 3.14159265358979323846, 1e-9);
}

TEST(BodeCommand, RangesAndRefusals)
{
    const CommandResult csv = RunCli("bode --tf 1:1,1 --from 1 --to 10 --points 2 --format csv");
    ASSERT_EQ(csv.status, 0);
    EXPECT_EQ(csv.output, "variant,tf,w,db,degrees,asymptote_db,failure\n"
                          "1,\"1:1,1\",1,-3.01029995663981,-45,0,\n"
                          "1,\"1:1,1\",10,-20.0432137378264,-84.2894068625004,-20,\n");
    const CommandResult none = RunCli("bode --tf 0.5:1,1 --format json --points 2");
    EXPECT_TRUE(Contains(none.output, "\"asymptote_crossover\":null")) << none.output;
    for (const char* arguments : {"--tf 1:1,1 --from 10 --to 1", "--tf 1:1,1 --from 0",
                                  "--tf 1:1,1 --to -1", "--tf 1:1,1 --from x"}) {
        const CommandResult run = RunCli(std::string("bode ") + arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_TRUE(Contains(run.errors, "--from") || Contains(run.errors, "--to")) << run.errors;
    }
    // Numbers of 4931 decimal places are slow to write: 150/4931 of a million points at most.
    const CommandResult far =
        RunCli("bode --tf 1:1,1 --from 1e4931 --to 1.1e4932 --points 1000000");
    EXPECT_EQ(far.status, 2);
    EXPECT_TRUE(Contains(far.errors, "--points 1000000")) << far.errors;
    EXPECT_TRUE(Contains(far.errors, "at most 30419 points")) << far.errors;
}

// Width and height from a PNG's header.
std::pair<std::uint32_t, std::uint32_t> PngSize(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    unsigned char header[24] = {};
    file.read(reinterpret_cast<char*>(header), sizeof header);
    const auto big = [&](int at) {
        return std::uint32_t(header[at]) << 24 | std::uint32_t(header[at + 1]) << 16 |
               std::uint32_t(header[at + 2]) << 8 | header[at + 3];
    };
    return {big(16), big(20)};
}

TEST(PlotCommand, StepAndBodePictures)
{
    test_support::TemporaryRoot scratch;
    const std::string step = (scratch.Path() / "step.png").string();
    const std::string bode = (scratch.Path() / "bode.png").string();
    ASSERT_EQ(RunCli("plot --kind step --tf 2:1,3,3,1:1 --tf 6:1,3,3,1 -o '" + step + "'").status,
              0);
    ASSERT_EQ(RunCli("plot --kind bode --tf 10:1,11,10,0 -o '" + bode + "'").status, 0);
    EXPECT_EQ(PngSize(step), (std::pair<std::uint32_t, std::uint32_t>{900, 560}));
    EXPECT_EQ(PngSize(bode), (std::pair<std::uint32_t, std::uint32_t>{900, 700}));

    const CommandResult ops = RunCli("plot --kind bode --tf 1:1,1 --ops");
    ASSERT_EQ(ops.status, 0);
    for (const char* label : {"ЛАЧХ L(", "), дБ", "ЛФЧХ ", "), град", ", рад/с"})
        EXPECT_TRUE(Contains(ops.output, label)) << label;
    EXPECT_FALSE(Contains(ops.output, "?")) << "a letter the code page lacks came out as '?'";

    // A variant that cannot be computed: nothing written for it alone; with another, the
    // picture of the other and a non-zero exit that says which is missing.
    const std::string failed = (scratch.Path() / "failed.png").string();
    const CommandResult alone = RunCli("plot --kind step --tf 2:1,3,3,1:-1 -o '" + failed + "'");
    EXPECT_EQ(alone.status, 1);
    EXPECT_TRUE(Contains(alone.errors, "variant 1: ")) << alone.errors;
    EXPECT_FALSE(std::ifstream(failed).good());
    const CommandResult partial =
        RunCli("plot --kind step --tf 6:1,3,3,1 --tf 2:1,3,3,1:-1 -o '" + failed + "'");
    EXPECT_EQ(partial.status, 1);
    EXPECT_TRUE(Contains(partial.errors, "variant 2: ")) << partial.errors;
    EXPECT_TRUE(Contains(partial.errors, "holds 1 of the 2 variants")) << partial.errors;
    EXPECT_EQ(PngSize(failed), (std::pair<std::uint32_t, std::uint32_t>{900, 560}));
    EXPECT_EQ(RunCli("plot --kind bode --tf 2:1,3,3,1:-1 --ops").status, 1);

    EXPECT_EQ(RunCli("plot --kind nyquist --tf 1:1,1 --ops").status, 2);
    EXPECT_EQ(RunCli("plot --kind step --tf 1:1,1 --paper 100 --ops").status, 2);
}

} // namespace
} // namespace nirdal
