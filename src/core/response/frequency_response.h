// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"
#include "core/tf/response_store.h"
#include "core/tf/transfer_function.h"

#include <array>
#include <cstdint>

namespace nirdal {

/// Selects the part of a polynomial at s = jω that PolynomialPart returns.
enum class PolynomialPartKind : int
{
    Even = 1, ///< c0 + c2·ω² + c4·ω⁴ + …, the real part
    Odd = 2,  ///< ω·(c1 + c3·ω² + …), the imaginary part
};

/// The even or odd part of the polynomial with sign-adjusted coefficients c (c[k] = ±A[k] as
/// the power of j demands) up to degree, at frequency omega. Degrees above 15 count as 15.
Extended PolynomialPart(std::uint8_t degree, const std::array<Extended, kCoefficientCount>& c,
                        PolynomialPartKind part, Extended omega);

/// Writes U and V of point from its Frequency: U + jV = N(jω)/D(jω)·exp(−jωT). Returns false
/// when they are not finite (D(jω) = 0 or an overflow); then U and V are not defined.
bool EvaluateResponse(ResponsePoint& point, const TransferFunction& variant);

/// Why NextSweepFrequency could not give a step.
enum class SweepStepFault
{
    None,
    PointsCoincide, ///< the two latest points are the same point
    PointAtOrigin,  ///< the newer point is W = 0
    NotFinite,      ///< the next frequency or the distance is not a finite number
};

/// The next frequency of the sweep and the relative distance of the two latest points.
struct SweepStep
{
    Extended Frequency = 0;
    Extended RelativeDistance = 0;
    SweepStepFault Fault = SweepStepFault::None; ///< when not None, Frequency is not usable
};

/// The step rule: from the two latest points (older higher in frequency than newer) the
/// frequency of the next point, by a factor between 0.5 and 0.9 that shrinks as the
/// points crowd together.
SweepStep NextSweepFrequency(const ResponsePoint& older, const ResponsePoint& newer);

} // namespace nirdal
