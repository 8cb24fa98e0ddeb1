#include "core/analysis/class_file.h"

#include <gtest/gtest.h>

namespace nirdal {
namespace {

TEST(ClassFile, ReadsVariantsWithTheirStudents)
{
    const ClassFile file = ParseClassFile("\xEF\xBB\xBF"
                                          "student,group,numerator,denominator,delay\r\n"
                                          "Иванов,СЭУ-41,8,1 3 3 1,0\r\n"
                                          "\n"
                                          "# second student\n"
                                          "\"Петров, П.\",СЭУ-41,2 1,1;4;6;4;1,0.5\n"
                                          "Петров,,  1 , 1  1 \n");
    ASSERT_TRUE(file.Problems.empty()) << file.Problems[0].Message;
    ASSERT_EQ(file.Variants.size(), 3u);

    const ClassVariant& first = file.Variants[0];
    EXPECT_EQ(first.Line, 2);
    EXPECT_EQ(first.Student, "Иванов");
    EXPECT_EQ(first.Group, "СЭУ-41");
    EXPECT_EQ(first.Text, "8:1,3,3,1:0");
    EXPECT_EQ(first.Variant.DenominatorDegree, 3);
    EXPECT_EQ(first.Variant.A[2], 3);

    const ClassVariant& second = file.Variants[1];
    EXPECT_EQ(second.Line, 5);
    EXPECT_EQ(second.Student, "Петров, П.");
    EXPECT_EQ(second.Variant.NumeratorDegree, 1);
    EXPECT_EQ(second.Variant.B[1], 2);
    EXPECT_EQ(second.Variant.Delay, 0.5L);

    EXPECT_EQ(file.Variants[2].Group, "");
    EXPECT_EQ(file.Variants[2].Variant.Delay, 0);
}

TEST(ClassFile, BadLinesAreReportedAndTheRestIsRead)
{
    const ClassFile file = ParseClassFile("Иванов,1,8,1 3 3 1\n"    // 1: good, no header
                                          "Сидоров,1,1,1 x 1\n"     // 2: not a number
                                          "Сидоров,1,0,5,1,1 1\n"   // 3: decimal comma
                                          ",1,1,1 1\n"              // 4: no student
                                          "Козлов,1,1 1,1 1\n"      // 5: m = n
                                          "Козлов,1,\"1,1 1\n"      // 6: open quote
                                          "Козлов,1,1,1 1,-x\n"     // 7: bad delay
                                          "Козлов,1,1,1 1,0.25\n"); // 8: good
    ASSERT_EQ(file.Variants.size(), 2u);
    EXPECT_EQ(file.Variants[0].Line, 1);
    EXPECT_EQ(file.Variants[1].Line, 8);
    ASSERT_EQ(file.Problems.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(file.Problems[static_cast<std::size_t>(i)].Line, i + 2);
        EXPECT_FALSE(file.Problems[static_cast<std::size_t>(i)].Message.empty());
    }
    EXPECT_NE(file.Problems[0].Message.find("'x'"), std::string::npos);
}

TEST(ClassFile, OnlyTheFirstLineMayBeAHeader)
{
    const ClassFile file = ParseClassFile("Иванов,1,8,1 3 3 1\nstudent,group,num,den\n");
    ASSERT_EQ(file.Problems.size(), 1u);
    EXPECT_EQ(file.Problems[0].Line, 2);
}

TEST(ClassFile, Windows1251TextIsConverted)
{
    // "Иванов" in Windows-1251.
    const ClassFile file = ParseClassFile("\xC8\xE2\xE0\xED\xEE\xE2,1,1,1 1\n");
    ASSERT_EQ(file.Variants.size(), 1u);
    EXPECT_EQ(file.Variants[0].Student, "Иванов");
}

} // namespace
} // namespace nirdal
