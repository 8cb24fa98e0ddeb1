#pragma once

#include "core/common/extended.h"

#include <complex>
#include <span>
#include <vector>

namespace nirdal {

/// The roots of c[0] + c[1]·s + … + c[k]·s^k, each repeated by its multiplicity. Zero
/// coefficients at the top are dropped first; roots at s = 0 come exactly from the zero
/// coefficients at the bottom, the others from the eigenvalues of the balanced companion
/// matrix. A polynomial that is zero or constant has no roots.
std::vector<std::complex<Extended>> PolynomialRoots(std::span<const Extended> c);

} // namespace nirdal
