// SPDX-License-Identifier: MIT
#include "core/analysis/step_response.h"

#include "core/common/number_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace nirdal {

namespace {

constexpr Extended kPi = std::numbers::pi_v<Extended>;
// Degree of the interpolant of h on one step: 13 Chebyshev points.
constexpr int kDegree = 12;
constexpr int kNodes = kDegree + 1;
// The longest step, as a multiple of the inverse of the bound on the loop's rate.
constexpr Extended kStepReach = 3;
// Terms of the Taylor series of exp(hA) with h‖A‖ ≤ 2: the last is below 2^44/44! ≈ 7e-42.
constexpr int kTaylorTerms = 44;
// The band around h∞ that the settling time is read against.
constexpr Extended kBand = 0.05L;
// A response is seen to settle when it stays in the band for a fifth of its settling time
// after it: one that has only just come in may swing out again.
constexpr Extended kSettledMargin = 1.2L;
// The highest degree whose responses may take kMaxStepResponseSteps steps.
constexpr long kFullStepsDegree = 5;
// A largest h this close to the span's end lies at the end.
constexpr Extended kSpanEndTolerance = 1e-9L;
// Grid of one step searched for the extremes and the last exit from the band.
constexpr int kSearchGrid = 48;

using Nodes = std::array<Extended, kNodes>;

int TopIndex(const std::array<Extended, kCoefficientCount>& c, int degree)
{
    int k = std::clamp(degree, 0, kCoefficientCount - 1);
    while (k >= 0 && c[static_cast<std::size_t>(k)] == 0)
        --k;
    return k;
}

// A square matrix, row-major.
struct Matrix
{
    int n = 0;
    std::vector<Extended> a;
    explicit Matrix(int size = 0) : n(size), a(static_cast<std::size_t>(size * size), 0) {}
    Extended& operator()(int i, int j) { return a[static_cast<std::size_t>(i * n + j)]; }
    Extended operator()(int i, int j) const { return a[static_cast<std::size_t>(i * n + j)]; }
};

// x' = A x + b u, y = c x.
struct Realisation
{
    Matrix A;
    std::vector<Extended> b, c;
};

// The controllable canonical form of N/D (m < n, D's leading coefficient made 1).
Realisation Canonical(const TransferFunction& variant, int n, int m)
{
    Realisation r{Matrix(n), std::vector<Extended>(static_cast<std::size_t>(n), 0),
                  std::vector<Extended>(static_cast<std::size_t>(n), 0)};
    const Extended lead = variant.A[static_cast<std::size_t>(n)];
    for (int i = 0; i + 1 < n; ++i)
        r.A(i, i + 1) = 1;
    for (int j = 0; j < n; ++j)
        r.A(n - 1, j) = -variant.A[static_cast<std::size_t>(j)] / lead;
    r.b[static_cast<std::size_t>(n - 1)] = 1;
    for (int j = 0; j <= m; ++j)
        r.c[static_cast<std::size_t>(j)] = variant.B[static_cast<std::size_t>(j)] / lead;
    return r;
}

// Diagonal similarity by powers of 2 that evens the rows and columns of A (Parlett and
// Reinsch): the companion matrix of (s + 1)^15 has entries up to 6435 but eigenvalues of 1,
// and the Taylor steps are bounded by the norm.
void Balance(Realisation& r)
{
    const int n = r.A.n;
    // Each round evens the sums by powers of 2 up to 2^64; a few rounds settle any matrix with
    // finite entries, and the cap keeps ill-matched ones from going on.
    for (int round = 0, changed = 1; changed && round < 64; ++round) {
        changed = 0;
        for (int i = 0; i < n; ++i) {
            Extended column = 0, row = 0;
            for (int j = 0; j < n; ++j) {
                if (j == i)
                    continue;
                column += std::abs(r.A(j, i));
                row += std::abs(r.A(i, j));
            }
            if (column == 0 || row == 0 || !std::isfinite(column + row))
                continue;
            const Extended sum = column + row;
            Extended f = 1;
            for (int k = 0; k < 64 && column < row / 2; ++k) {
                column *= 2;
                row /= 2;
                f *= 2;
            }
            for (int k = 0; k < 64 && column >= row * 2; ++k) {
                column /= 2;
                row *= 2;
                f /= 2;
            }
            if (column + row < 0.95L * sum) {
                changed = 1;
                for (int j = 0; j < n; ++j) {
                    r.A(i, j) /= f;
                    r.A(j, i) *= f;
                }
                r.b[static_cast<std::size_t>(i)] /= f;
                r.c[static_cast<std::size_t>(i)] *= f;
            }
        }
    }
}

Extended RowNorm(const Matrix& A)
{
    Extended norm = 0;
    for (int i = 0; i < A.n; ++i) {
        Extended row = 0;
        for (int j = 0; j < A.n; ++j)
            row += std::abs(A(i, j));
        norm = std::max(norm, row);
    }
    return norm;
}

Extended MaxNorm(const std::vector<Extended>& v)
{
    Extended norm = 0;
    for (Extended x : v)
        norm = std::max(norm, std::abs(x));
    return norm;
}

Extended SumNorm(const std::vector<Extended>& v)
{
    Extended norm = 0;
    for (Extended x : v)
        norm += std::abs(x);
    return norm;
}

// The relative places of the interpolation points in a step: Chebyshev points of [0, 1].
const Nodes& NodePlaces()
{
    static const Nodes places = [] {
        Nodes s{};
        for (int j = 0; j < kNodes; ++j)
            s[static_cast<std::size_t>(j)] = (1 - std::cos(j * kPi / kDegree)) / 2;
        s[0] = 0;
        s[kDegree] = 1;
        return s;
    }();
    return places;
}

// The interpolant of values at NodePlaces() at s (barycentric form).
Extended Interpolate(const Nodes& values, Extended s)
{
    const Nodes& places = NodePlaces();
    Extended numerator = 0, denominator = 0;
    for (int j = 0; j < kNodes; ++j) {
        const Extended d = s - places[static_cast<std::size_t>(j)];
        // So close to a point that 1/d would overflow: the value there, within 1e-30 of a step.
        if (std::abs(d) < 1e-30L)
            return values[static_cast<std::size_t>(j)];
        Extended w = (j % 2 == 0 ? 1 : -1) / d;
        if (j == 0 || j == kDegree)
            w /= 2;
        numerator += w * values[static_cast<std::size_t>(j)];
        denominator += w;
    }
    return numerator / denominator;
}

// The inverse of the Vandermonde matrix V(j, i) = s_j^i, by Gauss-Jordan with pivoting: it
// turns values at the points into power coefficients.
std::array<Nodes, kNodes> InverseVandermonde()
{
    const Nodes& s = NodePlaces();
    std::array<std::array<Extended, 2 * kNodes>, kNodes> m{};
    for (int j = 0; j < kNodes; ++j) {
        Extended power = 1;
        for (int i = 0; i < kNodes; ++i) {
            m[std::size_t(j)][std::size_t(i)] = power;
            power *= s[std::size_t(j)];
        }
        m[std::size_t(j)][std::size_t(kNodes + j)] = 1;
    }
    for (int col = 0; col < kNodes; ++col) {
        int pivot = col;
        for (int row = col + 1; row < kNodes; ++row)
            if (std::abs(m[std::size_t(row)][std::size_t(col)]) >
                std::abs(m[std::size_t(pivot)][std::size_t(col)]))
                pivot = row;
        std::swap(m[std::size_t(col)], m[std::size_t(pivot)]);
        const Extended p = m[std::size_t(col)][std::size_t(col)];
        for (auto& x : m[std::size_t(col)])
            x /= p;
        for (int row = 0; row < kNodes; ++row) {
            if (row == col)
                continue;
            const Extended f = m[std::size_t(row)][std::size_t(col)];
            if (f == 0)
                continue;
            for (int k = 0; k < 2 * kNodes; ++k)
                m[std::size_t(row)][std::size_t(k)] -= f * m[std::size_t(col)][std::size_t(k)];
        }
    }
    std::array<Nodes, kNodes> inverse{};
    for (int i = 0; i < kNodes; ++i)
        for (int j = 0; j < kNodes; ++j)
            inverse[std::size_t(i)][std::size_t(j)] = m[std::size_t(i)][std::size_t(kNodes + j)];
    return inverse;
}

// What one step of length h does, for an input u given by its values at the points:
// Y = Out·x0 + Gain·U (h at the points), x(h) = E·x0 + F·U.
struct StepMaps
{
    int n = 0;
    std::vector<Extended> Out;  // kNodes × n
    std::vector<Extended> Gain; // kNodes × kNodes
    Matrix E;
    std::vector<Extended> F; // n × kNodes
};

StepMaps MakeStepMaps(const Realisation& r, Extended h)
{
    const int n = r.A.n;
    const Nodes& s = NodePlaces();
    Matrix hA(n);
    for (std::size_t k = 0; k < hA.a.size(); ++k)
        hA.a[k] = h * r.A.a[k];

    // s_j^k for every power the series take.
    constexpr int kPowers = kTaylorTerms + kNodes + 1;
    std::vector<std::array<Extended, kPowers>> power(kNodes);
    for (int j = 0; j < kNodes; ++j) {
        power[std::size_t(j)][0] = 1;
        for (int k = 1; k < kPowers; ++k)
            power[std::size_t(j)][std::size_t(k)] =
                power[std::size_t(j)][std::size_t(k - 1)] * s[std::size_t(j)];
    }

    StepMaps maps;
    maps.n = n;
    maps.Out.assign(std::size_t(kNodes * n), 0);
    maps.E = Matrix(n);
    // rows c·(hA)^k/k!, columns (hA)^k·b·h, and the terms (hA)^k/k! of E.
    std::vector<Extended> row = r.c;
    std::vector<Extended> column(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        column[std::size_t(i)] = h * r.b[std::size_t(i)];
    Matrix term(n);
    for (int i = 0; i < n; ++i)
        term(i, i) = 1;
    std::vector<std::vector<Extended>> columns;
    std::vector<Extended> markov; // c·(hA)^k·b·h
    for (int k = 0; k <= kTaylorTerms; ++k) {
        for (int j = 0; j < kNodes; ++j) {
            const Extended p = power[std::size_t(j)][std::size_t(k)];
            for (int i = 0; i < n; ++i)
                maps.Out[std::size_t(j * n + i)] += row[std::size_t(i)] * p;
        }
        for (std::size_t q = 0; q < term.a.size(); ++q)
            maps.E.a[q] += term.a[q];
        columns.push_back(column);
        Extended cb = 0;
        for (int i = 0; i < n; ++i)
            cb += r.c[std::size_t(i)] * column[std::size_t(i)];
        markov.push_back(cb);
        // Next powers.
        std::vector<Extended> nextRow(std::size_t(n), 0), nextColumn(std::size_t(n), 0);
        Matrix nextTerm(n);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                nextRow[std::size_t(j)] += row[std::size_t(i)] * hA(i, j);
                nextColumn[std::size_t(i)] += hA(i, j) * column[std::size_t(j)];
            }
        for (int i = 0; i < n; ++i)
            for (int l = 0; l < n; ++l) {
                const Extended t = term(i, l);
                if (t == 0)
                    continue;
                for (int j = 0; j < n; ++j)
                    nextTerm(i, j) += t * hA(l, j);
            }
        for (int i = 0; i < n; ++i)
            nextRow[std::size_t(i)] /= (k + 1);
        for (Extended& t : nextTerm.a)
            t /= (k + 1);
        row = std::move(nextRow);
        column = std::move(nextColumn);
        term = std::move(nextTerm);
    }
    // The response to the input (σ/h)^i: Σ_k (hA)^k·b·h·s^(k+i+1)·i!/(k+i+1)!.
    std::vector<Extended> gainPowers(std::size_t(kNodes * kNodes), 0);
    std::vector<Extended> fPowers(std::size_t(n * kNodes), 0);
    for (int i = 0; i < kNodes; ++i) {
        Extended ratio = 1; // i!/(k+i+1)!
        for (int k = 0; k <= kTaylorTerms; ++k) {
            ratio = k == 0 ? Extended(1) / (i + 1) : ratio / (k + i + 1);
            for (int j = 0; j < kNodes; ++j)
                gainPowers[std::size_t(j * kNodes + i)] +=
                    markov[std::size_t(k)] * ratio * power[std::size_t(j)][std::size_t(k + i + 1)];
            for (int l = 0; l < n; ++l)
                fPowers[std::size_t(l * kNodes + i)] +=
                    columns[std::size_t(k)][std::size_t(l)] * ratio;
        }
    }
    static const std::array<Nodes, kNodes> toPowers = InverseVandermonde();
    maps.Gain.assign(std::size_t(kNodes * kNodes), 0);
    maps.F.assign(std::size_t(n * kNodes), 0);
    for (int j = 0; j < kNodes; ++j)
        for (int q = 0; q < kNodes; ++q) {
            Extended g = 0;
            for (int i = 0; i < kNodes; ++i)
                g += gainPowers[std::size_t(j * kNodes + i)] *
                     toPowers[std::size_t(i)][std::size_t(q)];
            maps.Gain[std::size_t(j * kNodes + q)] = g;
        }
    for (int l = 0; l < n; ++l)
        for (int q = 0; q < kNodes; ++q) {
            Extended f = 0;
            for (int i = 0; i < kNodes; ++i)
                f +=
                    fPowers[std::size_t(l * kNodes + i)] * toPowers[std::size_t(i)][std::size_t(q)];
            maps.F[std::size_t(l * kNodes + q)] = f;
        }
    return maps;
}

// Carries x over one step with input U; writes h at the points.
void Step(const StepMaps& maps, std::vector<Extended>& x, const Nodes& input, Nodes& output,
          std::vector<Extended>& scratch)
{
    const int n = maps.n;
    for (int j = 0; j < kNodes; ++j) {
        Extended y = 0;
        const Extended* out = &maps.Out[std::size_t(j * n)];
        for (int i = 0; i < n; ++i)
            y += out[i] * x[std::size_t(i)];
        const Extended* gain = &maps.Gain[std::size_t(j * kNodes)];
        for (int q = 0; q < kNodes; ++q)
            y += gain[q] * input[std::size_t(q)];
        output[std::size_t(j)] = y;
    }
    for (int i = 0; i < n; ++i) {
        Extended v = 0;
        const Extended* e = &maps.E.a[std::size_t(i * n)];
        for (int l = 0; l < n; ++l)
            v += e[l] * x[std::size_t(l)];
        const Extended* f = &maps.F[std::size_t(i * kNodes)];
        for (int q = 0; q < kNodes; ++q)
            v += f[q] * input[std::size_t(q)];
        scratch[std::size_t(i)] = v;
    }
    x.swap(scratch);
}

// The loop, reduced to what the march needs.
struct Loop
{
    std::string Failure;
    Realisation Open;   // N/D, balanced
    Realisation Closed; // N/(D + N) for no delay, balanced
    Extended Delay = 0;
    Extended StepLength = 0; // h
    long DelaySteps = 0;     // S = T/h, 0 without delay
    Extended Steady = 0;     // h∞
    long StepLimit = kMaxStepResponseSteps;
};

Loop MakeLoop(const TransferFunction& variant)
{
    Loop loop;
    const int n = TopIndex(variant.A, variant.DenominatorDegree);
    const int m = TopIndex(variant.B, variant.NumeratorDegree);
    if (!(variant.Delay >= 0) || !std::isfinite(variant.Delay)) {
        loop.Failure = "the delay must be a finite number of seconds, at least 0";
        return loop;
    }
    if (n < 1 || m >= n) {
        loop.Failure = "the numerator degree must be below the denominator degree";
        return loop;
    }
    for (int j = 0; j <= n; ++j)
        if (!std::isfinite(variant.A[std::size_t(j)]) ||
            (j <= m && !std::isfinite(variant.B[std::size_t(j)]))) {
            loop.Failure = "a coefficient is not a finite number";
            return loop;
        }
    loop.Delay = variant.Delay;
    Realisation open = Canonical(variant, n, m);
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(open.A(n - 1, i)) || !std::isfinite(open.c[std::size_t(i)])) {
            loop.Failure = "the coefficients are too far apart to integrate";
            return loop;
        }
    Extended rate = 0;
    if (loop.Delay > 0) {
        Balance(open);
        // The loop closes through b·c: its rate is bounded by ‖A‖ + ‖b‖·‖c‖.
        rate = RowNorm(open.A) + MaxNorm(open.b) * SumNorm(open.c);
    } else {
        Realisation closed = open;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                closed.A(i, j) -= closed.b[std::size_t(i)] * closed.c[std::size_t(j)];
        Balance(closed);
        rate = RowNorm(closed.A);
        loop.Closed = std::move(closed);
    }
    loop.Open = std::move(open);
    if (!std::isfinite(rate)) {
        loop.Failure = "the coefficients are too far apart to integrate";
        return loop;
    }
    // A loop too slow for its rate to matter is still taken in steps no longer than any span.
    const Extended longest = rate > 0 ? std::min(kStepReach / rate, kMaxStepResponseSpan)
                                      : kMaxStepResponseSpan;
    if (loop.Delay > 0) {
        const Extended steps = std::ceil(loop.Delay / longest);
        if (!(steps <= Extended(kMaxStepResponseSteps))) {
            loop.Failure = "the delay is too long against the fastest motion of the loop";
            return loop;
        }
        loop.DelaySteps = std::max(1L, static_cast<long>(steps));
        loop.StepLength = loop.Delay / static_cast<Extended>(loop.DelaySteps);
    } else {
        loop.StepLength = longest;
    }
    const Extended a0 = variant.A[0], b0 = variant.B[0];
    loop.Steady = a0 == 0 ? (b0 == 0 ? Extended(0) : Extended(1)) : b0 / (a0 + b0);
    // A step costs about n² operations: past the fifth degree fewer of them make a second.
    if (n > kFullStepsDegree)
        loop.StepLimit = kMaxStepResponseSteps * kFullStepsDegree * kFullStepsDegree / (n * n);
    return loop;
}

long StepsFor(const Loop& loop, Extended until)
{
    const Extended steps = std::ceil(until / loop.StepLength);
    if (!(steps <= Extended(kMaxStepResponseSteps) * 10))
        return kMaxStepResponseSteps * 10;
    return std::max(1L, static_cast<long>(steps));
}

// One step kept for the readings: its index and h at its points.
struct KeptStep
{
    long Index = -1;
    Nodes Values{};
};

// The extreme of h in the direction `sign` over the kept steps: (t, h).
void RefineExtreme(const std::vector<KeptStep>& steps, Extended h, int sign, Extended& time,
                   Extended& value)
{
    bool found = false;
    for (const KeptStep& step : steps) {
        if (step.Index < 0)
            continue;
        const auto f = [&](Extended s) { return sign * Interpolate(step.Values, s); };
        int best = 0;
        for (int g = 1; g <= kSearchGrid; ++g)
            if (f(Extended(g) / kSearchGrid) > f(Extended(best) / kSearchGrid))
                best = g;
        // Golden section inside the bracket around the best grid point.
        Extended lo = std::max<Extended>(0, Extended(best - 1) / kSearchGrid);
        Extended hi = std::min<Extended>(1, Extended(best + 1) / kSearchGrid);
        const Extended ratio = (std::sqrt(Extended(5)) - 1) / 2;
        Extended x1 = hi - ratio * (hi - lo), x2 = lo + ratio * (hi - lo);
        Extended f1 = f(x1), f2 = f(x2);
        for (int it = 0; it < 90 && hi - lo > 1e-15L; ++it) {
            if (f1 < f2) {
                lo = x1;
                x1 = x2;
                f1 = f2;
                x2 = lo + ratio * (hi - lo);
                f2 = f(x2);
            } else {
                hi = x2;
                x2 = x1;
                f2 = f1;
                x1 = hi - ratio * (hi - lo);
                f1 = f(x1);
            }
        }
        Extended s = (lo + hi) / 2, v = f(s);
        if (f(Extended(best) / kSearchGrid) > v) {
            s = Extended(best) / kSearchGrid;
            v = f(s);
        }
        if (!found || v > sign * value) {
            found = true;
            value = sign * v;
            time = (static_cast<Extended>(step.Index) + s) * h;
        }
    }
}

// The last moment in the kept steps (in order) at which |h − h∞| > band.
std::optional<Extended> LastExit(const std::vector<KeptStep>& steps, Extended h, Extended steady,
                                 Extended band, Extended until)
{
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
        if (it->Index < 0)
            continue;
        const auto outside = [&](Extended s) {
            return std::abs(Interpolate(it->Values, s) - steady) - band;
        };
        const Extended end = std::min<Extended>(1, until / h - static_cast<Extended>(it->Index));
        for (int g = kSearchGrid; g-- > 0;) {
            Extended lo = end * g / kSearchGrid, hi = end * (g + 1) / kSearchGrid;
            if (outside(hi) > 0)
                return (static_cast<Extended>(it->Index) + hi) * h;
            if (!(outside(lo) > 0))
                continue;
            for (int bisection = 0; bisection < 80 && hi - lo > 1e-18L; ++bisection) {
                const Extended mid = (lo + hi) / 2;
                (outside(mid) > 0 ? lo : hi) = mid;
            }
            return (static_cast<Extended>(it->Index) + lo) * h;
        }
    }
    return std::nullopt;
}

std::string SecondsText(Extended t)
{
    return SignificantText(t, 6);
}

} // namespace

long StepResponseSteps(const TransferFunction& variant, Extended until)
{
    const Loop loop = MakeLoop(variant);
    if (!loop.Failure.empty() || !(until > 0))
        return 0;
    return StepsFor(loop, until);
}

long StepResponseStepLimit(const TransferFunction& variant)
{
    return MakeLoop(variant).StepLimit;
}

StepResponse ComputeStepResponse(const TransferFunction& variant, Extended until, int count,
                                 std::stop_token stop)
{
    StepResponse response;
    const StabilityAnalysis analysis = AnalyseStability(variant);
    if (!analysis.Failure.empty()) {
        response.Failure = analysis.Failure.English;
        return response;
    }
    const Loop loop = MakeLoop(variant);
    if (!loop.Failure.empty()) {
        response.Failure = loop.Failure;
        return response;
    }
    if (!(until > 0) || !(until <= kMaxStepResponseSpan) || count < 2) {
        response.Failure = "the span must be above 0 and at most 1e6 s, with 2 samples or more";
        return response;
    }
    long steps = StepsFor(loop, until);
    if (steps > loop.StepLimit) {
        response.Failure = "the span needs " + std::to_string(steps) +
                           " integration steps or more; at most " +
                           std::to_string(loop.StepLimit) + " are taken";
        return response;
    }
    response.Verdict = analysis.Verdict;
    const bool delayed = loop.Delay > 0;
    const Realisation& system = delayed ? loop.Open : loop.Closed;
    const StepMaps maps = MakeStepMaps(system, loop.StepLength);
    const Extended h = loop.StepLength;
    const long delaySteps = loop.DelaySteps;
    const int n = system.A.n;

    // Readings: the band and the steps that hold the extremes and the last exit.
    const Extended steady = loop.Steady;
    const bool stable = analysis.Verdict == StabilityVerdict::Stable;
    Extended band = kBand * std::abs(steady);
    Extended maxNode = 0, minNode = 0;
    std::vector<KeptStep> aroundMax(3), aroundMin(3), aroundExit(2);
    long maxIndex = -1, minIndex = -1;
    KeptStep previous;

    response.Times.reserve(std::size_t(count));
    response.Values.reserve(std::size_t(count));
    int next = 0; // next sample
    const auto sampleTime = [&](int k) { return k == count - 1 ? until : until * k / (count - 1); };
    // Steps before the delay has passed: h = 0.
    const long firstStep = delayed ? delaySteps : 0;
    steps = std::max(steps, firstStep + 1);
    while (next < count && (delayed && sampleTime(next) < loop.Delay)) {
        response.Times.push_back(sampleTime(next));
        response.Values.push_back(0);
        ++next;
    }
    if (delayed) {
        previous.Index = firstStep - 1;
        previous.Values.fill(0);
        aroundMax[0] = aroundMin[0] = previous;
        aroundMax[1] = aroundMin[1] = previous;
        maxIndex = minIndex = firstStep - 1;
        if (std::abs(steady) > band)
            aroundExit[0] = previous;
    }

    std::vector<Extended> x(std::size_t(n), 0), scratch(std::size_t(n), 0);
    std::vector<Nodes> history(
        delayed ? std::size_t(std::min(delaySteps, std::max(1L, steps - firstStep))) : 0);
    Nodes input{}, output{};
    input.fill(1);
    bool overflow = false;
    for (long i = firstStep; i < steps && next < count; ++i) {
        // A step costs microseconds: looking every 64 of them stops within a millisecond.
        if ((i - firstStep) % 64 == 0 && stop.stop_requested()) {
            StepResponse stopped;
            stopped.Failure = kStepResponseStopped;
            return stopped;
        }
        if (delayed) {
            Nodes& past = history[std::size_t((i - firstStep) % long(history.size()))];
            if (i - firstStep >= delaySteps)
                for (int j = 0; j < kNodes; ++j)
                    input[std::size_t(j)] = 1 - past[std::size_t(j)];
            Step(maps, x, input, output, scratch);
            past = output;
        } else {
            Step(maps, x, input, output, scratch);
        }
        bool finite = true;
        for (Extended v : output)
            finite = finite && std::abs(v) <= kStepResponseOverflow;
        if (!finite) {
            overflow = true;
            break;
        }
        // Samples in this step; one between the points can still leave the range.
        while (next < count) {
            const Extended t = sampleTime(next);
            if (i < steps - 1 && t >= static_cast<Extended>(i + 1) * h)
                break;
            const Extended value = Interpolate(output, t / h - static_cast<Extended>(i));
            if (!(std::abs(value) <= kStepResponseOverflow)) {
                finite = false;
                break;
            }
            response.Times.push_back(t);
            response.Values.push_back(value);
            ++next;
        }
        if (!finite) {
            overflow = true;
            break;
        }
        // Readings.
        KeptStep current{i, output};
        if (maxIndex == i - 1)
            aroundMax[2] = current;
        if (minIndex == i - 1)
            aroundMin[2] = current;
        const Extended top = *std::max_element(output.begin(), output.end());
        const Extended bottom = *std::min_element(output.begin(), output.end());
        if (maxIndex < 0 || top > maxNode) {
            maxNode = top;
            maxIndex = i;
            aroundMax = {previous, current, KeptStep{}};
        }
        if (minIndex < 0 || bottom < minNode) {
            minNode = bottom;
            minIndex = i;
            aroundMin = {previous, current, KeptStep{}};
        }
        if (aroundExit[0].Index == i - 1 && aroundExit[1].Index < 0)
            aroundExit[1] = current;
        bool outside = false;
        for (Extended v : output)
            outside = outside || std::abs(v - steady) > band;
        if (outside)
            aroundExit = {current, KeptStep{}};
        previous = current;
    }
    if (overflow)
        response.Notes.push_back("h(t) grows beyond 1e300 after t = " +
                                 SecondsText(response.Times.empty() ? 0 : response.Times.back()) +
                                 " s; the samples stop there");
    if (!stable || overflow)
        return response;

    StepIndicators indicators;
    indicators.Steady = steady;
    // The extreme toward h∞ gives the overshoot; with h∞ = 0 the largest |h|.
    const int sign = steady < 0 ? -1 : 1;
    Extended peakTime = 0, peak = 0;
    RefineExtreme(sign > 0 ? aroundMax : aroundMin, h, sign, peakTime, peak);
    if (steady == 0) {
        Extended otherTime = 0, other = 0;
        RefineExtreme(aroundMin, h, -1, otherTime, other);
        if (std::abs(other) > std::abs(peak)) {
            peak = other;
            peakTime = otherTime;
        }
        band = kBand * std::abs(peak);
    }
    indicators.PeakTime = std::min(peakTime, until);
    // A largest h at the span's end is no peak: the response may still rise.
    indicators.PeakReached = peakTime < until * (1 - kSpanEndTolerance);
    indicators.OvershootPercent =
        steady != 0 && (peak - steady) / steady > 0 ? (peak - steady) / steady * 100 : 0;
    const std::optional<Extended> exit = LastExit(aroundExit, h, steady, band, until);
    indicators.SettlingTime = exit ? std::min(*exit, until) : 0;
    indicators.SettlingReached = kSettledMargin * indicators.SettlingTime <= until;
    if (!indicators.SettlingReached)
        indicators.SettlingTime = until;
    response.Indicators = indicators;
    return response;
}

Extended DefaultStepSpan(const TransferFunction& variant, std::stop_token stop)
{
    const Loop loop = MakeLoop(variant);
    if (!loop.Failure.empty())
        return 10;
    const Extended cap = std::min(kMaxStepResponseSpan,
                                  loop.StepLength * static_cast<Extended>(loop.StepLimit));
    // A first guess from the time constants of the open loop and the delay.
    Extended guess = 0;
    const StabilityAnalysis analysis = AnalyseStability(variant);
    for (const auto& pole : analysis.Poles)
        if (std::abs(pole) > 0)
            guess += 1 / std::abs(pole);
    guess = std::min(cap, std::max<Extended>(1, 10 * (guess + loop.Delay)));
    if (analysis.Verdict != StabilityVerdict::Stable)
        return guess;
    // A span at the cap cannot grow: nothing to learn from computing it.
    for (int round = 0; round < 20 && guess < cap; ++round) {
        const StepResponse r = ComputeStepResponse(variant, guess, 201, stop);
        if (stop.stop_requested() || !r.Indicators || r.Indicators->SettlingTime <= 0.8L * guess)
            return guess;
        guess = std::min(cap, std::max(2 * guess, r.Indicators->SettlingTime / 0.7L));
    }
    return guess;
}

Extended CommonStepSpan(const std::vector<TransferFunction>& variants)
{
    Extended span = 0;
    for (const TransferFunction& variant : variants)
        span = std::max(span, DefaultStepSpan(variant));
    return span;
}

StepResponse ComputeStepResponseWithin(const TransferFunction& variant, Extended span, int count)
{
    StepResponse r = ComputeStepResponse(variant, span, count);
    if (!r.Failure.empty() && StepResponseSteps(variant, span) > StepResponseStepLimit(variant))
        r = ComputeStepResponse(variant, DefaultStepSpan(variant), count);
    return r;
}

void NoteUnfinishedSpan(StepResponse& response, const TransferFunction& variant, Extended until,
                        bool spanAsked)
{
    if (!response.Indicators)
        return;
    // A delay far shorter than the motion of the loop takes many steps a second: the
    // default span may end before the response settles.
    if (!response.Indicators->SettlingReached)
        response.Notes.push_back(
            spanAsked ? "the response has not settled by the span's end, " +
                            SignificantText(until, 6) + " s"
                      : "the span is cut at " + SignificantText(until, 6) + " s, " +
                            std::to_string(StepResponseStepLimit(variant)) +
                            " steps of the integration, before the response settles");
    if (!response.Indicators->OvershootKnown())
        response.Notes.push_back("h still rises at the span's end: its peak and overshoot lie "
                                 "beyond");
}

} // namespace nirdal
