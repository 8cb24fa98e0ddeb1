// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"
#include "core/common/message.h"
#include "core/tf/transfer_function.h"

#include <optional>
#include <string>
#include <vector>

namespace nirdal {

/// The part of the plane of the gain K and the added delay ΔT a map covers: K from
/// LeastGain to MostGain (drawn on a logarithmic scale), ΔT from 0 to MostExtraDelay.
struct MapRanges
{
    Extended LeastGain = 0.01L;
    Extended MostGain = 100;
    Extended MostExtraDelay = 1; ///< seconds
};

/// Ranges beyond this size (or below its inverse) are refused: their logarithms and the
/// frequencies they ask for leave what a map can follow.
constexpr Extended kMapRangeLimit = 1e12L;

/// Why the gains from..to cannot be mapped (plain English), or nothing when they can: both
/// finite, within 1e-12 … 1e12, from below to.
std::optional<std::string> GainRangeFault(Extended from, Extended to);
/// Why ΔT from 0 to most cannot be mapped, or nothing: finite, above 0, at most 1e12 s.
std::optional<std::string> ExtraDelayRangeFault(Extended most);

/// One branch of the boundary where the closed loop of K·W(s)·e^(−sΔT) has a root s = ±jω:
/// K(ω) = 1/|W(jω)| and ΔT(ω) = (arg W(jω) + π + 2πk)/ω, with arg W continuous in ω (the
/// variant's own delay included), traced while it lies in the ranges; its first and last
/// points are those just outside them, so that it reaches the frame.
struct BoundaryCurve
{
    int Branch = 0;                    ///< k
    std::vector<Extended> Frequencies; ///< ω in rad/s, ascending
    std::vector<Extended> Gains;       ///< K
    std::vector<Extended> ExtraDelays; ///< ΔT in seconds
};

/// A connected part of the map between the boundary curves, with the number of closed-loop
/// roots in the right half-plane read from the Nyquist verdict at one point inside it.
struct MapRegion
{
    Extended Gain = 0;       ///< K of that point
    Extended ExtraDelay = 0; ///< ΔT of that point
    std::optional<int> UnstableRoots; ///< Z there; none when the analysis gave no count
};

/// The crossings of the boundary on one upright K = const of the map and the region of each
/// span between them, from ΔT = 0 up to the top of the map.
struct MapColumn
{
    Extended LogGain = 0;            ///< ln K
    std::vector<Extended> Crossings; ///< ΔT of the curves' crossings, ascending, inside the range
    std::vector<int> Regions;        ///< index into Regions, one a span: Crossings.size() + 1
};

/// A segment of a boundary curve between two neighbouring points, in ln K and ΔT.
struct CurveSegment
{
    Extended U0 = 0, T0 = 0; ///< ln K and ΔT of one end
    Extended U1 = 0, T1 = 0; ///< of the other
};

/// The map of stability in the plane of (K, ΔT) of the closed loop 1 + K·W(s)·e^(−sΔT) = 0
/// by D-partition: the boundary curves, the line K = −1/W(0) where W(0) < 0 (a root at
/// s = 0, whatever ΔT), the regions with their count of right-half-plane roots, and the two
/// marks a teacher names.
struct StabilityMap
{
    Message Failure; ///< why there is no map (then nothing else is set)
    MapRanges Ranges;
    std::vector<BoundaryCurve> Curves;
    std::optional<Extended> StaticGain; ///< K = −1/W(0) when W(0) < 0, inside the range or not
    std::vector<MapRegion> Regions;
    std::vector<MapColumn> Columns; ///< uprights equally spaced in ln K, both ends included
    /// The segments of the curves by the gap between uprights i and i + 1 they reach into, so
    /// that a crossing or a path is checked against few.
    std::vector<std::vector<CurveSegment>> Gaps;
    /// The gain at which the loop reaches the boundary with ΔT = 0: the gain margin factor of
    /// the variant as `analyse` gives it.
    std::optional<Extended> CriticalGain;
    /// The added delay that brings the loop with K = 1 to the boundary: the delay margin of
    /// the variant as `analyse` gives it (none when it is unstable or |W| never reaches 1).
    std::optional<Extended> DelayMargin;
    std::vector<std::string> Notes; ///< plain English
};

/// Largest number of frequencies one map may evaluate: about a tenth of a second of work.
constexpr long kMostMapEvaluations = 200000;
/// Largest number of points of all boundary curves together.
constexpr long kMostMapPoints = 400000;
/// Largest number of regions, each of which costs one Nyquist analysis.
constexpr int kMostMapRegions = 40;
/// Uprights the regions are joined along.
constexpr int kMapColumns = 401;

/// The map of variant over ranges; a variant the analysis refuses gives its failure, and so
/// do ranges that GainRangeFault or ExtraDelayRangeFault refuse, and a map that would need
/// more than kMostMapEvaluations, kMostMapPoints or kMostMapRegions.
StabilityMap ComputeStabilityMap(const TransferFunction& variant, const MapRanges& ranges);

/// The number of right-half-plane roots at (gain, extraDelay) read from the map: the count
/// of the region the point lies in. None outside the ranges, on the boundary, or where no
/// upright beside the point can be reached without crossing a curve.
std::optional<int> MapUnstableRoots(const StabilityMap& map, Extended gain, Extended extraDelay);

/// The spans of ΔT at gain between the crossings of the boundary, each with its count as
/// MapUnstableRoots reads it at its middle: what a picture shades.
struct MapSpan
{
    Extended From = 0;
    Extended To = 0;
    std::optional<int> UnstableRoots;
};
std::vector<MapSpan> MapSpansAt(const StabilityMap& map, Extended gain);

/// An n × n table of MapUnstableRoots: K equally spaced in ln K and ΔT equally spaced, both
/// ends of each range included.
struct MapGrid
{
    std::vector<Extended> Gains;
    std::vector<Extended> ExtraDelays;
    std::vector<std::vector<std::optional<int>>> UnstableRoots; ///< [gain][extra delay]
};
MapGrid ComputeMapGrid(const StabilityMap& map, int n);

/// The open loop of a point of the map: the numerator times gain, the delay T + extraDelay.
TransferFunction MapLoop(const TransferFunction& variant, Extended gain, Extended extraDelay);

} // namespace nirdal
