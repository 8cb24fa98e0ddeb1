// SPDX-License-Identifier: MIT
#include "core/response/frequency_response.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace nirdal {

namespace {

// s_k: the sign of the non-zero part of j^k, +1, +1, −1, −1 repeating.
Extended PowerSign(int k)
{
    return k % 4 < 2 ? 1 : -1;
}

// The even or odd part over the coefficients 0..degree. With signAdjust the coefficients are
// given as entered and s_k is applied here: subtracting c_k·ω^k gives exactly the value of
// adding (−c_k)·ω^k, and spares copying 32 extended values for every evaluation.
Extended Part(std::uint8_t degree, const std::array<Extended, kCoefficientCount>& c,
              PolynomialPartKind part, Extended omega, bool signAdjust)
{
    const int top = std::min<int>(degree, kCoefficientCount - 1);
    const int first = part == PolynomialPartKind::Even ? 0 : 1;
    if (first > top)
        return 0;
    const Extended omegaSquared = omega * omega;
    Extended sum = c[first]; // s_0 = s_1 = +1
    Extended power = 1;
    for (int k = first + 2; k <= top; k += 2) {
        power = power * omegaSquared;
        const Extended term = c[k] * power;
        sum = signAdjust && PowerSign(k) < 0 ? sum - term : sum + term;
    }
    return part == PolynomialPartKind::Even ? sum : omega * sum;
}

} // namespace

Extended PolynomialPart(std::uint8_t degree, const std::array<Extended, kCoefficientCount>& c,
                        PolynomialPartKind part, Extended omega)
{
    return Part(degree, c, part, omega, false);
}

bool EvaluateResponse(ResponsePoint& point, const TransferFunction& variant)
{
    const Extended omega = point.Frequency;
    const std::uint8_t n = variant.DenominatorDegree, m = variant.NumeratorDegree;

    const Extended reN = Part(m, variant.B, PolynomialPartKind::Even, omega, true);
    const Extended imN = Part(m, variant.B, PolynomialPartKind::Odd, omega, true);
    const Extended reD = Part(n, variant.A, PolynomialPartKind::Even, omega, true);
    const Extended imD = Part(n, variant.A, PolynomialPartKind::Odd, omega, true);

    const Extended modulusSquared = reD * reD + imD * imD;
    if (!(modulusSquared > 0) || !std::isfinite(modulusSquared)) {
        point.U = point.V = std::numeric_limits<Extended>::quiet_NaN();
        return false;
    }
    const Extended p = (reN * reD + imN * imD) / modulusSquared;
    const Extended q = (reD * imN - reN * imD) / modulusSquared;

    const Extended phi = variant.Delay * omega;
    // Without a delay cos φ = 1 and sin φ = φ (±0) exactly: skipping the library calls
    // changes no bit and saves a third of the evaluation.
    const Extended cosPhi = phi == 0 ? 1 : std::cos(phi);
    const Extended sinPhi = phi == 0 ? phi : std::sin(phi);
    point.U = p * cosPhi + q * sinPhi;
    point.V = q * cosPhi - p * sinPhi;
    return std::isfinite(point.U) && std::isfinite(point.V);
}

SweepStep NextSweepFrequency(const ResponsePoint& older, const ResponsePoint& newer)
{
    SweepStep step;
    const Extended du = newer.U - older.U, dv = newer.V - older.V;
    const Extended distanceSquared = du * du + dv * dv;
    const Extended radiusSquared = newer.U * newer.U + newer.V * newer.V;
    // Both are divisors below; a zero one has no step to offer.
    if (!(distanceSquared > 0)) {
        step.Fault = SweepStepFault::PointsCoincide;
        return step;
    }
    if (!(radiusSquared > 0)) {
        step.Fault = SweepStepFault::PointAtOrigin;
        return step;
    }

    step.RelativeDistance = std::sqrt(distanceSquared / radiusSquared);
    Extended g = std::exp(0.1L * std::sqrt(radiusSquared / distanceSquared) *
                          std::log10(newer.Frequency / older.Frequency));
    if (g > 0.9L)
        g = 0.9L;
    if (g < 0.5L)
        g = 0.5L;
    step.Frequency = newer.Frequency * g;
    if (!std::isfinite(step.Frequency) || std::isnan(step.RelativeDistance))
        step.Fault = SweepStepFault::NotFinite;
    return step;
}

} // namespace nirdal
