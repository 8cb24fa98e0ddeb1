// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/surface.h"
#include "core/tf/transfer_function.h"

#include <string>
#include <vector>

namespace nirdal {

/// How a computation ended.
enum class SweepOutcome
{
    ModulusLimit, ///< a point beyond abs(U) or abs(V) = 10, then "финиш"
    Converged,    ///< neighbouring points closer than 0.001 relative, then "финиш"
    Full,         ///< all 200 slots computed
    NoStart,      ///< no start frequency found; left with "выход"
    Fault,        ///< the computation could not go on; then "финиш"
};

/// What a computation left behind, besides the points in the variant's store.
struct SweepReport
{
    SweepOutcome Outcome = SweepOutcome::Fault;
    int NextSlot = 0;    ///< the slot the sweep would have computed next; 0 if it never began
    int SearchSteps = 0; ///< start search iterations of all runs, the run in progress included
    std::vector<int> PageEnds; ///< the next slot at the end of each listing page
    std::string Notice; ///< the fault notice (UTF-8, lines joined by '\n'); else empty
};

/// "modulus", "converged", "full", "no-start" or "fault".
const char* OutcomeName(SweepOutcome outcome);

/// Computes variant as a user of the computation screen who presses "Далее" whenever it is
/// offered, "финиш" when a stop or fault notice appears, and continues the start search
/// `continuations` times before leaving with "выход". Writes the variant's response points.
SweepReport RunUnattendedSweep(TransferFunction& variant, int continuations);

/// The same, drawing the values listing on listing as the screen would.
SweepReport RunUnattendedSweep(TransferFunction& variant, int continuations, Surface& listing);

} // namespace nirdal
