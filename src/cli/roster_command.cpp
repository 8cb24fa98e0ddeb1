// Placeholder until the roster command is built.
#include "cli/commands.h"

namespace nirdal::cli {

int RunRoster(Arguments) { return UsageError("roster", "not available in this build"); }

} // namespace nirdal::cli
