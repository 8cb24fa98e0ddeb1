// SPDX-License-Identifier: MIT
#pragma once

#include "core/analysis/stability.h"
#include "core/common/extended.h"
#include "core/tf/transfer_function.h"

#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace nirdal {

/// Readings of a stable step response.
struct StepIndicators
{
    Extended Steady = 0;           ///< h∞ = W(0)/(1 + W(0)), or 1 when D(0) = 0
    Extended PeakTime = 0;         ///< t of the largest h in seconds
    Extended OvershootPercent = 0; ///< σ = (h_max − h∞)/h∞·100, 0 when h stays below h∞
    Extended SettlingTime = 0;     ///< last t at which |h − h∞| exceeds 5 % of |h∞|
    /// False when the largest h lies at the span's end: h still rises, the peak lies beyond
    /// and PeakTime is no reading.
    bool PeakReached = true;
    /// False when the span ends before h is seen to stay in the band (for a fifth of the
    /// settling time after it): the settling time may lie beyond, and SettlingTime is the
    /// span's end, a bound from below.
    bool SettlingReached = true;

    /// Whether OvershootPercent is a reading: the peak lies in the span, or h has settled
    /// without one.
    bool OvershootKnown() const { return PeakReached || SettlingReached; }
};

/// h(t) of the closed loop W/(1 + W) for a unit step at t = 0, with the exact delay.
struct StepResponse
{
    std::string Failure; ///< why there is no response (then nothing else is set)
    StabilityVerdict Verdict = StabilityVerdict::Boundary;
    std::vector<Extended> Times;              ///< seconds; fewer than asked when h overflowed
    std::vector<Extended> Values;             ///< h at Times
    std::optional<StepIndicators> Indicators; ///< for a stable verdict only
    std::vector<std::string> Notes;           ///< plain English
};

/// Largest number of integration steps one response may take: about a second of work.
constexpr long kMaxStepResponseSteps = 1'000'000;
/// Largest span of a response in seconds.
constexpr Extended kMaxStepResponseSpan = 1e6L;
/// Responses beyond this magnitude have overflowed for every purpose.
constexpr Extended kStepResponseOverflow = 1e300L;

/// The integration steps a response over [0, until] needs: h is at most the delay and at most
/// 1/‖A‖ of the balanced realisation of N/D; 0 when the variant is refused.
long StepResponseSteps(const TransferFunction& variant, Extended until);

/// The integration steps a response of variant may take: kMaxStepResponseSteps up to the
/// fifth degree, fewer as n² grows past it (111,111 at n = 15), so that any response takes
/// about a second at most.
long StepResponseStepLimit(const TransferFunction& variant);

/// count samples of h(t) equally spaced from 0 to until inclusive. By the method of steps:
/// on each step the delayed error is a known polynomial, and the state is carried over the
/// step by the exact Taylor series of the exponential; h is interpolated at 13 Chebyshev
/// points of each step. The verdict is AnalyseStability's; the indicators are found by root
/// finding on the interpolants to 1e-9 relative. A stop requested on stop ends the work early
/// with kStepResponseStopped as the failure.
StepResponse ComputeStepResponse(const TransferFunction& variant, Extended until, int count,
                                 std::stop_token stop = {});

/// The failure of a response whose computation was stopped.
inline constexpr const char* kStepResponseStopped = "stopped before the end";

/// A span long enough to see a stable response settle (its last fifth inside the 5 % band)
/// or an unstable one grow, within kMaxStepResponseSpan and kMaxStepResponseSteps. A stop
/// requested on stop ends the search with the span found so far.
Extended DefaultStepSpan(const TransferFunction& variant, std::stop_token stop = {});

/// The span several variants are shown over together: the longest of their DefaultStepSpan.
Extended CommonStepSpan(const std::vector<TransferFunction>& variants);

/// The response over span, or over the variant's own DefaultStepSpan when span would take it
/// more integration steps than StepResponseStepLimit allows.
StepResponse ComputeStepResponseWithin(const TransferFunction& variant, Extended span, int count);

/// Adds the notes of a stable response that its span ends too soon for: not settled by
/// `until` (a span the user asked for) or cut at `until` by the step limit (the default span),
/// and the peak beyond the span's end.
void NoteUnfinishedSpan(StepResponse& response, const TransferFunction& variant, Extended until,
                        bool spanAsked);

} // namespace nirdal
