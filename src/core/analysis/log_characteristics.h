// SPDX-License-Identifier: MIT
#pragma once

#include "core/analysis/polynomial_roots.h"
#include "core/common/extended.h"
#include "core/tf/transfer_function.h"

#include <complex>
#include <optional>
#include <string>
#include <vector>

namespace nirdal {

/// W(s) = (b_m/a_n)·N̂(s)/D̂(s)·exp(−Ts) with N̂ = N/b_m and D̂ = D/a_n monic: the
/// coefficients it is evaluated from and the multiple roots the asymptote is drawn from.
struct FactoredVariant
{
    std::string Failure; ///< why the variant has no characteristics (then nothing else is set)
    Extended Gain = 0;   ///< b_m/a_n
    std::vector<Extended> Numerator;   ///< b_0..b_m, signs turned so that b_m > 0
    std::vector<Extended> Denominator; ///< a_0..a_n, signs turned so that a_n > 0
    Extended LeadingLg = 0;            ///< lg a_n − lg b_m (of the turned coefficients)
    std::vector<MultipleRoot> Zeros;
    std::vector<MultipleRoot> Poles;
    Extended Delay = 0;
};

/// The zeros, poles and gain of a variant with m < n once zero leading coefficients are
/// dropped and a delay of at least 0; otherwise only Failure is set.
FactoredVariant FactorVariant(const TransferFunction& variant);

/// One point of the logarithmic characteristics.
struct LogPoint
{
    Extended Frequency = 0; ///< ω in rad/s
    Extended Decibels = 0;  ///< L(ω) = 20 lg |W(jω)|
    Extended Degrees = 0;   ///< φ(ω), continuous in ω: a delay makes it fall without bound
    Extended AsymptoteDecibels = 0; ///< L_a(ω), the straight-line characteristic
};

/// L(ω) and φ(ω) of the factored variant, from N̂(jω)/D̂(jω) itself (exact at multiple roots
/// and for any ω > 0 within the range of numbers). φ is arg N̂ − arg D̂, plus 0° or 180° for
/// the sign of the gain, less ωT (in degrees); the whole turns of arg N̂ − arg D̂ are those of
/// the sum of the angles of jω − z less those of jω − p, so that φ is continuous in ω.
LogPoint LogCharacteristicAt(const FactoredVariant& w, Extended omega);

/// L_a(ω) = 20 lg|b_m/a_n| + Σ_zeros 20 lg max(|z|, ω) − Σ_poles 20 lg max(|p|, ω), each
/// multiple root counted with its multiplicity.
Extended AsymptoteDecibels(const FactoredVariant& w, Extended omega);

/// A corner frequency of the asymptote and the number of roots (with their multiplicities)
/// that break there: 15 at ω = 1 for (s + 1)^15, 2 at √2 for s² + 2s + 2.
struct Corner
{
    Extended Frequency = 0;
    int Multiplicity = 0;
};

/// The corners |r| of the nonzero roots, ascending, each once.
std::vector<Corner> CornersOf(const FactoredVariant& w);

/// The corner frequencies alone.
std::vector<Extended> CornerFrequencies(const FactoredVariant& w);

/// The highest ω where L_a(ω) = 0, exact on its straight segment; none when L_a never
/// meets 0.
std::optional<Extended> AsymptoteCrossover(const FactoredVariant& w);

/// The whole characteristics of one variant on a logarithmic grid.
struct LogCharacteristics
{
    std::string Failure;
    std::vector<LogPoint> Points;          ///< ascending in ω, both ends included
    std::vector<Extended> Corners;         ///< ascending
    std::vector<int> CornerMultiplicities; ///< of each corner
    std::optional<Extended> Crossover;     ///< of the asymptote
};

/// The default range: a decade below the lowest and above the highest corner frequency,
/// 0.01 to 100 rad/s when there is none.
void DefaultFrequencyRange(const FactoredVariant& w, Extended& from, Extended& to);

/// The range several variants are shown over together: from the lowest to the highest end
/// of their DefaultFrequencyRange, variants that cannot be factored left out; 0.01 to 100
/// rad/s when none can.
void CommonFrequencyRange(const std::vector<TransferFunction>& variants, Extended& from,
                          Extended& to);

/// count points equally spaced in lg ω from `from` to `to` inclusive (0 < from < to,
/// count ≥ 2).
LogCharacteristics ComputeLogCharacteristics(const TransferFunction& variant, Extended from,
                                             Extended to, int count);

} // namespace nirdal
