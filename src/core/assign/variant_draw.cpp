// SPDX-License-Identifier: MIT
#include "core/assign/variant_draw.h"

#include "core/numtext/numtext.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <numeric>
#include <set>
#include <tuple>

namespace nirdal {

// 128-bit whole numbers of GCC and Clang, for products of two 64-bit numbers.
__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

namespace {

// How far the value the entry reads from a slip's text may lie from the exact coefficient.
constexpr long double kTypedTolerance = 1e-9L;

std::string WithComma(std::string text)
{
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::vector<std::string> Coefficients(const ExactPolynomial& polynomial)
{
    std::vector<std::string> texts;
    for (std::size_t i = polynomial.size(); i-- > 0;)
        texts.push_back(polynomial[i].TypedText(','));
    return texts;
}

// Whether the coefficient entry reads text as exact, within kTypedTolerance relative; value
// gets what it reads.
bool Typed(const std::string& text, const ExactNumber& exact, Extended& value)
{
    try {
        value = ParseNumber(text);
    } catch (const ConversionError&) {
        return false;
    }
    const long double wanted = exact.Approximate();
    return std::isfinite(value) &&
           std::fabs(value - wanted) <= kTypedTolerance * std::fabs(wanted);
}

// Whether two variants are the same to the last bit, as the class file reads them.
bool SameVariant(const TransferFunction& a, const TransferFunction& b)
{
    if (a.NumeratorDegree != b.NumeratorDegree || a.DenominatorDegree != b.DenominatorDegree ||
        a.Delay != b.Delay)
        return false;
    for (int i = 0; i <= a.DenominatorDegree; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (a.A[at] != b.A[at] || (i <= a.NumeratorDegree && a.B[at] != b.B[at]))
            return false;
    }
    return true;
}

std::uint64_t VariantNumber(const AssignmentTemplate& assignment,
                            const std::vector<std::int64_t>& indexes)
{
    UInt128 number = 0;
    for (std::size_t p = 0; p < indexes.size(); ++p) {
        number = number * static_cast<UInt128>(assignment.Parameters[p].Count) +
                 static_cast<UInt128>(indexes[p]);
        if (number >= (UInt128{1} << 63))
            return 0;
    }
    return static_cast<std::uint64_t>(number) + 1;
}

std::string Thousands(long long n)
{
    std::string digits = std::to_string(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<std::size_t>(i), ",");
    return digits;
}

} // namespace

std::uint64_t SplitMix64::Next()
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t SplitMix64::Below(std::uint64_t count)
{
    return static_cast<std::uint64_t>((static_cast<UInt128>(Next()) * count) >> 64);
}

std::uint64_t Fnv1a64(std::string_view text)
{
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001B3ULL;
    }
    return hash;
}

std::uint64_t StudentSeed(std::uint64_t seed, std::string_view group, std::string_view surname)
{
    return Fnv1a64(std::to_string(seed) + "|" + std::string(group) + "|" + std::string(surname));
}

bool MeetsCondition(const TemplateCondition& condition, const StabilityAnalysis& analysis)
{
    using Kind = TemplateCondition::Kind;
    const auto within = [&](const std::optional<Margin>& margin) {
        return margin && margin->Value >= condition.Low && margin->Value <= condition.High;
    };
    switch (condition.Type) {
    case Kind::Stable:
        return analysis.Verdict == StabilityVerdict::Stable;
    case Kind::Unstable:
        return analysis.Verdict == StabilityVerdict::Unstable;
    case Kind::GainMargin:
        return within(analysis.GainMargin);
    case Kind::PhaseMargin:
        return within(analysis.PhaseMargin);
    case Kind::DelayMargin:
        return analysis.DelayMargin && analysis.DelayMargin->Seconds >= condition.Low &&
               analysis.DelayMargin->Seconds <= condition.High;
    }
    return false;
}

bool AssignVariants(const AssignmentTemplate& assignment, std::uint64_t seed,
                    const std::vector<AssignmentStudent>& students, ClassDraw& result,
                    TemplateError& error,
                    const std::function<void(std::size_t done, std::size_t total)>& progress,
                    const std::vector<KeptVariant>& kept)
{
    result = ClassDraw();
    result.Variants.resize(students.size());
    long double combinations = 1;
    for (const TemplateParameter& parameter : assignment.Parameters)
        combinations *= static_cast<long double>(parameter.Count);
    const bool roomForAll = combinations >= static_cast<long double>(students.size());
    if (!roomForAll)
        result.Notes.push_back("the template has only " +
                               Thousands(static_cast<long long>(combinations)) +
                               " combinations of values for " +
                               Thousands(static_cast<long long>(students.size())) +
                               " students: some students share a variant");

    std::vector<std::size_t> order(students.size());
    std::iota(order.begin(), order.end(), 0);
    std::vector<std::uint64_t> seeds;
    for (const AssignmentStudent& student : students)
        seeds.push_back(StudentSeed(seed, student.Group, student.Surname));
    // The students who keep a variant are served first, so that nobody takes it from them.
    std::vector<const KeptVariant*> keeps(students.size(), nullptr);
    for (std::size_t i = 0; i < students.size(); ++i) {
        for (const KeptVariant& k : kept) {
            if (k.Group == students[i].Group && k.Surname == students[i].Surname)
                keeps[i] = &k;
        }
    }
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::make_tuple(keeps[a] == nullptr, seeds[a], std::cref(students[a].Group),
                               std::cref(students[a].Surname)) <
               std::make_tuple(keeps[b] == nullptr, seeds[b], std::cref(students[b].Group),
                               std::cref(students[b].Surname));
    });

    std::map<std::string, std::size_t> taken; // coefficient texts → student holding them
    std::map<std::string, std::string> rejected; // coefficient texts → the condition failed
    const std::size_t parameters = assignment.Parameters.size();
    std::size_t served = 0;
    for (const std::size_t who : order) {
        if (progress && served > 0)
            progress(served, students.size());
        ++served;
        const AssignmentStudent& student = students[who];
        SplitMix64 stream(seeds[who]);
        std::map<std::string, int> failures;
        std::optional<AssignedVariant> fallback;
        std::string fallbackKey;
        bool done = false;
        for (int draw = 1; draw <= kMaxDraws && !done; ++draw) {
            AssignedVariant variant;
            variant.Group = student.Group;
            variant.Surname = student.Surname;
            variant.Draws = draw;
            std::vector<ExactNumber> values(parameters);
            std::vector<std::string> valueTexts(parameters), pointTexts(parameters);
            std::vector<std::int64_t> indexes(parameters);
            for (std::size_t p = 0; p < parameters; ++p) {
                const TemplateParameter& parameter = assignment.Parameters[p];
                indexes[p] = static_cast<std::int64_t>(
                    stream.Below(static_cast<std::uint64_t>(parameter.Count)));
                pointTexts[p] = parameter.ValueText(indexes[p]);
                ExactNumber::FromDecimal(pointTexts[p], values[p]);
                valueTexts[p] = WithComma(pointTexts[p]);
            }
            variant.Values = valueTexts;
            ExactPolynomial numerator, denominator, delay;
            const Expression* at = &assignment.Numerator;
            try {
                numerator = ExpandExpression(assignment.Numerator, values);
                at = &assignment.Denominator;
                denominator = ExpandExpression(assignment.Denominator, values);
                at = &assignment.Delay;
                delay = ExpandExpression(assignment.Delay, values);
            } catch (const std::exception& failure) {
                std::string where;
                for (std::size_t p = 0; p < parameters; ++p)
                    where += (where.empty() ? " for " : ", ") + assignment.Parameters[p].Name +
                             " = " + valueTexts[p];
                error = {at->Line, std::string(failure.what()) + where};
                return false;
            }
            if (delay[0].IsNegative()) {
                std::string where;
                for (std::size_t p = 0; p < parameters; ++p)
                    where += (where.empty() ? " for " : ", ") + assignment.Parameters[p].Name +
                             " = " + valueTexts[p];
                error = {assignment.Delay.Line,
                         "the delay is negative (" + delay[0].RoundedText(',') + " s)" + where};
                return false;
            }
            variant.Numerator = Coefficients(numerator);
            variant.Denominator = Coefficients(denominator);
            variant.Delay = delay[0].TypedText(',');
            if (numerator.back().IsZero() || denominator.back().IsZero()) {
                ++failures["a leading coefficient is 0"];
                continue;
            }
            TransferFunction& tf = variant.Variant;
            tf.NumeratorDegree = static_cast<std::uint8_t>(numerator.size() - 1);
            tf.DenominatorDegree = static_cast<std::uint8_t>(denominator.size() - 1);
            std::string untyped;
            if (!Typed(variant.Delay, delay[0], tf.Delay))
                untyped = "the delay T";
            for (std::size_t i = 0; i < numerator.size() && untyped.empty(); ++i) {
                if (!Typed(variant.Numerator[numerator.size() - 1 - i], numerator[i], tf.B[i]))
                    untyped = "B" + std::to_string(i);
            }
            for (std::size_t i = 0; i < denominator.size() && untyped.empty(); ++i) {
                if (!Typed(variant.Denominator[denominator.size() - 1 - i], denominator[i], tf.A[i]))
                    untyped = "A" + std::to_string(i);
            }
            if (!untyped.empty()) {
                ++failures["the coefficient entry cannot hold " + untyped +
                           " within 1e-9 (choose units of time or a scale of the parameters "
                           "that keep the coefficients between 1e-4 and 1e9)"];
                continue;
            }
            std::string key;
            for (const std::string& c : variant.Numerator)
                key += c + " ";
            key += "/";
            for (const std::string& c : variant.Denominator)
                key += " " + c;
            key += " T " + variant.Delay;
            // A kept variant met the conditions when it was drawn; only it will do.
            const KeptVariant* keep = keeps[who];
            if (keep) {
                if (!SameVariant(tf, keep->Variant))
                    continue;
                variant.NumeratorFormula = ExpressionWithValues(assignment.Numerator, pointTexts);
                variant.DenominatorFormula =
                    ExpressionWithValues(assignment.Denominator, pointTexts);
                variant.Number = VariantNumber(assignment, indexes);
                taken.emplace(key, who);
                result.Variants[who] = std::move(variant);
                done = true;
                continue;
            }
            // A variant drawn again fails as it did: analysed once, so that a template of few
            // values and a high degree is refused in bounded time.
            if (const auto seen = rejected.find(key); seen != rejected.end()) {
                ++failures[seen->second];
                continue;
            }
            const StabilityAnalysis analysis = AnalyseStability(tf);
            const auto failed = std::find_if(
                assignment.Conditions.begin(), assignment.Conditions.end(),
                [&](const TemplateCondition& c) { return !MeetsCondition(c, analysis); });
            if (!analysis.Failure.empty() || failed != assignment.Conditions.end()) {
                const std::string reason = !analysis.Failure.empty()
                                               ? std::string("the variant cannot be analysed")
                                               : "'" + failed->Text + "'";
                ++failures[reason];
                rejected.emplace(key, reason);
                continue;
            }
            variant.NumeratorFormula = ExpressionWithValues(assignment.Numerator, pointTexts);
            variant.DenominatorFormula = ExpressionWithValues(assignment.Denominator, pointTexts);
            variant.Number = VariantNumber(assignment, indexes);
            if (roomForAll && taken.count(key) != 0) {
                if (!fallback) {
                    fallback = variant;
                    fallbackKey = key;
                }
                continue;
            }
            taken.emplace(key, who);
            result.Variants[who] = std::move(variant);
            done = true;
        }
        if (done && fallback) {
            const std::size_t holder = taken[fallbackKey];
            result.Redrawn.push_back({who, holder});
            result.Notes.push_back(student.Group + " " + student.Surname +
                                   " was drawn again: his first variant is held by " +
                                   students[holder].Group + " " + students[holder].Surname);
        }
        if (done)
            continue;
        if (fallback) {
            const AssignmentStudent& other = students[taken[fallbackKey]];
            result.Notes.push_back(student.Group + " " + student.Surname +
                                   " shares the variant of " + other.Group + " " +
                                   other.Surname + ": no other variant met the conditions");
            result.Variants[who] = std::move(*fallback);
            continue;
        }
        if (keeps[who]) {
            error = {assignment.WantLine,
                     "the kept variant of " + student.Group + " " + student.Surname +
                         " (line " + std::to_string(keeps[who]->Line) +
                         ") is none of his draws of this template and seed"};
            return false;
        }
        const auto worst =
            std::max_element(failures.begin(), failures.end(),
                             [](const auto& a, const auto& b) { return a.second < b.second; });
        error = {assignment.WantLine,
                 "no draw of " + Thousands(kMaxDraws) + " for " + student.Group + " " +
                     student.Surname + " met the conditions; most often failed: " +
                     worst->first + " (" + Thousands(worst->second) + " times)"};
        return false;
    }
    if (progress)
        progress(students.size(), students.size());
    return true;
}

} // namespace nirdal
