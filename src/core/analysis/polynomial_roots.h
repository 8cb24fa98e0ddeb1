// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/extended.h"

#include <complex>
#include <span>
#include <vector>

namespace nirdal {

/// The roots of c[0] + c[1]·s + … + c[k]·s^k, each repeated by its multiplicity. Zero
/// coefficients at the top are dropped first; roots at s = 0 come exactly from the zero
/// coefficients at the bottom, the others from the eigenvalues of the balanced companion
/// matrix, polished by Newton steps on the polynomial. A zero or constant polynomial has no
/// roots.
std::vector<std::complex<Extended>> PolynomialRoots(std::span<const Extended> c);

/// The same, from eigenvalues found in double precision where the balanced companion matrix
/// fits in it (in extended where it does not): a root standing apart ends as exact, the
/// scattered roots of a multiple root keep double's digits until MultipleRoots refines their
/// mean. About three times quicker for n = 15.
std::vector<std::complex<Extended>> QuickPolynomialRoots(std::span<const Extended> c);

/// Whether roots hold up as the roots of c: each leaves |p(z)| near the precision of the
/// terms Σ|c[k]|·|z|^k, and roots that coincide are also roots of p'. Fails when the
/// coefficients span too many orders of magnitude for the eigenvalues and some roots were
/// lost (or polished onto another).
bool RootsHoldUp(std::span<const Extended> c, const std::vector<std::complex<Extended>>& roots);

/// A root and how many times it is one.
struct MultipleRoot
{
    std::complex<Extended> Value;
    int Multiplicity = 1;
};

/// The roots of c gathered into multiple roots: the eigenvalues of a k-fold root scatter around
/// it by about the k-th root of their precision (5 % for k = 15 in extended, 9 % in double),
/// their mean does not; a group of nearby roots counts as one when the first k Taylor
/// coefficients of c at the k-fold root found from its mean vanish within their rounding, else
/// it is looked at closer. Ordered as the roots first appear.
std::vector<MultipleRoot> MultipleRoots(std::span<const Extended> c,
                                        const std::vector<std::complex<Extended>>& roots);

} // namespace nirdal
