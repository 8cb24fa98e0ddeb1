// SPDX-License-Identifier: MIT
#include "cli/sweep_options.h"

#include "cli/option_reader.h"
#include "core/common/safe_text.h"

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
    auto error = ReadOptions(
        args, {{"--tf"}, {"--continue"}},
        [&](std::string_view name, std::string_view value) -> std::optional<std::string> {
            if (name == "--tf") {
                haveTf = true;
                return ReadVariantOption(value, options.Variant);
            }
            long long k = 0;
            if (!ReadWholeText(value, 0, kMaxContinuations, k))
                return "--continue needs a whole number from 0 to 1000, not " +
                       QuotedArgument(value);
            options.Continuations = static_cast<int>(k);
            return std::nullopt;
        });
    if (!error && !haveTf)
        error = kVariantRequired;
    if (error)
        UsageError(command, *error);
    return !error;
}

} // namespace nirdal::cli
