// SPDX-License-Identifier: MIT
#include "core/analysis/stability_map.h"

#include "core/analysis/log_characteristics.h"
#include "core/analysis/stability.h"
#include "core/common/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <numeric>

namespace nirdal {

namespace {

constexpr Extended kPi = std::numbers::pi_v<Extended>;
constexpr Extended kLn10 = std::numbers::ln10_v<Extended>;

// Largest chord of a curve in one step, as a fraction of the map's width (in ln K) or height:
// straight segments that short follow the curves to well within a pixel's width.
constexpr Extended kLongestChord = 0.004L;
// Largest turn of arg W in one step, in radians, wherever the curves are.
constexpr Extended kLargestTurn = 0.1L;
// Largest change of ln K in one step far from the map, as a fraction of its width: no dip of
// the curves into the map passes between two samples unseen.
constexpr Extended kOutsideStride = 0.25L;
// Steps in ln ω: the first tried, the widest, and the narrowest before a step is taken as it
// is (W jumps there: a zero or pole on the imaginary axis).
constexpr Extended kFirstStep = 0.01L;
constexpr Extended kWidestStep = 0.25L;
constexpr Extended kNarrowestStep = 1e-12L;
// The walk starts this far below the slowest root, 1/T and 1/ΔT_max, where every branch lies
// far above the map, and ends this far above the fastest root, where |W| only falls.
constexpr Extended kLowReach = 1e-3L;
constexpr Extended kHighReach = 10;

std::string Short(Extended x)
{
    return SignificantText(x, 6);
}

struct MapError
{
    std::string Message;
    std::string RussianMessage;
};

MapError TooManyRegions()
{
    return {"the boundary splits the map into more than " + std::to_string(kMostMapRegions) +
                " regions; narrow its ranges",
            "граница делит карту больше чем на " + std::to_string(kMostMapRegions) +
                " областей; сузьте её диапазоны"};
}

// A frequency with ln K = −ln |W(jω)| and arg W(jω), continuous in ω.
struct FrequencyPoint
{
    Extended Omega = 0;
    Extended LogGain = 0;
    Extended Phase = 0;
    bool Finite = false;
};

// The branches k whose ΔT lies in [0, most] at a point: from First to Last, empty when
// First > Last.
struct BranchRange
{
    Extended First = 0;
    Extended Last = -1;
};

Extended ExtraDelayOf(const FrequencyPoint& p, Extended branch)
{
    return (p.Phase + kPi + 2 * kPi * branch) / p.Omega;
}

// Follows K(ω) and ΔT_k(ω) of every branch that comes into the map from a low frequency
// upward, each step short enough that every branch in or across the map moves by less than a
// chord.
class BoundaryTracer
{
public:
    BoundaryTracer(const FactoredVariant& w, const MapRanges& ranges)
        : m_w(w), m_most(ranges.MostExtraDelay), m_lowGain(std::log(ranges.LeastGain)),
          m_highGain(std::log(ranges.MostGain))
    {
    }

    std::vector<BoundaryCurve> Run()
    {
        Extended slowest = 1 / m_most, fastest = 0;
        if (m_w.Delay > 0)
            slowest = std::min(slowest, 1 / m_w.Delay);
        for (const auto* roots : {&m_w.Zeros, &m_w.Poles}) {
            for (const MultipleRoot& root : *roots) {
                const Extended r = std::abs(root.Value);
                if (r > 0)
                    slowest = std::min(slowest, r);
                fastest = std::max(fastest, r);
            }
        }
        FrequencyPoint a = At(kLowReach * slowest);
        const Extended tail = std::max(kHighReach * fastest, a.Omega);
        Extended step = kFirstStep;
        while (!(a.Omega > tail && a.Finite && a.LogGain > m_highGain)) {
            FrequencyPoint b = At(a.Omega * std::exp(step));
            while (!Acceptable(a, b) && step > kNarrowestStep) {
                step /= 2;
                b = At(a.Omega * std::exp(step));
            }
            Take(a, b);
            a = b;
            step = std::min(step * 2, kWidestStep);
        }
        return std::move(m_curves);
    }

private:
    FrequencyPoint At(Extended omega)
    {
        if (++m_evaluations > kMostMapEvaluations)
            throw MapError{"the map needs more than " + std::to_string(kMostMapEvaluations) +
                               " frequencies to follow its boundary",
                           "карта требует больше " + std::to_string(kMostMapEvaluations) +
                               " частот, чтобы проследить её границу"};
        const LogPoint p = LogCharacteristicAt(m_w, omega);
        FrequencyPoint f{omega, -p.Decibels * kLn10 / 20, p.Degrees * kPi / 180, false};
        f.Finite = std::isfinite(f.LogGain) && std::isfinite(f.Phase) && omega > 0 &&
                   std::isfinite(omega);
        return f;
    }

    BranchRange InMap(const FrequencyPoint& p) const
    {
        return {std::ceil((-p.Phase - kPi) / (2 * kPi)),
                std::floor((m_most * p.Omega - p.Phase - kPi) / (2 * kPi))};
    }

    // The branches whose segment from a to b meets the map: ΔT_k rises with k at both ends,
    // so they run from the lowest first branch to the highest last one.
    BranchRange Across(const FrequencyPoint& a, const FrequencyPoint& b) const
    {
        const bool gainsMeet = std::max(a.LogGain, b.LogGain) >= m_lowGain &&
                               std::min(a.LogGain, b.LogGain) <= m_highGain;
        if (!a.Finite || !b.Finite || !gainsMeet)
            return {};
        const BranchRange ra = InMap(a), rb = InMap(b);
        return {std::min(ra.First, rb.First), std::max(ra.Last, rb.Last)};
    }

    void CheckCount(Extended branches)
    {
        if (m_points + 2 * branches > kMostMapPoints)
            throw MapError{"the map needs more than " + std::to_string(kMostMapPoints) +
                               " points on its boundary curves; narrow its ranges",
                           "карта требует больше " + std::to_string(kMostMapPoints) +
                               " точек на линиях границы; сузьте её диапазоны"};
    }

    bool Acceptable(const FrequencyPoint& a, const FrequencyPoint& b)
    {
        if (!a.Finite)
            return true;
        if (!b.Finite)
            return false;
        if (std::abs(b.Phase - a.Phase) > kLargestTurn)
            return false;
        const Extended width = m_highGain - m_lowGain;
        const BranchRange across = Across(a, b);
        if (across.First > across.Last)
            return std::abs(b.LogGain - a.LogGain) <= kOutsideStride * width;
        if (std::abs(b.LogGain - a.LogGain) > kLongestChord * width)
            return false;
        CheckCount(across.Last - across.First + 1);
        for (Extended k = across.First; k <= across.Last; ++k)
            if (std::abs(ExtraDelayOf(b, k) - ExtraDelayOf(a, k)) > kLongestChord * m_most)
                return false;
        return true;
    }

    // Adds the segment from a to b of every branch that meets the map there; a branch that
    // met it on the step before goes on in the same curve.
    void Take(const FrequencyPoint& a, const FrequencyPoint& b)
    {
        const BranchRange across = Across(a, b);
        std::map<long, std::size_t> open;
        if (across.First <= across.Last)
            CheckCount(across.Last - across.First + 1);
        for (Extended k = across.First; k <= across.Last; ++k) {
            const long branch = static_cast<long>(k);
            const auto before = m_open.find(branch);
            std::size_t index = 0;
            if (before != m_open.end()) {
                index = before->second;
            } else {
                index = m_curves.size();
                m_curves.push_back({static_cast<int>(branch), {}, {}, {}});
                Append(m_curves.back(), a, k);
            }
            Append(m_curves[index], b, k);
            open.emplace(branch, index);
        }
        m_open = std::move(open);
    }

    void Append(BoundaryCurve& curve, const FrequencyPoint& p, Extended branch)
    {
        curve.Frequencies.push_back(p.Omega);
        curve.Gains.push_back(std::exp(p.LogGain));
        curve.ExtraDelays.push_back(ExtraDelayOf(p, branch));
        ++m_points;
    }

    const FactoredVariant& m_w;
    const Extended m_most, m_lowGain, m_highGain;
    long m_evaluations = 0, m_points = 0;
    std::vector<BoundaryCurve> m_curves;
    std::map<long, std::size_t> m_open; // branch → its curve, for the branches of the last step
};

Extended ColumnStep(const StabilityMap& map)
{
    return (std::log(map.Ranges.MostGain) - std::log(map.Ranges.LeastGain)) / (kMapColumns - 1);
}

// The gap between uprights that ln K = u lies in.
int GapOf(const StabilityMap& map, Extended u)
{
    const Extended place = std::floor((u - std::log(map.Ranges.LeastGain)) / ColumnStep(map));
    return static_cast<int>(std::clamp<Extended>(place, 0, kMapColumns - 2));
}

void FileSegments(StabilityMap& map)
{
    map.Gaps.assign(kMapColumns - 1, {});
    const Extended low = std::log(map.Ranges.LeastGain), high = std::log(map.Ranges.MostGain);
    for (const BoundaryCurve& curve : map.Curves) {
        for (std::size_t i = 0; i + 1 < curve.Gains.size(); ++i) {
            const CurveSegment s{std::log(curve.Gains[i]), curve.ExtraDelays[i],
                                 std::log(curve.Gains[i + 1]), curve.ExtraDelays[i + 1]};
            const Extended from = std::min(s.U0, s.U1), to = std::max(s.U0, s.U1);
            if (to < low || from > high)
                continue;
            // GapOf never decreases with u: a segment over u is filed in the gap of u.
            for (int g = GapOf(map, from); g <= GapOf(map, to); ++g)
                map.Gaps[static_cast<std::size_t>(g)].push_back(s);
        }
    }
}

// A crossing of the boundary with an upright: its ΔT and the slope dΔT/d(ln K) of the curve.
struct Crossing
{
    Extended At = 0;
    Extended Slope = 0;
};

// The crossings of the curves with the upright ln K = u, ascending, inside (0, most).
std::vector<Crossing> CrossingsAt(const StabilityMap& map, Extended u)
{
    std::vector<Crossing> crossings;
    for (const CurveSegment& e : map.Gaps[static_cast<std::size_t>(GapOf(map, u))]) {
        if (!((e.U0 <= u && u < e.U1) || (e.U1 <= u && u < e.U0)))
            continue;
        const Extended slope = (e.T1 - e.T0) / (e.U1 - e.U0);
        const Extended t = e.T0 + (u - e.U0) * slope;
        if (t > 0 && t < map.Ranges.MostExtraDelay)
            crossings.push_back({t, slope});
    }
    std::sort(crossings.begin(), crossings.end(),
              [](const Crossing& a, const Crossing& b) { return a.At < b.At; });
    return crossings;
}

// Orientation of c against the line from a to b: > 0 to its left.
Extended Turn(Extended au, Extended at, Extended bu, Extended bt, Extended cu, Extended ct)
{
    return (bu - au) * (ct - at) - (bt - at) * (cu - au);
}

// Whether the segment e meets the path from (u0, t0) to (u1, t1), whose ΔT runs from low to
// high.
bool Crosses(const CurveSegment& e, Extended u0, Extended t0, Extended u1, Extended t1,
             Extended low, Extended high)
{
    if (std::max(e.T0, e.T1) < low || std::min(e.T0, e.T1) > high ||
        std::max(e.U0, e.U1) < std::min(u0, u1) || std::min(e.U0, e.U1) > std::max(u0, u1))
        return false;
    const Extended a = Turn(u0, t0, u1, t1, e.U0, e.T0), b = Turn(u0, t0, u1, t1, e.U1, e.T1);
    const Extended c = Turn(e.U0, e.T0, e.U1, e.T1, u0, t0),
                   d = Turn(e.U0, e.T0, e.U1, e.T1, u1, t1);
    return a * b <= 0 && c * d <= 0;
}

// Whether the straight path from (u0, t0) to (u1, t1) crosses no curve and not the line of the
// root at s = 0.
bool Free(const StabilityMap& map, Extended u0, Extended t0, Extended u1, Extended t1)
{
    const Extended left = std::min(u0, u1), right = std::max(u0, u1);
    if (map.StaticGain) {
        const Extended line = std::log(*map.StaticGain);
        if (left <= line && line <= right)
            return false;
    }
    const Extended low = std::min(t0, t1), high = std::max(t0, t1);
    for (int gap = GapOf(map, left); gap <= GapOf(map, right); ++gap)
        for (const CurveSegment& e : map.Gaps[static_cast<std::size_t>(gap)])
            if (Crosses(e, u0, t0, u1, t1, low, high))
                return false;
    return true;
}

// The spans between the crossings of an upright, from ΔT = 0 to the top: their ends and the
// slopes of the curves that bound them (the frame's edges lie level).
struct Span
{
    Extended From = 0, To = 0, SlopeBelow = 0, SlopeAbove = 0;

    // The slope of the curves around ΔT = t, in proportion between those below and above.
    Extended SlopeAt(Extended t) const
    {
        return SlopeBelow + (t - From) / (To - From) * (SlopeAbove - SlopeBelow);
    }
    Extended Middle() const { return (From + To) / 2; }
};

std::vector<Span> SpansOf(const StabilityMap& map, const std::vector<Crossing>& crossings)
{
    std::vector<Span> spans;
    Crossing below{0, 0};
    for (std::size_t p = 0; p <= crossings.size(); ++p) {
        const Crossing above =
            p == crossings.size() ? Crossing{map.Ranges.MostExtraDelay, 0} : crossings[p];
        spans.push_back({below.At, above.At, below.Slope, above.Slope});
        below = above;
    }
    return spans;
}

// The first of spans that holds t, ends included; spans.size() when none does.
std::size_t SpanHolding(const std::vector<Span>& spans, Extended t)
{
    for (std::size_t q = 0; q < spans.size(); ++q)
        if (spans[q].From <= t && t <= spans[q].To)
            return q;
    return spans.size();
}

// The span of the upright ln K = to (with its spans) reached from (from, t0) along slope, the
// slope of the curves around that point, when the path there is free.
std::optional<std::size_t> Reach(const StabilityMap& map, Extended from, Extended t0,
                                 Extended slope, Extended to, const std::vector<Span>& spans)
{
    const Extended t1 =
        std::clamp(t0 + slope * (to - from), Extended{0}, map.Ranges.MostExtraDelay);
    const std::size_t q = SpanHolding(spans, t1);
    if (q == spans.size() || !Free(map, from, t0, to, t1))
        return std::nullopt;
    return q;
}

std::size_t Root(std::vector<std::size_t>& parent, std::size_t i)
{
    while (parent[i] != i)
        i = parent[i] = parent[parent[i]];
    return i;
}

// The uprights, their spans joined into regions where a path from the middle of one span
// along the curves around it reaches a span of the next upright without crossing a curve
// (either way), and each region counted by the Nyquist verdict at the middle of one of its
// spans.
void FindRegions(StabilityMap& map, const TransferFunction& variant)
{
    const Extended low = std::log(map.Ranges.LeastGain), step = ColumnStep(map);
    std::vector<std::vector<Span>> spans(kMapColumns);
    std::vector<std::size_t> first; // index of each column's first span
    std::size_t count = 0;
    map.Columns.resize(kMapColumns);
    for (std::size_t i = 0; i < map.Columns.size(); ++i) {
        MapColumn& column = map.Columns[i];
        column.LogGain =
            i + 1 == map.Columns.size() ? std::log(map.Ranges.MostGain) : low + Extended(i) * step;
        const std::vector<Crossing> crossings = CrossingsAt(map, column.LogGain);
        for (const Crossing& c : crossings)
            column.Crossings.push_back(c.At);
        spans[i] = SpansOf(map, crossings);
        first.push_back(count);
        count += spans[i].size();
    }
    std::vector<std::size_t> parent(count);
    std::iota(parent.begin(), parent.end(), std::size_t{0});
    for (std::size_t i = 0; i + 1 < map.Columns.size(); ++i) {
        const Extended left = map.Columns[i].LogGain, right = map.Columns[i + 1].LogGain;
        for (std::size_t p = 0; p < spans[i].size(); ++p) {
            const Span& s = spans[i][p];
            if (const auto q = Reach(map, left, s.Middle(), s.SlopeAt(s.Middle()), right,
                                     spans[i + 1]))
                parent[Root(parent, first[i] + p)] = Root(parent, first[i + 1] + *q);
        }
        for (std::size_t q = 0; q < spans[i + 1].size(); ++q) {
            const Span& s = spans[i + 1][q];
            if (const auto p =
                    Reach(map, right, s.Middle(), s.SlopeAt(s.Middle()), left, spans[i]))
                parent[Root(parent, first[i] + *p)] = Root(parent, first[i + 1] + q);
        }
    }

    std::vector<int> regionOf(count, -1);
    std::vector<std::pair<std::size_t, std::size_t>> widest; // (column, span) of each region
    for (std::size_t i = 0; i < map.Columns.size(); ++i) {
        for (std::size_t p = 0; p < spans[i].size(); ++p) {
            int& region = regionOf[Root(parent, first[i] + p)];
            if (region < 0) {
                region = static_cast<int>(widest.size());
                widest.emplace_back(i, p);
                if (widest.size() > static_cast<std::size_t>(kMostMapRegions))
                    throw TooManyRegions();
            }
            map.Columns[i].Regions.push_back(region);
            const auto& [wi, wp] = widest[static_cast<std::size_t>(region)];
            const Span& w = spans[wi][wp];
            if (spans[i][p].To - spans[i][p].From > w.To - w.From)
                widest[static_cast<std::size_t>(region)] = {i, p};
        }
    }

    // The Nyquist walk takes longer the more delay and the higher the gain: each region is
    // read at its cheapest span among those at least a quarter as wide as its widest.
    const int relative = std::max(1, static_cast<int>(variant.DenominatorDegree) -
                                         static_cast<int>(variant.NumeratorDegree));
    const auto cost = [&](std::size_t i, const Span& s) {
        return 1 + (variant.Delay + s.Middle()) *
                       (1 + std::exp(map.Columns[i].LogGain / relative));
    };
    std::vector<std::pair<std::size_t, std::size_t>> chosen = widest;
    for (std::size_t i = 0; i < map.Columns.size(); ++i) {
        for (std::size_t p = 0; p < spans[i].size(); ++p) {
            const auto region = static_cast<std::size_t>(map.Columns[i].Regions[p]);
            const Span& w = spans[widest[region].first][widest[region].second];
            const Span& c = spans[chosen[region].first][chosen[region].second];
            const Span& s = spans[i][p];
            if (4 * (s.To - s.From) >= w.To - w.From && cost(i, s) < cost(chosen[region].first, c))
                chosen[region] = {i, p};
        }
    }

    for (const auto& [i, p] : chosen) {
        const Span& s = spans[i][p];
        MapRegion region{std::exp(map.Columns[i].LogGain), s.Middle(), std::nullopt};
        const StabilityAnalysis a =
            AnalyseStability(MapLoop(variant, region.Gain, region.ExtraDelay));
        if (!a.Failure.empty())
            map.Notes.push_back("the region about K = " + Short(region.Gain) +
                                ", dT = " + Short(region.ExtraDelay) +
                                " s is not counted: " + a.Failure.English);
        else if (a.Verdict != StabilityVerdict::Boundary)
            region.UnstableRoots = a.ClosedLoopRightPoles;
        map.Regions.push_back(region);
    }
}

} // namespace

std::optional<std::string> GainRangeFault(Extended from, Extended to)
{
    if (!std::isfinite(from) || !std::isfinite(to))
        return "the gains must be finite numbers";
    if (!(from > 0) || !(to > 0))
        return "the gains must be above 0";
    if (from < 1 / kMapRangeLimit || to > kMapRangeLimit)
        return "the gains must lie within 1e-12 and 1e12";
    if (!(from < to))
        return "the range is empty or reversed: its start must be below its end";
    return std::nullopt;
}

std::optional<std::string> ExtraDelayRangeFault(Extended most)
{
    if (!std::isfinite(most))
        return "the added delay must be a finite number of seconds";
    if (!(most > 0))
        return "the range of the added delay is empty: its end must be above 0";
    if (most > kMapRangeLimit)
        return "the added delay may reach at most 1e12 seconds";
    return std::nullopt;
}

TransferFunction MapLoop(const TransferFunction& variant, Extended gain, Extended extraDelay)
{
    TransferFunction loop = variant;
    for (Extended& b : loop.B)
        b *= gain;
    loop.Delay += extraDelay;
    return loop;
}

StabilityMap ComputeStabilityMap(const TransferFunction& variant, const MapRanges& ranges)
{
    StabilityMap map;
    map.Ranges = ranges;
    try {
        if (const auto fault = GainRangeFault(ranges.LeastGain, ranges.MostGain))
            throw MapError{"K: " + *fault, "недопустимый диапазон K"};
        if (const auto fault = ExtraDelayRangeFault(ranges.MostExtraDelay))
            throw MapError{"dT: " + *fault, "недопустимый диапазон ΔT"};
        const StabilityAnalysis analysis = AnalyseStability(variant);
        if (!analysis.Failure.empty())
            throw MapError{analysis.Failure.English, analysis.Failure.Russian};
        const FactoredVariant w = FactorVariant(variant);
        if (!w.Failure.empty())
            throw MapError{w.Failure, w.Failure};
        if (analysis.GainMargin)
            map.CriticalGain = analysis.GainMargin->Value;
        if (analysis.DelayMargin)
            map.DelayMargin = analysis.DelayMargin->Seconds;
        if (variant.A[0] != 0 && variant.B[0] / variant.A[0] < 0)
            map.StaticGain = -variant.A[0] / variant.B[0];
        map.Curves = BoundaryTracer(w, ranges).Run();
        // Every curve that crosses the map cuts off one more region at least.
        if (map.Curves.size() >= static_cast<std::size_t>(kMostMapRegions))
            throw TooManyRegions();
        FileSegments(map);
        FindRegions(map, variant);
    } catch (const MapError& error) {
        map = StabilityMap{};
        map.Ranges = ranges;
        map.Failure = {error.Message, error.RussianMessage};
    }
    return map;
}

std::optional<int> MapUnstableRoots(const StabilityMap& map, Extended gain, Extended extraDelay)
{
    if (map.Columns.empty() || !(gain >= map.Ranges.LeastGain && gain <= map.Ranges.MostGain) ||
        !(extraDelay >= 0 && extraDelay <= map.Ranges.MostExtraDelay))
        return std::nullopt;
    const Extended u = std::log(gain);
    const std::vector<Crossing> crossings = CrossingsAt(map, u);
    if (std::any_of(crossings.begin(), crossings.end(),
                    [&](const Crossing& c) { return c.At == extraDelay; }))
        return std::nullopt;
    const std::vector<Span> here = SpansOf(map, crossings);
    const Span& span = here[SpanHolding(here, extraDelay)];
    const int gap = GapOf(map, u);
    for (const std::size_t i : {std::size_t(gap), std::size_t(gap) + 1}) {
        const MapColumn& column = map.Columns[i];
        std::vector<Crossing> there;
        for (const Extended t : column.Crossings)
            there.push_back({t, 0});
        if (const auto q = Reach(map, u, extraDelay, span.SlopeAt(extraDelay), column.LogGain,
                                 SpansOf(map, there)))
            return map.Regions[static_cast<std::size_t>(column.Regions[*q])].UnstableRoots;
    }
    return std::nullopt;
}

std::vector<MapSpan> MapSpansAt(const StabilityMap& map, Extended gain)
{
    std::vector<MapSpan> spans;
    if (map.Columns.empty() || !(gain >= map.Ranges.LeastGain && gain <= map.Ranges.MostGain))
        return spans;
    for (const Span& s : SpansOf(map, CrossingsAt(map, std::log(gain))))
        spans.push_back({s.From, s.To, MapUnstableRoots(map, gain, s.Middle())});
    return spans;
}

MapGrid ComputeMapGrid(const StabilityMap& map, int n)
{
    MapGrid grid;
    if (n < 2)
        return grid;
    const Extended low = std::log(map.Ranges.LeastGain), high = std::log(map.Ranges.MostGain);
    for (int i = 0; i < n; ++i) {
        grid.Gains.push_back(i == 0       ? map.Ranges.LeastGain
                             : i == n - 1 ? map.Ranges.MostGain
                                          : std::exp(low + (high - low) * i / (n - 1)));
        grid.ExtraDelays.push_back(map.Ranges.MostExtraDelay * i / (n - 1));
    }
    for (const Extended gain : grid.Gains) {
        grid.UnstableRoots.emplace_back();
        for (const Extended delay : grid.ExtraDelays)
            grid.UnstableRoots.back().push_back(MapUnstableRoots(map, gain, delay));
    }
    return grid;
}

} // namespace nirdal
