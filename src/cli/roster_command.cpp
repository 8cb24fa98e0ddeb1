// SPDX-License-Identifier: MIT
// roster: the roster store as the program loads it at start-up, and the writing of its file.
#include "cli/commands.h"
#include "cli/option_reader.h"
#include "core/common/safe_text.h"
#include "core/roster/roster.h"
#include "core/roster/roster_table.h"
#include "platform/data_root.h"
#include "platform/regular_file.h"
#include "platform/whole_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

namespace nirdal::cli {

namespace {

namespace fs = std::filesystem;

enum class RosterAction
{
    List,
    Csv,
    Write
};

struct RosterOptions
{
    RosterAction Action = RosterAction::List;
    std::string From;    ///< --from FILE; empty: standard input
    bool System = false; ///< --system
    std::string Output;  ///< -o FILE
};

bool ReadRosterOptions(Arguments args, RosterOptions& options, std::string& error)
{
    bool write = false, csv = false;
    const auto reason = ReadOptions(
        args,
        {{"--write", false},
         {"--csv", false},
         {"--system", false},
         {"--from", true, "a file name"},
         {"-o", true, "a file name"}},
        [&](std::string_view name, std::string_view value) -> std::optional<std::string> {
            write = write || name == "--write";
            csv = csv || name == "--csv";
            options.System = options.System || name == "--system";
            if (name != "--from" && name != "-o")
                return std::nullopt;
            if (value.empty())
                return std::string(name) + ": the file name is empty";
            (name == "-o" ? options.Output : options.From) = value;
            return std::nullopt;
        });
    if (reason) {
        error = *reason;
        return false;
    }
    if (write && csv) {
        error = "give either --write or --csv";
        return false;
    }
    if (!write && (options.System || !options.Output.empty() || !options.From.empty())) {
        error = "--from, --system and -o go with --write";
        return false;
    }
    if (options.System && !options.Output.empty()) {
        error = "give either --system or -o FILE";
        return false;
    }
    options.Action = write ? RosterAction::Write : csv ? RosterAction::Csv : RosterAction::List;
    return true;
}

// Where --write puts the file, and whether the folder may be made for it.
fs::path TargetFile(const RosterOptions& options, std::string& error)
{
    if (!options.Output.empty())
        return options.Output;
    fs::path root = DataRoot();
    if (options.System) {
        const std::vector<fs::path> roots = SystemDataRoots();
        if (roots.empty()) {
            error = "XDG_DATA_DIRS names no absolute folder for the machine-wide roster";
            return {};
        }
        root = roots.front();
    }
    return RosterFilePath(root);
}

int WriteRoster(const RosterOptions& options)
{
    const std::string source = options.From.empty() ? "standard input" : options.From;
    // 180 names fit in a few kilobytes; a FIFO or a device is no table.
    constexpr std::size_t kMaxTableBytes = 1u << 20;
    std::string table;
    if (options.From.empty()) {
        if (!ReadWholeStream(stdin, table, kMaxTableBytes)) {
            std::fprintf(stderr, "nirdal-cli roster: cannot read %s: %s\n", source.c_str(),
                         errno == EFBIG
                             ? ("larger than " + std::to_string(kMaxTableBytes) + " bytes, not read").c_str()
                             : std::strerror(errno));
            return 1;
        }
    } else if (std::string error; !ReadRegularFile(options.From, kMaxTableBytes, table, error)) {
        std::fprintf(stderr, "nirdal-cli roster: cannot read %s\n", TerminalText(error).c_str());
        return 1;
    }
    RosterGroups groups{};
    int headerLine = 0;
    if (const auto refusal = ReadRosterTable(table, groups, &headerLine)) {
        std::fprintf(stderr, "nirdal-cli roster: %s:%d: %s; nothing written\n",
                     TerminalText(source).c_str(), refusal->Line,
                     TerminalText(refusal->Message).c_str());
        return 1;
    }
    if (headerLine != 0)
        std::fprintf(stderr, "nirdal-cli roster: %s:%d: a header, skipped\n",
                     TerminalText(source).c_str(), headerLine);

    std::string error;
    const fs::path file = TargetFile(options, error);
    if (file.empty()) {
        std::fprintf(stderr, "nirdal-cli roster: %s\n", error.c_str());
        return 1;
    }
    std::error_code made;
    if (options.System) {
        // Every student account reads the machine-wide roster, whatever the umask: the
        // program's own folders up to it are opened to all.
        if (!CreateDirectoriesForEveryone(file.parent_path(), SystemDataRoots().front(), error))
            made = std::error_code(errno, std::generic_category());
    } else if (options.Output.empty()) {
        fs::create_directories(file.parent_path(), made);
        if (made)
            error = "cannot make " + file.parent_path().string() + ": " + made.message();
    }
    const FileReaders readers =
        options.System ? FileReaders::Everyone : FileReaders::AsUmaskAllows;
    if (made || !ReplaceFile(file, RosterFileBytes(groups), readers, error)) {
        const int code = made ? made.value() : errno;
        const bool denied = code == EACCES || code == EPERM || code == EROFS;
        std::fprintf(stderr, "nirdal-cli roster: %s%s\n", error.c_str(),
                     options.System && denied
                         ? "\nThe machine-wide roster needs administrator rights: run the "
                           "command with sudo."
                         : "");
        return 1;
    }
    int names = 0, groupsNamed = 0;
    for (const RosterGroup& group : groups) {
        int inGroup = 0;
        for (const auto& surname : group.Surnames)
            inGroup += surname.Text() != StoredFreeSlotMark() ? 1 : 0;
        names += inGroup;
        groupsNamed += group.GroupName.Length > 0 || inGroup > 0 ? 1 : 0;
    }
    std::printf("wrote %d name%s in %d group%s to %s\n", names, names == 1 ? "" : "s", groupsNamed,
                groupsNamed == 1 ? "" : "s", file.c_str());
    return 0;
}

} // namespace

int RunRoster(Arguments args)
{
    if (WantsHelp(args)) {
        std::puts(
            "usage: nirdal-cli roster [--csv]\n"
            "       nirdal-cli roster --write [--from FILE] [--system | -o FILE]\n\n"
            "Makes the roster folder and loads the roster as the program does at start-up:\n"
            "from ROOT/drive_c/Program Files/Microsoft Office/abtom/curso.ASM, else from the\n"
            "same path under the first machine-wide folder that holds it (nirdal/ under each\n"
            "folder of $XDG_DATA_DIRS, by default /usr/local/share:/usr/share), else from the\n"
            "built-in table. ROOT is $NIRDAL_ROOT, else $XDG_DATA_HOME/nirdal, else\n"
            "~/.local/share/nirdal.\n\n"
            "Prints where the roster came from, then for each group its code, whether it is\n"
            "present, how many slots the selection screen shows, and their surnames (UTF-8).\n"
            "  --csv        print the loaded roster as a table that --write reads back; a\n"
            "               name a spreadsheet would run as a formula (=, +, -, @) is quoted\n"
            "               with an apostrophe inside the quotes, which --write drops\n\n"
            "--write reads a table from standard input (or --from FILE), a line\n"
            "'group,surname' (fields may be quoted, blank and # lines are ignored) in UTF-8\n"
            "or Windows-1251; the fields are separated by semicolons instead when the first\n"
            "line has a semicolon and no comma, as a spreadsheet on a Russian desktop saves\n"
            "it. Groups in the order they first appear, at most six; names in slot order, at\n"
            "most thirty a group; group codes up to 5 and surnames up to 40 characters of\n"
            "Windows-1251. A surname written as \"Свободнович С.С.\" leaves its slot free, as\n"
            "do the slots after a group's last name. It writes the six 1236-byte records,\n"
            "whole or not at all, to the roster file under ROOT, or\n"
            "  --system     to the machine-wide one, under the first folder of $XDG_DATA_DIRS\n"
            "               (administrator rights needed)\n"
            "  -o FILE      to FILE\n"
            "A bad line is reported with its number and nothing is written.\n\n"
            "Exit status 1 when the roster file cannot be read (e.g. it is shorter than six\n"
            "records of 1236 bytes), or when --write refused the table or could not write.");
        return 0;
    }
    RosterOptions options;
    std::string error;
    if (!ReadRosterOptions(args, options, error))
        return UsageError("roster", error);
    if (options.Action == RosterAction::Write)
        return WriteRoster(options);

    const fs::path root = DataRoot();
    RosterGroups roster{};
    RosterSource source;
    try {
        source = InitialiseRoster(roster, root);
    } catch (const RosterFileError& failure) {
        std::fprintf(stderr, "nirdal-cli roster: %s: %s\n", failure.File().c_str(), failure.what());
        return 1;
    }
    if (options.Action == RosterAction::Csv) {
        const std::string table = RosterTableText(roster);
        std::fwrite(table.data(), 1, table.size(), stdout);
        return 0;
    }

    for (const std::filesystem::path& odd : PassedOverRosterFiles(root))
        std::fprintf(stderr, "nirdal-cli roster: %s is not a regular file: passed over\n",
                     TerminalText(odd.string()).c_str());
    if (source == RosterSource::File)
        std::printf("roster file: %s\n", FindRosterFile(root).c_str());
    else
        std::printf("built-in roster (no roster file at %s)\n", RosterFilePath(root).c_str());
    for (int g = 1; g <= kGroupCount; ++g) {
        // A roster file written elsewhere may hold any byte; the terminal gets none raw.
        std::printf("group %d \"%s\": %s, %d slots\n", g,
                    TerminalText(RosterGroupName(roster, g)).c_str(),
                    GroupPresent(roster, g) ? "present" : "absent", GroupCount(roster, g));
        for (int s = 1; s <= GroupCount(roster, g); ++s)
            std::printf("%4d  %s\n", s, TerminalText(RosterSurname(roster, g, s)).c_str());
    }
    return 0;
}

} // namespace nirdal::cli
