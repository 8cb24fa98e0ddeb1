// Placeholder until the sweep command is built.
#include "cli/commands.h"

namespace nirdal::cli {

int RunSweep(Arguments) { return UsageError("sweep", "not available in this build"); }

} // namespace nirdal::cli
