// SPDX-License-Identifier: MIT
#pragma once

#include "core/roster/roster.h"
#include "core/settings/print_settings.h"
#include "core/tf/transfer_function.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nirdal {

/// The three texts of one variant: its coefficients from the highest power down, each entry
/// ending in a blank, and its delay.
struct CoefficientTexts
{
    std::string Numerator;
    std::string Denominator;
    std::string Delay;
};

/// Everything the program knows of the student at work: his variants, the one on the
/// screens, who he is, how he prints. The program owns one and hands it to what reads or
/// changes it.
struct Assignment
{
    /// The variants of the current assignment, numbered from 1; element 0 is never used.
    std::vector<TransferFunction> Variants;
    /// Number of the variant the screens of the current pass read and write.
    std::uint8_t CurrentVariant = 0;
    /// Number of variants made in the current assignment loop.
    std::uint8_t VariantCount = 0;
    /// True once the student has finished the assignment loop; a new variant and a change of
    /// variant set it back to false to ask for another pass.
    bool Done = false;
    /// The student's last choice on the selection screen; kept until another choice.
    StudentChoice StudentSelection;
    /// The student's surname with his initials: taken from the roster when he picks himself
    /// on the selection screen.
    std::string StudentSurname;
    /// The code of the student's group, empty when he came without the roster.
    std::string StudentGroup;
    PrintChoice Print;
    /// The coefficients of the last variant as the graph shows them.
    CoefficientTexts Texts;
};

/// Resizes the variants to k + 1 elements (new ones zero-filled) and resets element k to a
/// new variant: coefficients A0..A15 and B0..B14 zero, n = 1, m = 0, no delay. B15 and the
/// response points of an element that already existed are kept.
void PrepareVariantSlot(Assignment& assignment, std::uint8_t k);

/// The variant numbered CurrentVariant.
TransferFunction& CurrentTransferFunction(Assignment& assignment);
const TransferFunction& CurrentTransferFunction(const Assignment& assignment);

/// Adds a variant after the last, a copy of it with its points, makes it current and asks
/// for another pass. False, and nothing changed, when kMaxVariants variants exist already.
bool NewVariant(Assignment& assignment);

/// Makes variant `number` current, kept within 1 … VariantCount.
void SelectVariant(Assignment& assignment, int number);

/// Makes variant `number` current, as SelectVariant, and asks for another pass to edit it.
void ChangeVariant(Assignment& assignment, int number);

/// Sets the degrees of a variant: n kept within 1 … kMaxDenominatorDegree, m within
/// 0 … n − 1 (a numerator degree not below n becomes n − 1).
void SetDegrees(TransferFunction& variant, int n, int m);

} // namespace nirdal
