// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace nirdal::cli {

/// The path of nirdal-export: beside this program (the build tree), else in the package's
/// private program directory, which NIRDAL_EXPORT_DIR names relative to this program's
/// directory. Empty, with the reason in error, when neither holds it.
std::string ExporterPath(std::string& error);

} // namespace nirdal::cli
