// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"
#include "core/plot/plot.h"

#include <optional>

namespace nirdal {

/// What the screen picture shows at one stored point of a curve.
struct CurveReading
{
    int Variant;           ///< from 1
    int Slot;              ///< the point's slot in the variant's store, from 1
    Extended Frequency;    ///< ω in rad/s
    Extended U;            ///< Re W(jω)
    Extended V;            ///< Im W(jω)
    Extended Modulus;      ///< |W(jω)|
    Extended PhaseDegrees; ///< arg W(jω) in degrees, from −180 to 180
};

/// Pixels from a curve within which the pointer counts as resting on it.
constexpr int kCurveReach = 5;

/// The stored point nearest to the device point `at` among the curves of the assignment's
/// variants 1 … VariantCount whose polyline on the screen picture passes within kCurveReach pixels
/// of it; nothing when no curve passes that close. Between equally near points the lower
/// variant and the lower slot win.
std::optional<CurveReading> ReadCurveAt(const Assignment& assignment, DevicePoint at);

} // namespace nirdal
