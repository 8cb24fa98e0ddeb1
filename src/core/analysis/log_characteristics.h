// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"
#include "core/tf/transfer_function.h"

#include <complex>
#include <optional>
#include <string>
#include <vector>

namespace nirdal {

/// The factors of W(s) = (b_m/a_n)·Π(s − z)/Π(s − p)·exp(−Ts) that the logarithmic
/// characteristics are read from.
struct FactoredVariant
{
    std::string Failure; ///< why the variant has no characteristics (then nothing else is set)
    Extended Gain = 0;   ///< b_m/a_n
    std::vector<std::complex<Extended>> Zeros;
    std::vector<std::complex<Extended>> Poles;
    std::vector<Extended> ZeroModuli; ///< |z|, the corner frequencies
    std::vector<Extended> PoleModuli; ///< |p|
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

/// L(ω) and φ(ω) of the factored variant. φ is the sum of the angles of jω − z, less those
/// of jω − p, plus 0° or 180° for the sign of the gain, less ωT (all in degrees).
LogPoint LogCharacteristicAt(const FactoredVariant& w, Extended omega);

/// L_a(ω) = 20 lg|b_m/a_n| + Σ_zeros 20 lg max(|z|, ω) − Σ_poles 20 lg max(|p|, ω).
Extended AsymptoteDecibels(const FactoredVariant& w, Extended omega);

/// The corner frequencies |r| of the nonzero roots, ascending, each once.
std::vector<Extended> CornerFrequencies(const FactoredVariant& w);

/// The highest ω where L_a(ω) = 0, exact on its straight segment; none when L_a never
/// meets 0.
std::optional<Extended> AsymptoteCrossover(const FactoredVariant& w);

/// The whole characteristics of one variant on a logarithmic grid.
struct LogCharacteristics
{
    std::string Failure;
    std::vector<LogPoint> Points;      ///< ascending in ω, both ends included
    std::vector<Extended> Corners;     ///< ascending
    std::optional<Extended> Crossover; ///< of the asymptote
};

/// The default range: a decade below the lowest and above the highest corner frequency,
/// 0.01 to 100 rad/s when there is none.
void DefaultFrequencyRange(const FactoredVariant& w, Extended& from, Extended& to);

/// count points equally spaced in lg ω from `from` to `to` inclusive (0 < from < to,
/// count ≥ 2).
LogCharacteristics ComputeLogCharacteristics(const TransferFunction& variant, Extended from,
                                             Extended to, int count);

} // namespace nirdal
