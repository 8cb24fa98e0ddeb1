// SPDX-License-Identifier: MIT
// nirdal-cli: the program's computations for teachers and scripts.
#include "cli/commands.h"
#include "core/common/safe_text.h"
#include "version.h"

#include <cerrno>
#include <cstdio>
#include <string_view>
#include <vector>

namespace nirdal::cli {

namespace {

struct Subcommand
{
    std::string_view name;
    int (*run)(Arguments);
    std::string_view summary;
};

constexpr Subcommand kSubcommands[] = {
    {"format", RunFormat, "print each number as the program displays it"},
    {"parse", RunParse, "read each text as the coefficient entry does"},
    {"roster", RunRoster, "load the roster as the program does and print it"},
    {"settings", RunSettings, "load the two settings as the program does and print them"},
    {"sweep", RunSweep, "compute the frequency response of one variant"},
    {"listing", RunListing, "print the values listing the computation screen draws"},
    {"plot", RunPlot, "draw hodographs, step responses or log characteristics to a file"},
    {"analyse", RunAnalyse, "poles, Nyquist verdict and stability margins of variants"},
    {"step", RunStep, "closed-loop step response of variants, the delay exact"},
    {"bode", RunBode, "logarithmic characteristics of variants and their asymptotes"},
    {"map", RunMap, "the region of gain and added delay where the closed loop is stable"},
    {"batch", RunBatch, "analyse every variant of a class file (and draw them per student)"},
    {"assign", RunAssign, "a variant for every student from a template, the handout and the key"},
};

void PrintUsage(std::FILE* out)
{
    std::fprintf(out, "usage: nirdal-cli COMMAND [ARGUMENTS]\n\ncommands:\n");
    for (const Subcommand& command : kSubcommands)
        std::fprintf(out, "  %-9s %.*s\n", command.name.data(),
                     static_cast<int>(command.summary.size()), command.summary.data());
    std::fprintf(out, "\n'nirdal-cli COMMAND --help' describes one command; "
                      "'nirdal-cli --version' names the release.\n");
}

} // namespace

bool ReadWholeStream(std::FILE* stream, std::string& content, std::size_t maxBytes)
{
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0) {
        if (content.size() + got > maxBytes) {
            content.clear();
            errno = EFBIG;
            return false;
        }
        content.append(buffer, got);
    }
    return std::ferror(stream) == 0;
}

bool WantsHelp(Arguments args)
{
    return args.size() == 1 && (args[0] == "--help" || args[0] == "-h");
}

int UsageError(std::string_view command, std::string_view message)
{
    // Arguments are quoted cut and escaped; this is the last guard for the terminal.
    const std::string shown = TerminalText(message);
    std::fprintf(stderr, "nirdal-cli %.*s: %.*s\nTry 'nirdal-cli %.*s --help'.\n",
                 static_cast<int>(command.size()), command.data(), static_cast<int>(shown.size()),
                 shown.data(), static_cast<int>(command.size()), command.data());
    return kUsageError;
}

} // namespace nirdal::cli

int main(int argc, char** argv)
{
    using namespace nirdal::cli;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        PrintUsage(args.empty() ? stderr : stdout);
        return args.empty() ? kUsageError : 0;
    }
    if (args[0] == "--version") {
        std::printf("nirdal-cli %s\n", nirdal::kProgramVersion);
        return 0;
    }
    for (const auto& command : kSubcommands) {
        if (args[0] == command.name)
            return command.run(Arguments(args).subspan(1));
    }
    std::fprintf(stderr, "nirdal-cli: unknown command '%.*s'\n", static_cast<int>(args[0].size()),
                 args[0].data());
    PrintUsage(stderr);
    return kUsageError;
}
