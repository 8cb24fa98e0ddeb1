// Placeholder until the settings command is built.
#include "cli/commands.h"

namespace nirdal::cli {

int RunSettings(Arguments) { return UsageError("settings", "not available in this build"); }

} // namespace nirdal::cli
