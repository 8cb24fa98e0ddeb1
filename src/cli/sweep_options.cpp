// SPDX-License-Identifier: MIT
#include "cli/sweep_options.h"

#include "core/common/safe_text.h"
#include "core/tf/tf_text.h"

#include <charconv>
#include <string>

namespace nirdal::cli {

namespace {

// Each continuation costs 51 search iterations; the bound keeps the 16-bit step count
// of the screen from wrapping.
constexpr int kMaxContinuations = 1000;

} // namespace

const char* const kSweepOptionsHelp =
    "  --tf NUM:DEN[:DELAY]  the transfer function: comma-separated coefficients, highest\n"
    "                        power first (hexadecimal floats are exact), and the delay T in\n"
    "                        seconds; e.g. --tf 1:1,4,6,4,1:0.5 is exp(-0.5s)/(s+1)^4\n"
    "  --continue K          continue the start search K times (0..1000, default 0)\n";

bool ParseSweepOptions(std::string_view command, Arguments args, SweepOptions& options)
{
    bool haveTf = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view option = args[i];
        if (option != "--tf" && option != "--continue") {
            UsageError(command, "unknown argument " + QuotedArgument(option));
            return false;
        }
        if (i + 1 == args.size()) {
            UsageError(command, std::string(option) + " needs a value");
            return false;
        }
        const std::string_view value = args[++i];
        if (option == "--tf") {
            std::string error;
            if (!ParseTransferFunctionText(value, options.Variant, error)) {
                UsageError(command, "--tf " + QuotedArgument(value) + ": " + error);
                return false;
            }
            haveTf = true;
        } else {
            int k = -1;
            const auto [end, status] =
                std::from_chars(value.data(), value.data() + value.size(), k);
            if (status != std::errc() || end != value.data() + value.size() || k < 0 ||
                k > kMaxContinuations) {
                UsageError(command, "--continue needs a whole number from 0 to 1000, not " + QuotedArgument(value));
                return false;
            }
            options.Continuations = k;
        }
    }
    if (!haveTf) {
        UsageError(command, "--tf NUM:DEN[:DELAY] is required");
        return false;
    }
    return true;
}

} // namespace nirdal::cli
