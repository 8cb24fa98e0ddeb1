// SPDX-License-Identifier: MIT
// listing: the values listing the computation screen draws, as text.
#include "cli/commands.h"
#include "cli/sweep_options.h"
#include "core/common/surface.h"
#include "core/response/unattended_sweep.h"

#include <cstdio>
#include <string>

namespace nirdal::cli {

namespace {

// Prints each text as "page column row text"; a page begins where its header's first
// row is drawn at the left column.
class ListingPrinter final : public TextSurface
{
public:
    void TextOut(int x, int y, std::string_view text) override
    {
        const int column = x / 10, row = y / 10;
        if (column == 1 && row == 4)
            ++m_page;
        std::printf("%d %d %d %s\n", m_page, column, row, std::string(text).c_str());
    }

private:
    int m_page = 0;
};

} // namespace

int RunListing(Arguments args)
{
    if (WantsHelp(args)) {
        std::printf("usage: nirdal-cli listing --tf NUM:DEN[:DELAY] [--continue K]\n\n"
                    "Computes one variant as 'nirdal-cli sweep' does and prints what the\n"
                    "computation screen draws in its values listing, headers included, one\n"
                    "text per line: page column row text (grid positions of 10 pixels).\n\n%s",
                    kSweepOptionsHelp);
        return 0;
    }
    SweepOptions options;
    if (!ParseSweepOptions("listing", args, options))
        return kUsageError;
    ListingPrinter printer;
    RunUnattendedSweep(options.Variant, options.Continuations, printer);
    return 0;
}

} // namespace nirdal::cli
