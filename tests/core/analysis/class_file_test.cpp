// SPDX-License-Identifier: MIT
#include "core/analysis/class_file.h"
#include "core/numtext/numtext.h"
#include "core/tf/tf_text.h"

#include <gtest/gtest.h>

#include <cstdlib>

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

TEST(ClassFile, NulByteAndLongFieldsAreRefusedWithTheirLine)
{
    using namespace std::string_literals;
    const std::string longField(1000000, '7');
    const ClassFile file =
        ParseClassFile("Иванов,1,8,1 3 3 1\n"
                       "Пет\0ров,1,1,1 1\n"s       // 2: a NUL cuts a name short in C text
                       "Петров,1,1,1 1,\"0\0\"\n"s // 3: anywhere in the line
                       "Сидоров,1,1,1 " +
                       longField +
                       "x\n" // 4: not a number, 1 MB long
                       "Сидоров,1,1,1 1\n");
    ASSERT_EQ(file.Variants.size(), 2u);
    EXPECT_EQ(file.Variants[1].Line, 5);
    const struct
    {
        int line;
        std::string message, russian;
    } expected[] = {
        {2, "field 1 holds a NUL byte", "в поле 1 нулевой байт (NUL)"},
        {3, "field 5 holds a NUL byte", "в поле 5 нулевой байт (NUL)"},
        {4, "denominator coefficient '" + std::string(80, '7') + "…' is not a number",
         "запись коэффициента знаменателя «" + std::string(80, '7') + "…» — не число"},
    };
    ASSERT_EQ(file.Problems.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(file.Problems[i].Line, expected[i].line);
        EXPECT_EQ(file.Problems[i].Message, expected[i].message);
        EXPECT_EQ(file.Problems[i].RussianMessage, expected[i].russian);
    }
}

TEST(ClassFile, ApostropheBeforeAFormulaLikeFieldIsDropped)
{
    // As batch --format csv and a spreadsheet write such names and a leading minus.
    const ClassFile file = ParseClassFile("\"'=1+1\",\"'-2\",'-1 2,1 3 3 1\n"
                                          "O'Neil,'x,1,1 1\n");
    ASSERT_TRUE(file.Problems.empty()) << file.Problems[0].Message;
    ASSERT_EQ(file.Variants.size(), 2u);
    EXPECT_EQ(file.Variants[0].Student, "=1+1");
    EXPECT_EQ(file.Variants[0].Group, "-2");
    EXPECT_EQ(file.Variants[0].Text, "-1,2:1,3,3,1:0");
    EXPECT_EQ(file.Variants[1].Student, "O'Neil");
    EXPECT_EQ(file.Variants[1].Group, "'x");
}

TEST(ClassFile, OnlyTheFirstLineMayBeAHeader)
{
    const ClassFile file = ParseClassFile("Иванов,1,8,1 3 3 1\nstudent,group,num,den\n");
    ASSERT_EQ(file.Problems.size(), 1u);
    EXPECT_EQ(file.Problems[0].Line, 2);
    EXPECT_EQ(file.HeaderLine, 0);
}

TEST(ClassFile, TheSkippedHeaderIsToldByItsLine)
{
    const struct
    {
        const char* bytes;
        int header;
    } cases[] = {
        {"Гр;ФИО;Числитель;Знаменатель\nИванов;1;8;1 3 3 1\n", 1},
        {"# comment\n\nstudent,group,numerator,denominator,delay\nИванов,1,8,1 3 3 1\n", 3},
        {"Иванов,1,8,1 3 3 1\n", 0},
    };
    for (const auto& c : cases) {
        const ClassFile file = ParseClassFile(c.bytes);
        EXPECT_EQ(file.HeaderLine, c.header) << c.bytes;
        EXPECT_EQ(file.Variants.size(), 1u) << c.bytes;
    }
}

TEST(ClassFile, QuotedDecimalCommaIsReadAsTheCoefficientEntryReadsIt)
{
    const ClassFile file = ParseClassFile("Иванов,1,\"1,5 1\",\"1 2,5 1\",\"0,25\"\n"
                                          "Иванов,1,\"-0,5\",\"1 1\"\n"
                                          "Петров,1,\"0,0000001\",1 1\n"
                                          "Сидоров,1,1,\"3,2E-9 1\"\n"); // as assign writes
    ASSERT_TRUE(file.Problems.empty()) << file.Problems[0].Message;
    ASSERT_EQ(file.Variants.size(), 4u);
    EXPECT_EQ(file.Variants[3].Variant.A[1], ParseNumber("3,2E-9"));
    EXPECT_NEAR(double(file.Variants[3].Variant.A[1]), 3.2e-9, 1e-24);

    // 1.5s + 1 over s² + 2.5s + 1, delay 0.25 s: as the student's grid reads "1,5".
    const TransferFunction& first = file.Variants[0].Variant;
    EXPECT_EQ(first.NumeratorDegree, 1);
    EXPECT_EQ(first.B[1], 1.5L);
    EXPECT_EQ(first.B[1], ParseNumber("1,5"));
    EXPECT_EQ(first.B[0], 1);
    EXPECT_EQ(first.DenominatorDegree, 2);
    EXPECT_EQ(first.A[1], 2.5L);
    EXPECT_EQ(first.Delay, 0.25L);
    EXPECT_EQ(file.Variants[0].Text, "1.5,1:1,2.5,1:0.25");
    EXPECT_EQ(file.Variants[1].Variant.B[0], -0.5L);

    // The entry reads 0,0000001 as the extended number nearest 1e-7; the class file keeps
    // that value, and its text reads back into it.
    const Extended typed = ParseNumber("0,0000001");
    ASSERT_EQ(typed, 1e-7L);
    const ClassVariant& small = file.Variants[2];
    EXPECT_EQ(small.Variant.B[0], typed);
    TransferFunction again;
    std::string error;
    ASSERT_TRUE(ParseTransferFunctionText(small.Text, again, error)) << error;
    EXPECT_EQ(again.B[0], typed);
}

TEST(ClassFile, CommaBeforeABlankStillSeparatesAndOtherCommasAreRefused)
{
    const ClassFile file = ParseClassFile("A,1,\"2, 1\",\"1, 3, 3, 1\"\n" // 1: a list
                                          "A,1,1,\"1 ,5\"\n"              // 2: ",5"
                                          "A,1,1,\"1,5,1\"\n"             // 3: two commas
                                          "A,1,1,\"1.5,2 1\"\n"           // 4: point and comma
                                          "A,1,1,1 1,\"0,5e\"\n");        // 5: no exponent digits
    ASSERT_EQ(file.Variants.size(), 1u);
    EXPECT_EQ(file.Variants[0].Text, "2,1:1,3,3,1:0");
    EXPECT_EQ(file.Variants[0].Variant.A[2], 3);
    ASSERT_EQ(file.Problems.size(), 4u);
    const char* const refused[] = {",5", "1,5,1", "1.5,2", "0,5e"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(file.Problems[i].Line, static_cast<int>(i) + 2);
        EXPECT_NE(file.Problems[i].Message.find(std::string("'") + refused[i] + "'"),
                  std::string::npos)
            << file.Problems[i].Message;
    }
    EXPECT_EQ(file.Problems[0].RussianMessage,
              "в записи коэффициента знаменателя «,5» запятая не десятичная: десятичная "
              "запятая стоит между цифрами, а числа разделяются пробелами");
    EXPECT_EQ(file.Problems[3].RussianMessage,
              "в записи запаздывания «0,5e» запятая не десятичная: десятичная запятая стоит "
              "между цифрами, а числа разделяются пробелами");
}

TEST(ClassFile, EveryReasonIsAlsoGivenInRussian)
{
    const ClassFile file = ParseClassFile("Иванов,1,8,1 3 3 1\n"
                                          "Сидоров,1,1,1 x 1\n"
                                          "Сидоров,1,0,5,1,1 1\n"
                                          ",1,1,1 1\n"
                                          "Козлов,1,1 1,1 1\n"
                                          "Козлов,1,\"1,1 1\n"
                                          "Козлов,1,,1 1\n"
                                          "Козлов,1,1,1\n");
    const char* const russian[] = {
        "запись коэффициента знаменателя «x» — не число",
        "ожидалось 4 или 5 полей (студент, группа, числитель, знаменатель, запаздывание), а "
        "их 6; число с десятичной запятой берётся в кавычки или пишется с точкой",
        "не указан студент",
        "в числителе должно быть меньше коэффициентов, чем в знаменателе (степень m < n)",
        "не закрыта кавычка",
        "нет числителя",
        "в знаменателе нужно не меньше двух коэффициентов (степень от 1 до 15)",
    };
    ASSERT_EQ(file.Problems.size(), std::size(russian));
    for (std::size_t i = 0; i < std::size(russian); ++i) {
        EXPECT_EQ(file.Problems[i].Line, static_cast<int>(i) + 2);
        EXPECT_EQ(file.Problems[i].RussianMessage, russian[i]);
    }
}

TEST(ClassFile, SpreadsheetTableWithSemicolonsInWindows1251)
{
    // As a spreadsheet on a Russian desktop saves it: "студент;группа;числитель;знаменатель;
    // запаздывание", then "Иванов;СЭУ-41;0,5 1;1 4 6 4 1;0,3", in Windows-1251; its decimal
    // commas need no quotes when semicolons separate the fields.
    const std::string bytes = "\xF1\xF2\xF3\xE4\xE5\xED\xF2;\xE3\xF0\xF3\xEF\xEF\xE0;"
                              "\xF7\xE8\xF1\xEB\xE8\xF2\xE5\xEB\xFC;"
                              "\xE7\xED\xE0\xEC\xE5\xED\xE0\xF2\xE5\xEB\xFC;"
                              "\xE7\xE0\xEF\xE0\xE7\xE4\xFB\xE2\xE0\xED\xE8\xE5\r\n"
                              "\xC8\xE2\xE0\xED\xEE\xE2;\xD1\xDD\xD3-41;0,5 1;1 4 6 4 1;0,3\r\n";
    const ClassFile file = ParseClassFile(bytes);
    ASSERT_TRUE(file.Problems.empty()) << file.Problems[0].Message;
    ASSERT_EQ(file.Variants.size(), 1u);
    const ClassVariant& variant = file.Variants[0];
    EXPECT_EQ(variant.Line, 2);
    EXPECT_EQ(variant.Student, "Иванов");
    EXPECT_EQ(variant.Group, "СЭУ-41");
    EXPECT_EQ(variant.Variant.B[1], 0.5L);
    EXPECT_EQ(variant.Variant.A[4], 1);
    EXPECT_EQ(variant.Variant.A[3], 4);
    EXPECT_EQ(variant.Variant.Delay, ParseNumber("0,3"));
    EXPECT_EQ(variant.Text, "0.5,1:1,4,6,4,1:0.3");
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
