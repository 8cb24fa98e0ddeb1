// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"
#include "core/tf/response_store.h"

#include <array>
#include <cstdint>
#include <string>

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

/// The letter, the index and two blanks, cut to five characters: "A3  ", "B14  ".
std::string CoefficientLabel(std::uint8_t index, char letter);

/// The delay rounded to thousandths (ties to even) as "[-]S,mmm": 2.5 gives "2,500".
std::string DelaySecondsText(Extended seconds);

} // namespace nirdal
