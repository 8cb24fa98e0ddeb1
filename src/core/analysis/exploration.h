// SPDX-License-Identifier: MIT
#pragma once

#include "core/analysis/log_characteristics.h"
#include "core/analysis/stability.h"
#include "core/analysis/stability_map.h"
#include "core/analysis/step_response.h"
#include "core/common/extended.h"
#include "core/tf/transfer_function.h"

#include <optional>
#include <string>
#include <vector>

namespace nirdal {

/// The range of the gain slider of the analysis window.
constexpr Extended kLeastExploredGain = 0.01L;
constexpr Extended kMostExploredGain = 100;

/// The analysis window's state without any widget: one variant (a copy; the student's
/// variants are never touched), the gain K and the added delay ΔT set on its sliders, and
/// what the pictures and the lines show for the open loop K·W(s)·e^(−sΔT).
class Exploration
{
public:
    /// Works on a copy of variant, numbered number on the graph screen; K = 1, ΔT = 0.
    Exploration(const TransferFunction& variant, int number);

    int Number() const { return m_number; }
    /// "Анализ варианта N" (UTF-8).
    std::string Caption() const;
    /// The variant as it came, without K and ΔT.
    const TransferFunction& Variant() const { return m_variant; }

    Extended Gain() const { return m_gain; }
    Extended ExtraDelay() const { return m_extraDelay; }
    /// Sets K; a value outside kLeastExploredGain … kMostExploredGain (or not a number) is
    /// refused with the reason in Russian (UTF-8), and K stays.
    std::optional<std::string> SetGain(Extended gain);
    /// Sets ΔT in seconds; a value below 0, beyond DelayRangeEnd() or not a number is refused
    /// with the reason in Russian (UTF-8), and ΔT stays.
    std::optional<std::string> SetExtraDelay(Extended seconds);
    /// The end of the ΔT slider, fixed when the window opens: several times the variant's
    /// delay margin, or several times its own delay where the margin is unbounded.
    Extended DelayRangeEnd() const { return m_delayRangeEnd; }

    /// The open loop the window shows: the numerator times K, the delay T + ΔT.
    const TransferFunction& Loop() const { return m_loop; }
    /// The analysis of Loop().
    const StabilityAnalysis& Analysis() const { return m_analysis; }
    /// The closed loop's step response over a span that shows it settle or grow, the last one
    /// computed or taken: it costs far more than the rest (seconds for a degree of 15 near
    /// the delay margin), so the window computes it off its own thread with
    /// ComputeExploredStep and hands it back with TakeStep; until then it is the response of
    /// an earlier state.
    const StepResponse& Step() const { return m_step; }
    /// L(ω) and φ(ω) of Loop() over the variant's range of corner frequencies.
    const LogCharacteristics& Logarithmic() const { return m_logarithmic; }
    /// Counts the changes of K and ΔT: a step response computed for one state number belongs
    /// to that state only.
    unsigned long State() const { return m_state; }
    /// Whether Step() belongs to the K and ΔT in force.
    bool StepIsCurrent() const { return m_stepState == m_state; }
    /// Whether any step response has been computed or taken yet.
    bool HasStep() const { return m_stepState != 0; }
    /// Computes the step response for the K and ΔT in force, here and now.
    void ComputeStep();
    /// Takes step, computed by ComputeExploredStep for Loop() in state; false (and nothing
    /// changes) when K or ΔT has changed since or the computation was stopped.
    bool TakeStep(StepResponse step, unsigned long state);
    /// The stability map of the variant over the sliders' ranges, once one is taken: it costs
    /// tens of milliseconds, and K and ΔT only move a point on it, so the window computes it
    /// once, off its own thread. None before.
    const std::optional<StabilityMap>& Map() const { return m_map; }
    void TakeMap(StabilityMap map) { m_map = std::move(map); }
    /// Why the variant cannot be analysed, in Russian (UTF-8); empty when it can.
    const std::string& Refusal() const { return m_analysis.Failure.Russian; }

    /// K times the gain margin factor: the gain at which the closed loop reaches the boundary.
    std::optional<Extended> CriticalGain() const;
    /// The verdict line and the figures below it (UTF-8): "Замкнутая система устойчива",
    /// "Запас по амплитуде …", …: "∞" for a margin the hodograph never comes to, "нет" where a
    /// figure does not exist, "более N с" for a settling time beyond the span, and "…" for the
    /// step figures before any response is computed (later a stale response's figures stand
    /// until the new ones come). Empty when the variant is refused.
    std::vector<std::string> Lines() const;
    /// Beside each of Lines(), why its figure reads as it does where that is not plain: a
    /// margin of "∞" says which line the hodograph does not cross. Empty strings elsewhere.
    std::vector<std::string> Hints() const;

private:
    void Recompute();
    /// Stable, and no ΔT brings the hodograph through −1.
    bool DelayMarginIsInfinite() const;

    TransferFunction m_variant;
    int m_number;
    Extended m_gain = 1;
    Extended m_extraDelay = 0;
    Extended m_delayRangeEnd = 1;
    TransferFunction m_loop;
    StabilityAnalysis m_analysis;
    FactoredVariant m_factored; // of the variant as it came: K and ΔT change no root
    Extended m_logFrom = 0.01L;
    Extended m_logTo = 100;
    LogCharacteristics m_logarithmic;
    StepResponse m_step;
    std::optional<StabilityMap> m_map;
    unsigned long m_state = 1;
    unsigned long m_stepState = 0; // the state m_step belongs to; 0 before any
};

/// The step response the analysis window shows for loop: over DefaultStepSpan, with
/// kExploredStepSamples samples. A stop requested on stop ends it early, with
/// kStepResponseStopped as the failure.
StepResponse ComputeExploredStep(const TransferFunction& loop, std::stop_token stop = {});

/// Samples of the step response and of the logarithmic characteristics the window draws.
constexpr int kExploredStepSamples = 400;
constexpr int kExploredLogSamples = 300;

} // namespace nirdal
