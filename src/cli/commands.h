// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nirdal::cli {

/// Arguments of one subcommand, after the subcommand's own name.
using Arguments = std::span<const std::string_view>;

/// Exit status for a bad command line.
constexpr int kUsageError = 2;

int RunFormat(Arguments args);
int RunParse(Arguments args);
int RunRoster(Arguments args);
int RunSettings(Arguments args);
int RunSweep(Arguments args);
int RunListing(Arguments args);
int RunPlot(Arguments args);
int RunAnalyse(Arguments args);
int RunStep(Arguments args);
int RunBode(Arguments args);
int RunMap(Arguments args);
int RunBatch(Arguments args);
int RunAssign(Arguments args);

/// Makes assign's key of a class file's bytes: the class report as `batch --report` makes it,
/// with className in its title, the key's columns (ClassKeyCells) and what the slips say
/// (one a line of the class file), its pages a student left out when tableOnly, into pdf;
/// nothing is printed on standard output. 0 on success, 1 when a line was skipped, a variant
/// not analysed or the key not made.
struct KeySlip
{
    std::string Number; ///< the variant number on the slip
    std::string Note;   ///< Russian, added to the row's notes; may be empty
};
int WriteClassKey(const std::string& classBytes, const std::string& className,
                  const std::vector<KeySlip>& slips, bool tableOnly, std::string& pdf);

/// Appends everything left in stream to content, at most maxBytes of it; false, with errno
/// telling why, on a read error or (EFBIG, content empty) when the stream holds more.
bool ReadWholeStream(std::FILE* stream, std::string& content, std::size_t maxBytes);

/// True when args is exactly "--help" or "-h"; subcommands print their usage then.
bool WantsHelp(Arguments args);

/// Prints "nirdal-cli: MESSAGE" and a pointer to --help on standard error; returns kUsageError.
int UsageError(std::string_view command, std::string_view message);

} // namespace nirdal::cli
