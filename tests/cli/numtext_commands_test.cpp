// SPDX-License-Identifier: MIT
// parse and format read and show numbers as the screens do.
#include "support/command.h"

#include <gtest/gtest.h>

#include <string>

namespace nirdal {
namespace {

using test_support::RunCommand;

const std::string kCli = NIRDAL_CLI;

TEST(NumberCommands, ParseReadsTheExponentAndRefusesLetters)
{
    const auto read = RunCommand(kCli + " parse 1e-5 ' 2' 1,5");
    EXPECT_EQ(read.status, 0);
    EXPECT_EQ(read.output, "1e-05\n2\n1.5\n");

    const auto refused = RunCommand(kCli + " parse abc");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.output.find("«abc» — не число"), std::string::npos) << refused.output;
}

TEST(NumberCommands, FormatShowsTheTypedDigits)
{
    const auto shown = RunCommand(kCli + " format 2.36 18 0.064 10 104.99999999999");
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.output, "2.36\n18.0\n6.40E-2\n10.0\n104\n");
    EXPECT_NE(RunCommand(kCli + " format 0x10").status, 0);
}

} // namespace
} // namespace nirdal
