// Placeholder until the plot command is built.
#include "cli/commands.h"

namespace nirdal::cli {

int RunPlot(Arguments) { return UsageError("plot", "not available in this build"); }

} // namespace nirdal::cli
