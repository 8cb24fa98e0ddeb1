// SPDX-License-Identifier: MIT
#pragma once

#include "core/common/surface.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nirdal {

/// One student's slip of the handout, in UTF-8.
struct HandoutSlip
{
    std::string Group, Surname;
    std::uint64_t Variant = 0; ///< the variant's number; 0 when it has none
    /// The numerator and denominator with the values put in, as ExpressionWithValues writes
    /// them.
    std::string NumeratorFormula, DenominatorFormula;
    std::vector<std::string> Numerator;   ///< B_m … B_0 as typed
    std::vector<std::string> Denominator; ///< A_n … A_0 as typed
    std::string Delay;                    ///< T in seconds as typed
    bool AsksDelayMargin = false;         ///< the template has a delay
};

/// Draws the handout on A4 sheets (the surface's printable area is the whole sheet): slip
/// under slip, each as tall as its content, with dashed cut lines between them, as many to
/// a sheet as fit. A slip carries the group, surname and variant number, the task, W(s) as a
/// textbook writes it, every coefficient and the delay as the student types them (wrapped
/// within the slip) and ruled places for the answers. False, with the reason, when a slip's
/// formula cannot be read.
bool DrawHandout(PageSurface& sheets, std::string_view task, const std::vector<HandoutSlip>& slips,
                 std::string& error);

} // namespace nirdal
