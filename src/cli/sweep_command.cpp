// SPDX-License-Identifier: MIT
// sweep: one variant computed as a user of the computation screen would.
#include "cli/commands.h"
#include "cli/sweep_options.h"
#include "core/response/unattended_sweep.h"

#include <cstdio>

namespace nirdal::cli {

int RunSweep(Arguments args)
{
    if (WantsHelp(args)) {
        std::printf(
            "usage: nirdal-cli sweep --tf NUM:DEN[:DELAY] [--continue K]\n\n"
            "Computes the frequency response of one variant as a user who presses\n"
            "\"Далее\" whenever offered, \"финиш\" on a stop notice, and continues the start\n"
            "search K times before leaving. Prints, one item per line:\n"
            "  outcome modulus|converged|full|no-start|fault\n"
            "  next-slot N\n"
            "  search-steps N\n"
            "  pages N N ...      (the next slot at the end of each listing page)\n"
            "  k w U V            (200 lines, reals as %%.21Le)\n"
            "A fault notice, if any, goes to standard error.\n\n%s",
            kSweepOptionsHelp);
        return 0;
    }
    SweepOptions options;
    if (!ParseSweepOptions("sweep", args, options))
        return kUsageError;

    const SweepReport report = RunUnattendedSweep(options.Variant, options.Continuations);
    if (!report.Notice.empty())
        std::fprintf(stderr, "%s\n", report.Notice.c_str());
    std::printf("outcome %s\nnext-slot %d\nsearch-steps %d\npages", OutcomeName(report.Outcome),
                report.NextSlot, report.SearchSteps);
    for (int end : report.PageEnds)
        std::printf(" %d", end);
    std::printf("\n");
    const ResponseArrays& store = options.Variant.ResponseArrays;
    for (int k = kFirstSlot; k <= kLastSlot; ++k)
        std::printf("%d %.21Le %.21Le %.21Le\n", k, store[k].Frequency, store[k].U, store[k].V);
    return 0;
}

} // namespace nirdal::cli
