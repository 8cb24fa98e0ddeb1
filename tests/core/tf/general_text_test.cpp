// SPDX-License-Identifier: MIT
#include "core/tf/general_text.h"

#include <gtest/gtest.h>

namespace nirdal {
namespace {

struct GeneralCase
{
    Extended Value;
    const char* Comma;
};

class GeneralTextTest : public testing::TestWithParam<GeneralCase>
{
};

TEST_P(GeneralTextTest, WritesTheShortestGeneralForm)
{
    EXPECT_EQ(GeneralText(GetParam().Value, ','), GetParam().Comma);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GeneralTextTest,
    testing::Values(GeneralCase{0, "0"}, GeneralCase{2.5L, "2,5"}, GeneralCase{-3.25L, "-3,25"},
                    GeneralCase{12, "12"}, GeneralCase{100, "100"},
                    GeneralCase{0.1L, "0,1"}, // 15 digits hide the binary tail
                    GeneralCase{1.23L, "1,23"}, GeneralCase{0.0001L, "0,0001"},
                    GeneralCase{0.00005L, "5E-5"}, GeneralCase{-0.000012L, "-1,2E-5"},
                    GeneralCase{1.5e20L, "1,5E20"}, GeneralCase{1e15L, "1E15"},
                    GeneralCase{999999999999999.0L, "999999999999999"},
                    GeneralCase{123456789.125L, "123456789,125"},
                    GeneralCase{1.0L / 3, "0,333333333333333"},
                    GeneralCase{2.0L / 3, "0,666666666666667"}, // rounded, not cut
                    GeneralCase{0.99999999999999999L, "1"}));

TEST(GeneralText, UsesTheSeparatorItIsGiven)
{
    EXPECT_EQ(GeneralText(2.5L, '.'), "2.5");
    EXPECT_EQ(GeneralText(1.5e-7L, '.'), "1.5E-7");
}

} // namespace
} // namespace nirdal
