// SPDX-License-Identifier: MIT
#include "core/analysis/exploration.h"

#include "core/common/number_text.h"

#include <cmath>
#include <string>

namespace nirdal {

namespace {

// How many times the variant's delay margin (or its own delay) the ΔT slider reaches.
constexpr Extended kDelayRangeFactor = 4;

std::string Utf8(const char* text)
{
    return text;
}

// The time scale of a variant without delay or margin: ten times its slowest pole's time
// constant, or a second.
Extended SlowestTimeScale(const StabilityAnalysis& analysis)
{
    Extended slowest = 0;
    for (const auto& pole : analysis.Poles) {
        const Extended modulus = std::abs(pole);
        if (modulus > 0 && (slowest == 0 || modulus < slowest))
            slowest = modulus;
    }
    return slowest > 0 && std::isfinite(10 / slowest) ? 10 / slowest : 1;
}

} // namespace

Exploration::Exploration(const TransferFunction& variant, int number)
    : m_variant(variant), m_number(number)
{
    // The roots do not move with K and ΔT: the variant is factored once, and one frequency
    // range serves every state.
    m_factored = FactorVariant(m_variant);
    if (m_factored.Failure.empty())
        DefaultFrequencyRange(m_factored, m_logFrom, m_logTo);
    Recompute();
    if (!Refusal().empty())
        return;
    Extended end = 0;
    if (m_analysis.DelayMargin && m_analysis.DelayMargin->Seconds > 0)
        end = kDelayRangeFactor * m_analysis.DelayMargin->Seconds;
    else if (m_variant.Delay > 0)
        end = kDelayRangeFactor * m_variant.Delay;
    else if (!m_analysis.GainCrossovers.empty() && m_analysis.GainCrossovers.front().Frequency > 0)
        end = 10 / m_analysis.GainCrossovers.front().Frequency;
    else
        end = SlowestTimeScale(m_analysis);
    m_delayRangeEnd = std::isfinite(end) && end > 0 ? end : 1;
}

std::string Exploration::Caption() const
{
    return "Анализ варианта " + std::to_string(m_number);
}

std::optional<std::string> Exploration::SetGain(Extended gain)
{
    if (std::isnan(gain))
        return Utf8("Это не число.");
    if (gain <= 0)
        return Utf8("Коэффициент усиления должен быть больше нуля.");
    if (gain < kLeastExploredGain || gain > kMostExploredGain)
        return Utf8("Коэффициент усиления берётся от 0,01 до 100.");
    m_gain = gain;
    Recompute();
    return std::nullopt;
}

std::optional<std::string> Exploration::SetExtraDelay(Extended seconds)
{
    if (std::isnan(seconds))
        return Utf8("Это не число.");
    if (seconds < 0)
        return Utf8("Запаздывание не может быть отрицательным.");
    if (seconds > m_delayRangeEnd)
        return "Дополнительное запаздывание берётся от 0 до " + FigureText(m_delayRangeEnd) +
               " с.";
    m_extraDelay = seconds;
    Recompute();
    return std::nullopt;
}

void Exploration::Recompute()
{
    m_loop = m_variant;
    for (int j = 0; j <= m_loop.NumeratorDegree && j < kCoefficientCount; ++j)
        m_loop.B[static_cast<std::size_t>(j)] *= m_gain;
    m_loop.Delay = m_variant.Delay + m_extraDelay;
    m_analysis = AnalyseStability(m_loop);
    m_logarithmic = LogCharacteristics{};
    if (m_analysis.Failure.empty() && m_factored.Failure.empty()) {
        FactoredVariant w = m_factored;
        w.Gain *= m_gain;
        w.Delay = m_loop.Delay;
        m_logarithmic.Corners = CornerFrequencies(w);
        m_logarithmic.Crossover = AsymptoteCrossover(w);
        const Extended lgFrom = std::log10(m_logFrom);
        const Extended lgStep = (std::log10(m_logTo) - lgFrom) / (kExploredLogSamples - 1);
        m_logarithmic.Points.reserve(kExploredLogSamples);
        for (int k = 0; k < kExploredLogSamples; ++k) {
            const Extended omega = k == 0                         ? m_logFrom
                                   : k == kExploredLogSamples - 1 ? m_logTo
                                                                  : std::pow(10.0L, lgFrom + k * lgStep);
            m_logarithmic.Points.push_back(LogCharacteristicAt(w, omega));
        }
    }
    ++m_state;
}

StepResponse ComputeExploredStep(const TransferFunction& loop, std::stop_token stop)
{
    // A search stopped halfway stops the response at its first step.
    return ComputeStepResponse(loop, DefaultStepSpan(loop, stop), kExploredStepSamples, stop);
}

void Exploration::ComputeStep()
{
    if (!StepIsCurrent())
        TakeStep(m_analysis.Failure.empty() ? ComputeExploredStep(m_loop) : StepResponse{},
                 m_state);
}

bool Exploration::TakeStep(StepResponse step, unsigned long state)
{
    if (state != m_state || step.Failure == kStepResponseStopped)
        return false;
    m_step = std::move(step);
    m_stepState = state;
    return true;
}

std::optional<Extended> Exploration::CriticalGain() const
{
    if (!Refusal().empty() || !m_analysis.GainMargin)
        return std::nullopt;
    return m_gain * m_analysis.GainMargin->Value;
}

std::vector<std::string> Exploration::Lines() const
{
    if (!Refusal().empty())
        return {};
    std::vector<std::string> lines;
    switch (m_analysis.Verdict) {
    case StabilityVerdict::Stable:
        lines.push_back("Замкнутая система устойчива");
        break;
    case StabilityVerdict::Unstable:
        lines.push_back("Замкнутая система неустойчива");
        break;
    case StabilityVerdict::Boundary:
        lines.push_back("Замкнутая система на границе устойчивости");
        break;
    }
    const std::string none = "нет";
    const std::string infinite = "∞";
    if (const auto& gain = m_analysis.GainMargin) {
        const Extended decibels = 20 * std::log10(gain->Value);
        lines.push_back("Запас по амплитуде " + FigureText(gain->Value) + " (" +
                        FigureText(decibels) + " дБ)");
    } else {
        lines.push_back("Запас по амплитуде " + infinite);
    }
    lines.push_back("Запас по фазе " +
                    (m_analysis.PhaseMargin ? FigureText(m_analysis.PhaseMargin->Value) + "°"
                                            : infinite));
    lines.push_back("Запас по запаздыванию " +
                    (m_analysis.DelayMargin ? FigureText(m_analysis.DelayMargin->Seconds) + " с"
                     : DelayMarginIsInfinite() ? infinite
                                               : none));
    const auto critical = CriticalGain();
    lines.push_back("Критический коэффициент Kкр = " +
                    (critical ? FigureText(*critical) : infinite));
    const auto& step = m_step.Indicators;
    const std::string pending = "…";
    const std::string overshoot =
        !HasStep() ? pending
        : !step    ? none
        : step->OvershootKnown()
            ? FigureText(step->OvershootPercent) + " %"
            : "не менее " + FigureText(step->OvershootPercent) + " %";
    lines.push_back("Перерегулирование " + overshoot);
    const std::string settling = !HasStep() ? pending
                                 : !step    ? none
                                 : step->SettlingReached
                                     ? FigureText(step->SettlingTime) + " с"
                                     : "более " + FigureText(step->SettlingTime) + " с";
    lines.push_back("Время регулирования " + settling);
    return lines;
}

} // namespace nirdal

namespace nirdal {

bool Exploration::DelayMarginIsInfinite() const
{
    // Without a crossing of the unit circle no delay turns the curve through −1.
    return m_analysis.Verdict == StabilityVerdict::Stable && m_analysis.GainCrossovers.empty();
}

std::vector<std::string> Exploration::Hints() const
{
    std::vector<std::string> hints(Lines().size());
    if (hints.empty())
        return hints;
    const std::string noAxisCrossing = "годограф не пересекает отрицательную вещественную полуось";
    const std::string noCircleCrossing = "годограф не пересекает единичную окружность";
    if (!m_analysis.GainMargin) {
        hints[1] = noAxisCrossing;
        hints[4] = noAxisCrossing + ": ни при каком K он не пройдёт через −1";
    }
    if (!m_analysis.PhaseMargin)
        hints[2] = noCircleCrossing;
    if (!m_analysis.DelayMargin)
        hints[3] = DelayMarginIsInfinite() ? noCircleCrossing + ": никакое запаздывание не "
                                                                "выведет его на −1"
                                           : "запаса нет: замкнутая система не устойчива";
    const auto& step = m_step.Indicators;
    if (HasStep() && step && !step->SettlingReached)
        hints[6] = "за " + FigureText(step->SettlingTime) +
                   " с отклик не установился в пределах 5 %: время регулирования больше";
    return hints;
}

} // namespace nirdal
