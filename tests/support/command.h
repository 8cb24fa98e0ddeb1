// SPDX-License-Identifier: MIT
#pragma once

#include "support/temporary_root.h"

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace nirdal::test_support {

struct CommandResult
{
    int status = -1;
    std::string output; ///< standard output
    std::string errors; ///< standard error
};

/// Runs a shell command line and keeps what it prints and its exit status.
inline CommandResult RunCommand(const std::string& command)
{
    TemporaryRoot scratch;
    const auto errors = scratch.Path() / "stderr";
    CommandResult result;
    FILE* pipe = popen((command + " 2>'" + errors.string() + "'").c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.errors = ReadFile(errors);
    return result;
}

/// Whether text holds part anywhere.
inline bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

#ifdef NIRDAL_CLI
/// Runs the nirdal-cli under test with arguments, already quoted for the shell.
inline CommandResult RunCli(const std::string& arguments)
{
    return RunCommand(std::string("'") + NIRDAL_CLI + "' " + arguments);
}
#endif

} // namespace nirdal::test_support
