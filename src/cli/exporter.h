// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace nirdal::cli {

/// The path of nirdal-export: beside this program (the build tree), else in the package's
/// private program directory, which NIRDAL_EXPORT_DIR names relative to this program's
/// directory. Empty, with the reason in error, when neither holds it.
std::string ExporterPath(std::string& error);

/// Runs nirdal-export with option and its value (none when empty) and hands it input on its
/// standard input; 0 when it ends with status 0. With output given, what it writes to its
/// standard output (a file written to /dev/stdout) is kept there instead.
int RunExporter(const std::string& option, const std::string& value, const std::string& input,
                std::string* output = nullptr);

} // namespace nirdal::cli
