// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"
#include "core/common/message.h"
#include "core/tf/transfer_function.h"

#include <complex>
#include <optional>
#include <string>
#include <vector>

namespace nirdal {

/// The closed loop with unit negative feedback, read from the Nyquist criterion.
enum class StabilityVerdict
{
    Stable,   ///< no closed-loop pole in the right half-plane or on the imaginary axis
    Unstable, ///< Z > 0
    Boundary, ///< the hodograph passes through −1: closed-loop poles on the imaginary axis
};

/// "stable", "unstable" or "boundary".
const char* VerdictName(StabilityVerdict verdict);

/// The verdict as the class report says it of the closed loop (the system, "система", is
/// feminine): "устойчива", "неустойчива" or "на границе" (of stability). UTF-8.
const char* RussianVerdictName(StabilityVerdict verdict);

/// A point where the hodograph meets the negative real axis or the unit circle.
struct Crossover
{
    Extended Frequency = 0; ///< ω in rad/s
    Extended U = 0;         ///< Re W(jω)
    Extended V = 0;         ///< Im W(jω)
};

/// One stability margin and the crossover it is read at.
struct Margin
{
    Extended Value = 0;     ///< gain factor, or phase in degrees
    Extended Frequency = 0; ///< ω of the crossover in rad/s
};

/// How much more delay the closed loop stands before W(jω)·exp(−jωΔT) passes through −1.
struct DelayMargin
{
    Extended Seconds = 0;   ///< ΔT ≥ 0 in seconds
    Extended Frequency = 0; ///< ω_c in rad/s: the gain crossover that reaches −1 first
};

/// What the open loop W(s) tells about the closed loop 1/(1 + W(s)).
struct StabilityAnalysis
{
    Message Failure; ///< why the variant could not be analysed (then nothing else is set)
    std::vector<std::complex<Extended>> Poles; ///< roots of the denominator, with multiplicity
    int RightHalfPlanePoles = 0;               ///< P
    int ImaginaryAxisPoles = 0;       ///< poles on the axis; the contour passes them on the right
    std::optional<int> Encirclements; ///< N: clockwise turns around −1; not on the boundary
    std::optional<int> ClosedLoopRightPoles; ///< Z = N + P; not on the boundary
    StabilityVerdict Verdict = StabilityVerdict::Boundary;
    std::vector<Crossover> PhaseCrossovers; ///< V = 0 with U < 0 (ω = 0 included), ascending
    std::vector<Crossover> GainCrossovers;  ///< |W| = 1 at ω > 0, ascending
    /// The smallest factor −1/U over the phase crossovers, read at the leftmost crossing of
    /// the negative real axis: multiplying the gain by it brings that crossing to −1. Above 1
    /// every crossing lies between −1 and 0 and the gain may grow by the factor; below 1 the
    /// gain must shrink by it before every crossing lies right of −1.
    std::optional<Margin> GainMargin;
    /// The angle in degrees, in (−180, 180], from −1 to W at the gain crossover nearest to −1
    /// on the unit circle (smallest magnitude); positive when W lies below −1, that is when
    /// this much more phase lag brings the curve through −1. A principal angle: with a long
    /// delay the curve may have turned whole turns, so only the verdict tells stability.
    std::optional<Margin> PhaseMargin;
    /// For a stable verdict: the smallest ΔT = ((arg W(jω_c) + π) mod 2π)/ω_c over the gain
    /// crossovers. None when the verdict is not stable or |W| never reaches 1.
    std::optional<nirdal::DelayMargin> DelayMargin;
    long Evaluations = 0; ///< of W(jω) by the walk: the work the analysis took
    std::vector<Message> Notes; ///< remarks worth telling the reader
};

/// Poles, the encirclements of −1 by W(jω) over the whole Nyquist contour with the exact
/// delay, the verdict, and the gain and phase margins found by root finding on W(jω).
/// Imaginary-axis poles are passed on the right by small semicircles, so they count as
/// outside the right half-plane. Needs m < n after leading zero coefficients are dropped and
/// a delay of at least 0; otherwise only Failure is set.
StabilityAnalysis AnalyseStability(const TransferFunction& variant);

} // namespace nirdal
