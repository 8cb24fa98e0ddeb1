// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"
#include "core/response/response_store.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace nirdal {

constexpr int kCoefficientCount = 16; ///< powers 0..15
constexpr int kMaxDenominatorDegree = 15;
constexpr int kMaxVariants = 255; ///< bound of the 8-bit variant counter

/// One variant of W(s) = (Bm·s^m + … + B0) / (An·s^n + … + A0) · exp(−T·s) with its
/// computed points. A plain value: copied whole when a new variant is made.
struct TransferFunction
{
    std::array<Extended, kCoefficientCount> A{}; ///< A[j] multiplies s^j
    std::array<Extended, kCoefficientCount> B{}; ///< B[j] multiplies s^j; B[15] unused
    std::uint8_t DenominatorDegree = 0;          ///< n, 1..15
    std::uint8_t NumeratorDegree = 0;            ///< m, 0..14, m < n
    Extended Delay = 0;                          ///< T in seconds
    nirdal::ResponseArrays ResponseArrays;
};

/// The variants of the current assignment, numbered from 1; element 0 is never used.
extern std::vector<TransferFunction> Variants;
/// Number of the variant the screens of the current cycle read and write.
extern std::uint8_t CurrentVariant;
/// Number of variants made in the current assignment loop.
extern std::uint8_t VariantCount;

/// Resizes Variants to k + 1 elements (new ones zero-filled) and resets element k to a new
/// variant: coefficients A0..A15 and B0..B14 zero, n = 1, m = 0, no delay. B15 and the
/// response points of an element that already existed are kept.
void PrepareVariantSlot(std::uint8_t k);

/// Variants[CurrentVariant].
TransferFunction& CurrentTransferFunction();

/// The letter, the index and two blanks, cut to five characters: "A3  ", "B14  ".
std::string CoefficientLabel(std::uint8_t index, char letter);

/// The delay rounded to thousandths (ties to even) as "[-]S,mmm": 2.5 gives "2,500".
std::string DelaySecondsText(Extended seconds);

} // namespace nirdal
