// SPDX-License-Identifier: MIT
#include "core/assign/variant_draw.h"
#include "core/numtext/numtext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace nirdal;

namespace {

ExactNumber Exact(const char* text)
{
    ExactNumber number;
    EXPECT_TRUE(ExactNumber::FromDecimal(text, number)) << text;
    return number;
}

AssignmentTemplate Read(const std::string& text)
{
    AssignmentTemplate result;
    TemplateError error;
    EXPECT_TRUE(ReadAssignmentTemplate(text, result, error)) << error.Line << ": " << error.Message;
    return result;
}

// Coefficient texts of an expression, highest power first, at the given parameter values.
std::vector<std::string> Expanded(const std::string& expression, const std::string& parameters,
                                  const std::vector<const char*>& values)
{
    const AssignmentTemplate t = Read("task = t\nnum = 1\nden = " + expression + "\n" + parameters);
    std::vector<ExactNumber> exact;
    for (const char* value : values)
        exact.push_back(Exact(value));
    const ExactPolynomial p = ExpandExpression(t.Denominator, exact);
    std::vector<std::string> texts;
    for (std::size_t i = p.size(); i-- > 0;)
        texts.push_back(p[i].RoundedText(','));
    return texts;
}

const char* const kSample = "task = Исследовать устойчивость\n"
                            "num   = K\n"
                            "den   = (T1 s + 1)(T2 s + 1)(T3 s + 1)\n"
                            "delay = tau\n"
                            "K     = 1 .. 10 step 0.5\n"
                            "T1    = 0.5, 1, 2\n"
                            "T2    = 0.1 .. 1 step 0.1\n"
                            "T3    = 0.05 .. 0.5 step 0.05\n"
                            "tau   = 0 .. 0.5 step 0.05\n"
                            "want  = stable; gain margin 1.2 .. 3; phase margin 15 .. 60\n";

} // namespace

// Rounding to 6 significant and 7 fraction digits, decided on the exact decimal value; each
// expected text worked by hand.
TEST(ExactNumber, RoundsInDecimalWithTiesToEven)
{
    const struct
    {
        const char* value;
        const char* text;
    } cases[] = {
        {"0.12345675", "0,123457"},  // 6 significant, the rest above half
        {"0.1234565", "0,123456"},   // tie, 6 is even: down
        {"0.1234575", "0,123458"},   // tie, 7 is odd: up
        {"0.00000012345", "0,0000001"}, // 7 fraction digits before 6 significant
        {"0.00000005", "0"},         // tie at the seventh place, 0 is even
        {"0.00000015", "0,0000002"}, // tie, 1 is odd
        {"1234567", "1234570"},      // whole numbers keep 6 significant digits too
        {"999999.5", "1000000"},     // tie, 9 odd: carries through
        {"-2.50", "-2,5"},           // trailing zeros dropped
        {"3", "3"},
        {"0", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Exact(c.value).RoundedText(','), c.text) << c.value;
    // 0.25 · 0.0000006 is 0.00000015 exactly, a tie that a binary product misses on one side.
    EXPECT_EQ((Exact("0.25") * Exact("0.0000006")).RoundedText(','), "0,0000002");
    EXPECT_EQ(Exact("1").DividedBy(Exact("3")).RoundedText(','), "0,333333");
    EXPECT_EQ(Exact("2").DividedBy(Exact("3")).RoundedText(','), "0,666667");
    EXPECT_EQ(Exact("1").DividedBy(Exact("0.8")).ExactText(), "1.25");
    EXPECT_EQ((Exact("0.1") + Exact("-0.3")).ExactText(), "-0.2");
}

// The slip's texts: 10 significant digits at most, ties to even, plain from the 10^-4 place
// to the 10^9 place and with a power of ten beyond; each worked by hand.
TEST(ExactNumber, TypedTextsHoldTheValueToTenDigits)
{
    const struct
    {
        const char* value;
        const char* text;
    } cases[] = {
        {"0.0000000634", "6,34E-8"}, // not 0,0000001 (+58 %)
        {"0.0000634", "6,34E-5"},
        {"0.000125", "0,000125"},
        {"-12.50", "-12,5"},
        {"1234567890123", "1,23456789E12"}, // 1234567890|123 rounds down
        {"1.0000000005", "1"},              // tie, 0 is even
        {"1.0000000015", "1,000000002"},    // tie, 1 is odd
        {"9999999999.5", "1E10"},           // tie, 9 odd: carries into the next place
        {"999999999", "999999999"},
        {"0", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Exact(c.value).TypedText(','), c.text) << c.value;
    EXPECT_EQ(Exact("1").DividedBy(Exact("3")).TypedText(','), "0,3333333333");
    EXPECT_EQ(Exact("-2").DividedBy(Exact("3")).TypedText(','), "-0,6666666667");
}

// Expansions worked by hand.
TEST(AssignmentTemplate, ExpandsExpressionsAsWorkedByHand)
{
    // (T1 s + 1)(T2 s + 1) = T1·T2 s² + (T1 + T2) s + 1: 0.5·0.2 = 0.1, 0.5 + 0.2 = 0.7.
    EXPECT_EQ(Expanded("(T1 s + 1)(T2 s + 1)", "T1 = 0.5\nT2 = 0.2\n", {"0.5", "0.2"}),
              (std::vector<std::string>{"0,1", "0,7", "1"}));
    // (s + 1)(s + 2) = s² + 3s + 2, written with juxtaposition and with '*'.
    EXPECT_EQ(Expanded("(s + 1)(s + 2)", "", {}), (std::vector<std::string>{"1", "3", "2"}));
    EXPECT_EQ(Expanded("(s+1)*(s+2)", "", {}), (std::vector<std::string>{"1", "3", "2"}));
    // K(s + 1)^2/4 with K = 2: (2s² + 4s + 2)/4.
    EXPECT_EQ(Expanded("K(s + 1)^2/4 + s^3", "K = 2\n", {"2"}),
              (std::vector<std::string>{"1", "0,5", "1", "0,5"}));
    // 2s − 3 with the minus sign of typesetting, and a unary minus.
    EXPECT_EQ(Expanded("2s \xE2\x88\x92 3", "", {}), (std::vector<std::string>{"2", "-3"}));
    EXPECT_EQ(Expanded("-(s - 4)", "", {}), (std::vector<std::string>{"-1", "4"}));
    // (0.1 s + 1)³ = 0.001 s³ + 0.03 s² + 0.3 s + 1.
    EXPECT_EQ(Expanded("(T s + 1)^3", "T = 0.1\n", {"0.1"}),
              (std::vector<std::string>{"0,001", "0,03", "0,3", "1"}));
}

TEST(AssignmentTemplate, ReadsParametersAndConditions)
{
    const AssignmentTemplate t = Read(kSample);
    ASSERT_EQ(t.Parameters.size(), 5u);
    EXPECT_EQ(t.Parameters[0].Count, 19);  // 1, 1.5, … 10
    EXPECT_EQ(t.Parameters[0].ValueText(18), "10");
    EXPECT_EQ(t.Parameters[1].Count, 3);
    EXPECT_EQ(t.Parameters[3].Count, 10); // 0.05 … 0.5
    EXPECT_EQ(t.Parameters[3].ValueText(2), "0.15");
    EXPECT_EQ(t.Denominator.Degree, 3);
    ASSERT_EQ(t.Conditions.size(), 3u);
    EXPECT_EQ(t.Conditions[1].Type, TemplateCondition::Kind::GainMargin);
    EXPECT_EQ(t.Conditions[1].Low, 1.2L);
    EXPECT_EQ(t.Conditions[2].High, 60);
    EXPECT_EQ(ExpressionWithValues(t.Denominator, {"4", "1", "0.3", "0.1", "0.2"}),
              "((1) s + 1)((0.3) s + 1)((0.1) s + 1)");
}

TEST(AssignmentTemplate, RefusesBadTemplatesWithLineAndReason)
{
    const std::string head = "task = t\nnum = K\n";
    const struct
    {
        std::string text;
        int line;
        const char* reason;
    } cases[] = {
        {head + "den = (T s + 1)(Q s + 1)\nK = 1\nT = 1\n", 3, "unknown parameter 'Q'"},
        {head + "den = s + 1\nK = 1\nT = 1 .. 2 step 1\n", 5, "never used"},
        {head + "den = s + 1\nK = 1 .. 2 step 0\n", 4, "step must be above zero"},
        {head + "den = s + 1\nK = 1 .. 2 step -1\n", 4, "step must be above zero"},
        {head + "den = s + 1\nK = 0 .. 2 step 0.000001\n", 4, "more than 1000000 values"},
        {head + "den = (s + 1)^8 (s + 1)^8\nK = 1\n", 3, "must be 1 to 15"},
        {"task = t\nnum = K s\nden = s + 1\nK = 1\n", 2, "m ≥ n"},
        {head + "den = s + 1\ndelay = tau\nK = 1\ntau = -0.1, 0.2\n", 4, "delay is negative"},
        {head + "den = s + 1\nK = 1\nwant = stable; gain margin 3 .. 1\n", 5, "bad condition"},
        {head + "den = s + 1\nK = 1\nwant = stable; unstable\n", 5, "both stable and unstable"},
        {head + "den = s + 1 / K\nK = 1\n", 3, "'/' must be followed by a number"},
        {head + "den = (s + 1\nK = 1\n", 3, "not closed"},
        {head + "den = s + 1\nK 1\n", 4, "expected 'name = value'"},
        // Numbers named in the template's own words.
        {head + "den = 1e999999 s + 1\nK = 1\n", 3, "number out of range: 1e999999"},
        {head + "den = s + 1\nK = 1\nwant = gain margin 1e999999 .. 2\n", 5,
         "'1e999999' is not a decimal"},
        {head + "den = s + 1\nK = 0,5 .. 8 step x\n", 4, "'x' is not a decimal"},
        // A delay whose exact value would need millions of digits: refused at once.
        {head + "den = s + 1\ndelay = -((((((((0.1)^15)^15)^15)^15)^15)^15)^15)^15\nK = 1\n", 4,
         "too long to be computed exactly"},
    };
    for (const auto& c : cases) {
        AssignmentTemplate t;
        TemplateError error;
        EXPECT_FALSE(ReadAssignmentTemplate(c.text, t, error)) << c.text;
        EXPECT_EQ(error.Line, c.line) << c.text;
        EXPECT_NE(error.Message.find(c.reason), std::string::npos) << error.Message;
    }
}

// A denominator of 30,000 flat terms, a product of 30,000 juxtaposed factors and one of
// 30,000 '*': each is refused by its depth, not by the stack, and at once.
TEST(AssignmentTemplate, RefusesLongExpressionsWithoutRecursingIntoThem)
{
    std::string sum = "s", juxtaposed = "s", starred = "s";
    for (int i = 0; i < 30000; ++i) {
        sum += " + 1";
        juxtaposed += " 1";
        starred += "*1";
    }
    for (const std::string& den : {sum, juxtaposed, starred}) {
        AssignmentTemplate t;
        TemplateError error;
        EXPECT_FALSE(ReadAssignmentTemplate("task = t\nnum = 1\nden = " + den + "\n", t, error));
        EXPECT_EQ(error.Line, 3);
        EXPECT_NE(error.Message.find("more than 1000 operations"), std::string::npos)
            << error.Message;
    }
    // 999 terms are read.
    std::string short_ = "s";
    for (int i = 0; i < 998; ++i)
        short_ += " + 1";
    const AssignmentTemplate t = Read("task = t\nnum = 1\nden = " + short_ + "\n");
    EXPECT_EQ(ExpandExpression(t.Denominator, {})[0].ExactText(), "998");
}

// Conditions in Russian, decimal commas, and a template saved in Windows-1251, read as the
// roster is: "задача" and "устойчива" as the teacher typed them.
TEST(AssignmentTemplate, ReadsRussianConditionsDecimalCommasAndWindows1251)
{
    const AssignmentTemplate t = Read("task = t\nnum = K\nden = 0,5s + 1\nK = 0,5 .. 8 step 0,25\n"
                                      "want = устойчива; запас по амплитуде 1,5 .. 3; "
                                      "запас по фазе 10 .. 60\n");
    EXPECT_EQ(t.Parameters[0].Count, 31); // (8 − 0.5)/0.25 + 1
    EXPECT_EQ(ExpandExpression(t.Denominator, {Exact("1")})[1].ExactText(), "0.5");
    ASSERT_EQ(t.Conditions.size(), 3u);
    EXPECT_EQ(t.Conditions[0].Type, TemplateCondition::Kind::Stable);
    EXPECT_EQ(t.Conditions[1].Type, TemplateCondition::Kind::GainMargin);
    EXPECT_EQ(t.Conditions[1].Low, 1.5L);
    EXPECT_EQ(t.Conditions[2].Type, TemplateCondition::Kind::PhaseMargin);
    // "задача" in Windows-1251.
    const AssignmentTemplate cp = Read("task = \xE7\xE0\xE4\xE0\xF7\xE0\nnum = 1\nden = s + 1\n");
    EXPECT_EQ(cp.Task, "задача");
}

// Published test values of SplitMix64 (state 0) and of 64-bit FNV-1a.
TEST(VariantDraw, GeneratorAndHashMatchTheirReferenceValues)
{
    SplitMix64 stream(0);
    EXPECT_EQ(stream.Next(), 0xE220A8397B1DCDAFULL);
    EXPECT_EQ(stream.Next(), 0x6E789E6AA1B965F4ULL);
    EXPECT_EQ(Fnv1a64(""), 0xCBF29CE484222325ULL);
    EXPECT_EQ(Fnv1a64("a"), 0xAF63DC4C8601EC8CULL);
    EXPECT_EQ(Fnv1a64("foobar"), 0x85944171F73967E8ULL);
    EXPECT_EQ(StudentSeed(7, "251", "Иванов"), Fnv1a64("7|251|Иванов"));
}

TEST(VariantDraw, SameSeedSameVariantsAndStudentsKeepThemWhenTheRosterChanges)
{
    const AssignmentTemplate t = Read(kSample);
    const std::vector<AssignmentStudent> first = {
        {"251", "Иванов И.И."}, {"251", "Петров П.П."}, {"252", "Сидоров С.С."}};
    const std::vector<AssignmentStudent> second = {
        {"251", "Петров П.П."}, {"252", "Новиков Н.Н."}, {"252", "Сидоров С.С."}};
    ClassDraw a, b, c, other;
    TemplateError error;
    ASSERT_TRUE(AssignVariants(t, 2027, first, a, error)) << error.Message;
    ASSERT_TRUE(AssignVariants(t, 2027, first, b, error));
    ASSERT_TRUE(AssignVariants(t, 2027, second, c, error));
    ASSERT_TRUE(AssignVariants(t, 2028, first, other, error));
    const auto same = [](const AssignedVariant& x, const AssignedVariant& y) {
        return x.Numerator == y.Numerator && x.Denominator == y.Denominator && x.Delay == y.Delay;
    };
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_TRUE(same(a.Variants[i], b.Variants[i]));
    EXPECT_TRUE(same(a.Variants[1], c.Variants[0])); // Петров, first in the new roster
    EXPECT_TRUE(same(a.Variants[2], c.Variants[2])); // Сидоров
    EXPECT_FALSE(same(a.Variants[0], a.Variants[1]));
    int changed = 0;
    for (std::size_t i = 0; i < first.size(); ++i)
        changed += same(a.Variants[i], other.Variants[i]) ? 0 : 1;
    EXPECT_GE(changed, 2);
}

// Every variant of a class meets the conditions, checked again from the typed texts alone;
// its coefficients agree with the product of the drawn factors computed in long double.
TEST(VariantDraw, EveryVariantMeetsTheConditionsAsTyped)
{
    const AssignmentTemplate t = Read(kSample);
    std::vector<AssignmentStudent> students;
    for (int i = 0; i < 30; ++i)
        students.push_back({i < 15 ? "251" : "252", "Студент " + std::to_string(i)});
    ClassDraw drawn;
    TemplateError error;
    ASSERT_TRUE(AssignVariants(t, 2027, students, drawn, error)) << error.Message;
    for (const AssignedVariant& v : drawn.Variants) {
        ASSERT_EQ(v.Denominator.size(), 4u);
        TransferFunction tf;
        tf.NumeratorDegree = 0;
        tf.DenominatorDegree = 3;
        tf.B[0] = ParseNumber(v.Numerator[0]);
        for (int i = 0; i < 4; ++i)
            tf.A[3 - i] = ParseNumber(v.Denominator[static_cast<std::size_t>(i)]);
        tf.Delay = ParseNumber(v.Delay);
        const StabilityAnalysis analysis = AnalyseStability(tf);
        EXPECT_EQ(analysis.Verdict, StabilityVerdict::Stable);
        ASSERT_TRUE(analysis.GainMargin && analysis.PhaseMargin);
        EXPECT_GE(analysis.GainMargin->Value, 1.2L);
        EXPECT_LE(analysis.GainMargin->Value, 3.0L);
        EXPECT_GE(analysis.PhaseMargin->Value, 15.0L);
        EXPECT_LE(analysis.PhaseMargin->Value, 60.0L);
        // Values K, T1, T2, T3, tau: A3 = T1T2T3, A2 = T1T2 + T1T3 + T2T3, A1 = T1 + T2 + T3.
        const long double T1 = ParseNumber(v.Values[1]), T2 = ParseNumber(v.Values[2]),
                          T3 = ParseNumber(v.Values[3]);
        EXPECT_NEAR(tf.A[3], T1 * T2 * T3, 1e-9L);
        EXPECT_NEAR(tf.A[2], T1 * T2 + T1 * T3 + T2 * T3, 1e-9L);
        EXPECT_NEAR(tf.A[1], T1 + T2 + T3, 1e-9L);
        EXPECT_EQ(tf.B[0], ParseNumber(v.Values[0]));
        EXPECT_EQ(tf.Delay, ParseNumber(v.Values[4]));
    }
}

TEST(VariantDraw, RefusesConditionsNoDrawMeetsNamingTheCommonestFailure)
{
    // 5/(s + 1)³ has a gain margin of 8/5 = 1.6 only.
    const AssignmentTemplate t =
        Read("task = t\nnum = K\nden = (s + 1)^3\nK = 5\nwant = stable; gain margin 100 .. 200\n");
    ClassDraw drawn;
    TemplateError error;
    EXPECT_FALSE(AssignVariants(t, 1, {{"251", "Иванов"}}, drawn, error));
    EXPECT_EQ(error.Line, 5);
    EXPECT_NE(error.Message.find("'gain margin 100 .. 200' (10,000 times)"), std::string::npos)
        << error.Message;
}

// 2/(s + 1) meets |W| = 1 at ω = √3, where arg W = −60°: 120° = 2π/3 more lag at √3 rad/s
// takes ΔT = (2π/3)/√3 = 1.2092 s.
TEST(VariantDraw, DelayMarginConditionAsWorkedByHand)
{
    const std::string head = "task = t\nnum = K\nden = s + 1\nK = 2\n";
    ClassDraw drawn;
    TemplateError error;
    EXPECT_TRUE(AssignVariants(Read(head + "want = stable; delay margin 1.2 .. 1.22\n"), 1,
                               {{"251", "Иванов"}}, drawn, error))
        << error.Message;
    EXPECT_FALSE(AssignVariants(Read(head + "want = delay margin 1.22 .. 2\n"), 1,
                                {{"251", "Иванов"}}, drawn, error));
    EXPECT_NE(error.Message.find("'delay margin 1.22 .. 2'"), std::string::npos) << error.Message;
}
