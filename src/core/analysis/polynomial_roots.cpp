#include "core/analysis/polynomial_roots.h"

#include <unsupported/Eigen/Polynomials>

namespace nirdal {

std::vector<std::complex<Extended>> PolynomialRoots(std::span<const Extended> c)
{
    std::size_t top = c.size();
    while (top > 0 && c[top - 1] == 0)
        --top;
    std::size_t bottom = 0;
    while (bottom < top && c[bottom] == 0)
        ++bottom;
    if (top == 0)
        return {};

    // A factor s^bottom is exact in the coefficients; leaving it to the eigenvalues would
    // blur a multiple root at the origin into a small circle of roots around it.
    std::vector<std::complex<Extended>> roots(bottom, std::complex<Extended>(0));
    const std::size_t degree = top - 1 - bottom;
    if (degree == 0)
        return roots;
    Eigen::Matrix<Extended, Eigen::Dynamic, 1> polynomial(static_cast<Eigen::Index>(degree + 1));
    for (std::size_t k = 0; k <= degree; ++k)
        polynomial[static_cast<Eigen::Index>(k)] = c[bottom + k];
    const Eigen::PolynomialSolver<Extended, Eigen::Dynamic> solver(polynomial);
    for (const auto& root : solver.roots())
        roots.push_back(root);
    return roots;
}

} // namespace nirdal
