// SPDX-License-Identifier: MIT
#pragma once

#include "platform/data_root.h"

#include <filesystem>
#include <vector>

namespace nirdal {

/// The method guide the selection screen opens: "metod\albom.exe" relative to the current
/// folder where that exists; else metod/albom.pdf or metod/albom.html under root, then under
/// each machine-wide folder in turn; empty when there is none.
std::filesystem::path FindMethodGuide(const std::filesystem::path& root = DataRoot(),
                                      const std::vector<std::filesystem::path>& machineRoots =
                                          SystemDataRoots());

} // namespace nirdal
