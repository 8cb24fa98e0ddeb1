// SPDX-License-Identifier: MIT
// format and parse: the number text conversion as the screens use it.
#include "cli/commands.h"
#include "core/common/safe_text.h"
#include "core/numtext/numtext.h"

#include <cstdio>
#include <optional>
#include <string>

namespace nirdal::cli {

int RunFormat(Arguments args)
{
    if (WantsHelp(args)) {
        std::puts("usage: nirdal-cli format X...\n\n"
                  "Prints each number X (read as the coefficient entry reads it) as the program\n"
                  "displays it: three significant digits, truncated.");
        return 0;
    }
    if (args.empty())
        return UsageError("format", "no number given");
    for (std::string_view arg : args) {
        const std::optional<Extended> x = ReadNumber(arg);
        if (!x)
            return UsageError("format", ConversionError(arg).what());
        std::puts(FormatNumber(*x).c_str());
    }
    return 0;
}

int RunParse(Arguments args)
{
    if (WantsHelp(args)) {
        std::puts("usage: nirdal-cli parse TEXT...\n\n"
                  "Reads each TEXT as the coefficient entry does and prints the shortest text of\n"
                  "the value read, or why the text is refused. Exit status 1 if any text was\n"
                  "refused.");
        return 0;
    }
    int status = 0;
    for (std::string_view arg : args) {
        try {
            std::puts(ShortestText(ParseNumber(arg)).c_str());
        } catch (const ConversionError& error) {
            std::puts(error.what());
            status = 1;
        }
    }
    return status;
}

} // namespace nirdal::cli
