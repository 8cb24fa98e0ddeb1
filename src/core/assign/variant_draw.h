// SPDX-License-Identifier: MIT
#pragma once

#include "core/analysis/stability.h"
#include "core/assign/assignment_template.h"
#include "core/tf/transfer_function.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nirdal {

/// Draws a template gets for one student before it is refused.
constexpr int kMaxDraws = 10000;

/// The numbers that drive one student's draws: SplitMix64 (Steele, Lea and Flood, 2014) from
/// a 64-bit state. Written out here, not taken from <random>, so that the same state gives
/// the same numbers with every compiler and library.
class SplitMix64
{
public:
    explicit SplitMix64(std::uint64_t state) : m_state(state) {}
    std::uint64_t Next();
    /// A whole number in [0, count), count > 0: the high 64 bits of Next() · count.
    std::uint64_t Below(std::uint64_t count);

private:
    std::uint64_t m_state;
};

/// 64-bit FNV-1a of the bytes of text.
std::uint64_t Fnv1a64(std::string_view text);

/// The state a student's draws start from: Fnv1a64 of "SEED|GROUP|SURNAME", the seed in
/// decimal, group and surname in UTF-8. It depends on nothing else of the roster, so a
/// student keeps his variant when others are added or removed.
std::uint64_t StudentSeed(std::uint64_t seed, std::string_view group, std::string_view surname);

/// A student of the roster, in UTF-8.
struct AssignmentStudent
{
    std::string Group, Surname;
};

/// A student's variant in an earlier class file that he keeps.
struct KeptVariant
{
    std::string Group, Surname;
    TransferFunction Variant;
    int Line = 0; ///< its line in that file
};

/// One student's variant: the texts every output uses and the variant they read as.
struct AssignedVariant
{
    std::string Group, Surname;
    std::vector<std::string> Values;      ///< each parameter's value, decimal comma
    std::vector<std::string> Numerator;   ///< B_m … B_0 as typed, decimal comma
    std::vector<std::string> Denominator; ///< A_n … A_0 as typed
    std::string Delay;                    ///< T in seconds as typed
    /// The numerator and denominator as the template writes them with the values put in
    /// (ExpressionWithValues).
    std::string NumeratorFormula, DenominatorFormula;
    TransferFunction Variant; ///< the texts as the coefficient entry reads them
    int Draws = 0;            ///< draws it took
    /// The variant's number: 1 + the values' indexes read as one number in the mixed radix
    /// of the parameters' counts, in template order; 0 when that passes 2^63.
    std::uint64_t Number = 0;
};

/// A student whose first variant another student held, so that he was drawn again.
struct RedrawnStudent
{
    std::size_t Student = 0; ///< his index in the roster order
    std::size_t Holder = 0;  ///< the index of the student holding his first variant
};

/// Every student's variant, in roster order, and what the teacher should know about them.
struct ClassDraw
{
    std::vector<AssignedVariant> Variants;
    std::vector<std::string> Notes;
    std::vector<RedrawnStudent> Redrawn;
};

/// Whether analysis meets condition (a stable, unstable, or margin-within-range test).
bool MeetsCondition(const TemplateCondition& condition, const StabilityAnalysis& analysis);

/// Draws each student's variant: the parameters' value indexes from his SplitMix64 stream
/// (StudentSeed), one Below(count) a parameter in template order, redrawn until the rounded
/// coefficients give a variant that the analysis finds meeting every condition, whose leading
/// coefficients are not 0 and whose texts (ExactNumber::TypedText) the coefficient entry reads
/// within 1e-9 of the exact expansion, relative. Students
/// are served in the order of their StudentSeed, and a draw another student already holds is
/// redrawn while the template has at least as many combinations as there are students; so
/// a student's variant changes with the roster only when it would have matched another's.
/// Refuses (false, with the line and reason) when a student's 10,000 draws never meet the
/// conditions, naming the condition that failed most often, or when a draw gives a negative
/// delay.
/// Every redrawn student is in result.Redrawn and named in a note. A student of kept (by group
/// and surname) keeps exactly that variant: it is found among his own draws and served before
/// anyone else, and refused (with its line) when none of his draws gives it. progress(done,
/// total), when given, is called after each student.
bool AssignVariants(const AssignmentTemplate& assignment, std::uint64_t seed,
                    const std::vector<AssignmentStudent>& students, ClassDraw& result,
                    TemplateError& error,
                    const std::function<void(std::size_t done, std::size_t total)>& progress = {},
                    const std::vector<KeptVariant>& kept = {});

} // namespace nirdal
