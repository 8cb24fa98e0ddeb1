// SPDX-License-Identifier: MIT
// format and parse: the number text conversion as the screens use it.
#include "cli/commands.h"
#include "core/common/safe_text.h"
#include "core/numtext/numtext.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace nirdal::cli {

int RunFormat(Arguments args)
{
    if (WantsHelp(args)) {
        std::puts("usage: nirdal-cli format X...\n\n"
                  "Prints each decimal number X (read as the nearest extended value) as the\n"
                  "program displays it: three significant digits, truncated.");
        return 0;
    }
    if (args.empty())
        return UsageError("format", "no number given");
    for (std::string_view arg : args) {
        const std::string text(arg);
        char* end = nullptr;
        const Extended x = std::strtold(text.c_str(), &end);
        if (text.empty() || *end != '\0')
            return UsageError("format", QuotedArgument(text) + " is not a number");
        std::puts(FormatNumber(x).c_str());
    }
    return 0;
}

int RunParse(Arguments args)
{
    if (WantsHelp(args)) {
        std::puts("usage: nirdal-cli parse TEXT...\n\n"
                  "Reads each TEXT as the coefficient entry does and prints the value (%.21Lg),\n"
                  "or the conversion error's message. Exit status 1 if any text failed.");
        return 0;
    }
    int status = 0;
    for (std::string_view arg : args) {
        try {
            std::printf("%.21Lg\n", ParseNumber(arg));
        } catch (const ConversionError& error) {
            std::puts(error.what());
            status = 1;
        }
    }
    return status;
}

} // namespace nirdal::cli
