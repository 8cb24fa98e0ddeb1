// SPDX-License-Identifier: MIT
#include "core/tf/assignment.h"

#include <algorithm>

namespace nirdal {

void PrepareVariantSlot(Assignment& assignment, std::uint8_t k)
{
    assignment.Variants.resize(std::size_t{k} + 1);
    TransferFunction& variant = assignment.Variants[k];
    variant.A.fill(0);
    for (int j = 0; j < kCoefficientCount - 1; ++j)
        variant.B[j] = 0;
    variant.DenominatorDegree = 1;
    variant.NumeratorDegree = 0;
    variant.Delay = 0;
}

TransferFunction& CurrentTransferFunction(Assignment& assignment)
{
    return assignment.Variants.at(assignment.CurrentVariant);
}

const TransferFunction& CurrentTransferFunction(const Assignment& assignment)
{
    return assignment.Variants.at(assignment.CurrentVariant);
}

bool NewVariant(Assignment& assignment)
{
    // The variant counter is one byte: a 256th variant would wrap it to none.
    if (assignment.VariantCount >= kMaxVariants)
        return false;
    assignment.Done = false;
    const std::uint8_t k = ++assignment.VariantCount;
    PrepareVariantSlot(assignment, k);
    assignment.CurrentVariant = k;
    assignment.Variants[k] = assignment.Variants[k - 1];
    return true;
}

void SelectVariant(Assignment& assignment, int number)
{
    assignment.CurrentVariant =
        static_cast<std::uint8_t>(std::clamp(number, 1, std::max<int>(assignment.VariantCount, 1)));
}

void ChangeVariant(Assignment& assignment, int number)
{
    assignment.Done = false;
    SelectVariant(assignment, number);
}

void SetDegrees(TransferFunction& variant, int n, int m)
{
    n = std::clamp(n, 1, kMaxDenominatorDegree);
    variant.DenominatorDegree = static_cast<std::uint8_t>(n);
    variant.NumeratorDegree = static_cast<std::uint8_t>(std::clamp(m, 0, n - 1));
}

} // namespace nirdal
