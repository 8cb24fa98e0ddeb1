// roster: the roster store as the program loads it at start-up.
#include "cli/commands.h"
#include "core/roster/roster.h"
#include "platform/text_encoding.h"

#include <cstdio>

namespace nirdal::cli {

int RunRoster(Arguments args)
{
    if (WantsHelp(args)) {
        std::puts(
            "usage: nirdal-cli roster\n\n"
            "Makes the roster folder and loads the roster as the program does at start-up:\n"
            "from ROOT/drive_c/Program Files/Microsoft Office/abtom/curso.ASM, or from the\n"
            "built-in table when that file does not open. ROOT is $NIRDAL_ROOT, else\n"
            "$XDG_DATA_HOME/nirdal, else ~/.local/share/nirdal.\n\n"
            "Prints where the roster came from, then for each group its code, whether it is\n"
            "present, how many slots the selection screen shows, and their surnames (UTF-8).\n"
            "Exit status 1 when the roster file cannot be read (e.g. it is shorter than six\n"
            "records of 1236 bytes).");
        return 0;
    }
    if (!args.empty())
        return UsageError("roster", "takes no arguments");

    const std::filesystem::path root = DataRoot();
    RosterSource source;
    try {
        source = InitialiseRoster(root);
    } catch (const RosterFileError& error) {
        std::fprintf(stderr, "nirdal-cli roster: %s: %s\n", RosterFilePath(root).c_str(),
                     error.what());
        return 1;
    }
    CountGroups();

    if (source == RosterSource::File)
        std::printf("roster file: %s\n", RosterFilePath(root).c_str());
    else
        std::printf("built-in roster (no roster file at %s)\n", RosterFilePath(root).c_str());
    for (int g = 1; g <= kGroupCount; ++g) {
        std::printf("group %d \"%s\": %s, %d slots\n", g, Cp1251ToUtf8(RosterGroupName(g)).c_str(),
                    GroupPresent(g) ? "present" : "absent", GroupCount(g));
        for (int s = 1; s <= GroupCount(g); ++s)
            std::printf("%4d  %s\n", s, Cp1251ToUtf8(RosterSurname(g, s)).c_str());
    }
    return 0;
}

} // namespace nirdal::cli
