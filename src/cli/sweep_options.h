// SPDX-License-Identifier: MIT
#pragma once

#include "cli/commands.h"
#include "core/tf/transfer_function.h"

#include <string_view>

namespace nirdal::cli {

/// The variant and the start search continuations named by "--tf NUM:DEN[:DELAY]
/// [--continue K]".
struct SweepOptions
{
    TransferFunction Variant;
    int Continuations = 0;
};

/// The option lines of --help for --tf and --continue.
extern const char* const kSweepOptionsHelp;

/// Reads the options of `command`; on bad input prints the reason and returns false.
bool ParseSweepOptions(std::string_view command, Arguments args, SweepOptions& options);

} // namespace nirdal::cli
