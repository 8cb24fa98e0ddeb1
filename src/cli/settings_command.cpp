// SPDX-License-Identifier: MIT
// settings: the two stored print settings as the program loads them at start-up.
#include "cli/commands.h"
#include "core/settings/print_settings.h"
#include "platform/data_root.h"

#include <cstdio>

namespace nirdal::cli {

int RunSettings(Arguments args)
{
    if (WantsHelp(args)) {
        std::puts(
            "usage: nirdal-cli settings\n\n"
            "Loads the print gain (\"pecats\") and the print method (\"zadan\") from the key\n"
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\tarn5\\INF as the program does at start-up,\n"
            "storing the defaults 1 and 2 where nothing is stored, and prints\n\n"
            "  print gain: G      (%.21Lg)\n"
            "  print method: M    (0 none, 1 by text, 2 WINWORD)\n\n"
            "The registry is the file ROOT/registry/machine.reg; ROOT is $NIRDAL_ROOT, else\n"
            "$XDG_DATA_HOME/nirdal, else ~/.local/share/nirdal. Without write access to it\n"
            "nothing is stored and both settings stay 0.");
        return 0;
    }
    if (!args.empty())
        return UsageError("settings", "takes no arguments");

    PrintChoice choice;
    InitialiseSettings(choice, MachineRegistry());
    std::printf("print gain: %.21Lg\n", GetPrintGain(choice));
    std::printf("print method: %u\n", static_cast<unsigned>(GetPrintMethod(choice)));
    return 0;
}

} // namespace nirdal::cli
