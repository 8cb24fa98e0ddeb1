// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>

namespace nirdal::test_support {

/// A time limit that catches a hang or a quadratic slowdown in the optimised build, stretched
/// for the sanitizer build, whose instrumented code runs several times slower.
constexpr std::chrono::milliseconds TimeLimit(std::chrono::milliseconds optimised)
{
#if defined(__SANITIZE_ADDRESS__)
    return optimised * 10;
#else
    return optimised;
#endif
}

} // namespace nirdal::test_support
