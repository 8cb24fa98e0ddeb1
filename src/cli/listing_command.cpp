// Placeholder until the listing command is built.
#include "cli/commands.h"

namespace nirdal::cli {

int RunListing(Arguments) { return UsageError("listing", "not available in this build"); }

} // namespace nirdal::cli
