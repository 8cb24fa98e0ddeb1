#include "core/response/frequency_response.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace nirdal {

namespace {

// The sign of the non-zero part of j^k: +1, +1, −1, −1, repeating.
std::array<Extended, kCoefficientCount>
SignAdjusted(const std::array<Extended, kCoefficientCount>& c)
{
    std::array<Extended, kCoefficientCount> adjusted;
    for (int k = 0; k < kCoefficientCount; ++k)
        adjusted[k] = (k % 4 < 2) ? c[k] : -c[k];
    return adjusted;
}

} // namespace

Extended PolynomialPart(std::uint8_t degree, const std::array<Extended, kCoefficientCount>& c,
                        PolynomialPartKind part, Extended omega)
{
    const int top = std::min<int>(degree, kCoefficientCount - 1);
    const int first = part == PolynomialPartKind::Even ? 0 : 1;
    if (first > top)
        return 0;
    const Extended omegaSquared = omega * omega;
    Extended sum = c[first];
    Extended power = 1;
    for (int k = first + 2; k <= top; k += 2) {
        power = power * omegaSquared;
        sum = sum + c[k] * power;
    }
    return part == PolynomialPartKind::Even ? sum : omega * sum;
}

bool EvaluateResponse(ResponsePoint& point, const TransferFunction& variant)
{
    const std::array<Extended, kCoefficientCount> a = SignAdjusted(variant.A);
    const std::array<Extended, kCoefficientCount> b = SignAdjusted(variant.B);
    const Extended omega = point.Frequency;
    const std::uint8_t n = variant.DenominatorDegree, m = variant.NumeratorDegree;

    const Extended reN = PolynomialPart(m, b, PolynomialPartKind::Even, omega);
    const Extended imN = PolynomialPart(m, b, PolynomialPartKind::Odd, omega);
    const Extended reD = PolynomialPart(n, a, PolynomialPartKind::Even, omega);
    const Extended imD = PolynomialPart(n, a, PolynomialPartKind::Odd, omega);

    const Extended modulusSquared = reD * reD + imD * imD;
    if (!(modulusSquared > 0) || !std::isfinite(modulusSquared)) {
        point.U = point.V = std::numeric_limits<Extended>::quiet_NaN();
        return false;
    }
    const Extended p = (reN * reD + imN * imD) / modulusSquared;
    const Extended q = (reD * imN - reN * imD) / modulusSquared;

    const Extended phi = variant.Delay * omega;
    const Extended cosPhi = std::cos(phi), sinPhi = std::sin(phi);
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
