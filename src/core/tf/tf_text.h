// SPDX-License-Identifier: MIT
#pragma once

#include "core/tf/transfer_function.h"

#include <string>
#include <string_view>

namespace nirdal {

/// Reads "NUM:DEN[:DELAY]" into the coefficients, degrees and delay of variant. NUM and
/// DEN are comma-separated coefficients, highest power first, each read with strtold
/// (hexadecimal floats are exact); the degrees are the counts less one, leading zeros kept.
/// Coefficients above the degrees become zero; the response points are left alone.
/// On bad text returns false, leaves variant unchanged and puts a plain message in error.
bool ParseTransferFunctionText(std::string_view text, TransferFunction& variant,
                               std::string& error);

} // namespace nirdal
