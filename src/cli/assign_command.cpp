// SPDX-License-Identifier: MIT
// assign: a variant for every student of the roster from the teacher's template, with the
// class file, the handout and the key.
#include "cli/commands.h"
#include "cli/draw_files.h"
#include "cli/exporter.h"
#include "cli/option_reader.h"
#include "core/analysis/class_file.h"
#include "core/assign/variant_draw.h"
#include "core/common/csv_line.h"
#include "core/common/safe_text.h"
#include "core/roster/roster.h"
#include "platform/data_root.h"
#include "platform/regular_file.h"

#include <cerrno>
#include <chrono>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace nirdal::cli {

namespace {

struct AssignOptions
{
    std::string TemplatePath, ClassPath, HandoutPath, KeyPath;
    std::string KeepPath; ///< an earlier class file whose students keep their variants
    std::uint64_t Seed = 0;
    bool SeedGiven = false;
    bool TableOnly = false; ///< the key's table alone, without a page a student
};

bool ReadAssignOptions(Arguments args, AssignOptions& options, std::string& error)
{
    const auto takeFile = [](std::string_view name,
                             std::string_view value) -> std::optional<std::string> {
        if (value.empty())
            return std::string(name) + ": the file name is empty";
        if (value.find_first_of("\t\n") != std::string_view::npos)
            return std::string(name) + ": the file name must not hold tabs or line breaks";
        return std::nullopt;
    };
    const auto refusal = ReadOptions(
        args,
        {{""}, {"--seed"}, {"-o"}, {"--handout"}, {"--key"}, {"--keep"}, {"--table-only", false}},
        [&](std::string_view name, std::string_view value) -> std::optional<std::string> {
            if (name.empty()) {
                options.TemplatePath = value;
            } else if (name == "--table-only") {
                options.TableOnly = true;
            } else if (name == "--seed") {
                const auto [end, failure] =
                    std::from_chars(value.data(), value.data() + value.size(), options.Seed);
                if (failure != std::errc() || end != value.data() + value.size())
                    return "--seed takes a whole number from 0 to 18446744073709551615";
                options.SeedGiven = true;
            } else if (auto fault = takeFile(name, value)) {
                return fault;
            } else if (name == "-o") {
                options.ClassPath = value;
            } else if (name == "--keep") {
                options.KeepPath = value;
            } else if (!value.ends_with(".pdf")) {
                return std::string(name) + ": the file name must end in .pdf";
            } else {
                (name == "--handout" ? options.HandoutPath : options.KeyPath) = value;
            }
            return std::nullopt;
        });
    if (refusal)
        error = *refusal;
    else if (options.TemplatePath.empty())
        error = "the template is required";
    else if (!options.SeedGiven)
        error = "--seed N is required";
    else if (options.TableOnly && options.KeyPath.empty())
        error = "--table-only asks for the key's table alone; it needs --key FILE.pdf";
    return error.empty();
}

std::string Joined(const std::vector<std::string>& texts)
{
    std::string joined;
    for (const std::string& text : texts)
        joined += (joined.empty() ? "" : " ") + text;
    return joined;
}

// The class file of `batch`: a header, then a line a student. Decimal commas put the fields in
// quotes, so batch reads each coefficient with ParseNumber, as the coefficient entry does.
std::string ClassFileText(const ClassDraw& assignment)
{
    std::string text = "student,group,numerator,denominator,delay\n";
    for (const AssignedVariant& variant : assignment.Variants)
        text += CsvCell(variant.Surname) + "," + CsvCell(variant.Group) + "," +
                CsvCell(Joined(variant.Numerator)) + "," + CsvCell(Joined(variant.Denominator)) +
                "," + CsvCell(variant.Delay) + "\n";
    return text;
}

// Tabs and line breaks separate the exporter's fields.
std::string Field(std::string text)
{
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

// The path of file as seen from the folder of the class file, as its opening lines name it.
std::string NameFromClassFile(const std::string& file, const std::string& classPath)
{
    std::error_code failure;
    const std::filesystem::path from =
        std::filesystem::absolute(std::filesystem::path(classPath), failure).parent_path();
    const std::filesystem::path to = std::filesystem::absolute(file, failure);
    return to.lexically_normal().lexically_relative(from.lexically_normal()).string();
}

// The variants of an earlier class file, each student's own; false with the reason when a
// line cannot be read or two lines name one student.
bool ReadKeptVariants(const std::string& path, std::vector<KeptVariant>& kept, std::string& error)
{
    std::string content;
    if (!ReadRegularFile(path, std::size_t{256} << 20, content, error))
        return false;
    const std::string shown = TerminalText(path);
    const ClassFile file = ParseClassFile(content);
    if (!file.Problems.empty()) {
        error = shown + ":" + std::to_string(file.Problems.front().Line) + ": " +
                TerminalText(file.Problems.front().Message);
        return false;
    }
    for (const ClassVariant& variant : file.Variants) {
        for (const KeptVariant& earlier : kept) {
            if (earlier.Group == variant.Group && earlier.Surname == variant.Student) {
                error = shown + ":" + std::to_string(variant.Line) + ": a student of group " +
                        TerminalText(Excerpt(variant.Group)) + " named " +
                        TerminalText(Excerpt(variant.Student)) + " is on line " +
                        std::to_string(earlier.Line) +
                        " already: two students of one group and name";
                return false;
            }
        }
        kept.push_back({variant.Group, variant.Student, variant.Variant, variant.Line});
    }
    return true;
}

} // namespace

int RunAssign(Arguments args)
{
    if (WantsHelp(args)) {
        std::printf(
            "usage: nirdal-cli assign TEMPLATE --seed N [-o CLASS.csv] [--handout FILE.pdf]\n"
            "                         [--key FILE.pdf [--table-only]] [--keep OLD.csv]\n\n"
            "Draws a variant for every student of the roster the program reads (free slots\n"
            "skipped) from the template, a UTF-8 file of 'name = value' lines:\n"
            "  task  = the task text printed on every slip\n"
            "  num   = K                         expressions in s: numbers, parameters,\n"
            "  den   = (T1 s + 1)(T2 s + 1)      + - * /number ^whole, parentheses, and\n"
            "  delay = tau                       juxtaposition (2s, T1 s, (s+1)(s+2))\n"
            "  K     = 1 .. 10 step 0.5          a range\n"
            "  T1    = 0.5, 1, 2                 a list\n"
            "  want  = stable; gain margin 1.2 .. 3; phase margin 15 .. 60\n"
            "Conditions: stable, unstable, gain margin A .. B, phase margin A .. B\n"
            "(degrees), delay margin A .. B (seconds), as 'analyse' finds them.\n\n"
            "Each student's values are drawn by SplitMix64 seeded with the 64-bit FNV-1a hash\n"
            "of \"N|GROUP|SURNAME\" (UTF-8), one draw a parameter in template order (the high\n"
            "64 bits of the number times the count of values), and drawn again until the\n"
            "variant meets every condition: the same seed gives the same files, and a\n"
            "student keeps his variant when others join or leave. Coefficients are expanded\n"
            "exactly and written with at most 10 significant digits (ties to even; 6,34E-8\n"
            "beyond the 10^-4 to 10^9 places), within 1e-9 of the exact value as the\n"
            "coefficient entry reads them; those texts are what the student types and what\n"
            "the key analyses.\n\n"
            "  --seed N         the term's seed, 0 to 18446744073709551615\n"
            "  -o CLASS.csv     the class file of 'batch' (standard output without -o)\n"
            "  --handout F.pdf  A4 sheets of as many slips as fit, with cut lines: group,\n"
            "                   surname, variant number, task, W(s) as a textbook writes\n"
            "                   it, the coefficients B_m..B_0, A_n..A_0 and T as typed, and\n"
            "                   ruled places for the answers\n"
            "  --key F.pdf      the key: a table of every variant with the answers to mark\n"
            "                   against (verdict, gain margin, critical gain k·margin with\n"
            "                   k = B_low/A_low, U = -1/margin where the hodograph crosses the\n"
            "                   negative real axis, phase margin, crossover frequency, delay\n"
            "                   margin, overshoot and 5 %% settling time of the step response)\n"
            "                   and notes, then a page a student with his hodograph\n"
            "  --table-only     the key's table alone, without the pages\n"
            "  --keep OLD.csv   every student of an earlier class file keeps exactly his\n"
            "                   variant there (found among his own draws); only students\n"
            "                   new to it are drawn\n\n"
            "A bad template is refused with its line and reason, and so is one whose\n"
            "conditions no draw of 10,000 meets; nothing is written then. Files are\n"
            "written whole or not at all. Exit status 1 on refusal or failure.\n");
        return 0;
    }
    AssignOptions options;
    std::string error;
    if (!ReadAssignOptions(args, options, error))
        return UsageError("assign", error);
    std::vector<DrawFile> named;
    for (const auto& [option, path] : {std::pair{"-o", options.ClassPath},
                                       std::pair{"--handout", options.HandoutPath},
                                       std::pair{"--key", options.KeyPath}}) {
        if (!path.empty())
            named.push_back({option, path, {}});
    }
    if (!CheckDrawOutputs(named, options.TemplatePath, error))
        return UsageError("assign", error);

    const std::string shownTemplate = TerminalText(options.TemplatePath);
    std::string text;
    if (!ReadRegularFile(options.TemplatePath, std::size_t{1} << 20, text, error)) {
        std::fprintf(stderr, "nirdal-cli assign: cannot read %s\n", TerminalText(error).c_str());
        return 1;
    }
    AssignmentTemplate assignment;
    TemplateError refusal;
    if (!ReadAssignmentTemplate(text, assignment, refusal)) {
        std::fprintf(stderr, "%s:%d: %s\n", shownTemplate.c_str(), refusal.Line,
                     TerminalText(refusal.Message).c_str());
        return 1;
    }

    RosterGroups roster{};
    try {
        InitialiseRoster(roster, DataRoot());
    } catch (const RosterFileError& failure) {
        std::fprintf(stderr, "nirdal-cli assign: %s: %s\n", failure.File().c_str(), failure.what());
        return 1;
    }
    std::vector<AssignmentStudent> students;
    for (int g = 1; g <= kGroupCount; ++g) {
        if (!GroupPresent(roster, g))
            continue;
        std::vector<int> slots; // of the group's students so far
        for (int s = 1; s <= GroupCount(roster, g); ++s) {
            const std::string surname = RosterSurname(roster, g, s);
            // A slot without a name (the built-in roster ends its groups so) is nobody.
            if (!IsSlotOccupied(roster, g, s) ||
                surname.find_first_not_of(" \t") == std::string::npos)
                continue;
            const AssignmentStudent student{RosterGroupName(roster, g), surname};
            // Two students of one name would get one variant, or two that the class file
            // and the key could not tell apart.
            for (std::size_t i = 0; i < slots.size(); ++i) {
                if (students[students.size() - slots.size() + i].Surname == student.Surname) {
                    std::fprintf(stderr,
                                 "nirdal-cli assign: the roster holds %s of group %s twice, in "
                                 "slots %d and %d; tell them apart (nirdal-cli roster --csv)\n",
                                 TerminalText(student.Surname).c_str(),
                                 TerminalText(student.Group).c_str(), slots[i], s);
                    return 1;
                }
            }
            slots.push_back(s);
            students.push_back(student);
        }
    }
    if (students.empty()) {
        std::fprintf(stderr, "nirdal-cli assign: the roster has no students\n");
        return 1;
    }

    // A draw that takes longer than a second says how far it has come, once a second.
    const auto start = std::chrono::steady_clock::now();
    auto shown = start;
    const auto progress = [&](std::size_t done, std::size_t total) {
        const auto now = std::chrono::steady_clock::now();
        if (now - start < std::chrono::seconds(1) ||
            (now - shown < std::chrono::seconds(1) && done < total))
            return;
        shown = now;
        std::fprintf(stderr, "nirdal-cli assign: drawn %zu of %zu students\n", done, total);
    };
    std::vector<KeptVariant> kept;
    if (!options.KeepPath.empty() && !ReadKeptVariants(options.KeepPath, kept, error)) {
        std::fprintf(stderr, "nirdal-cli assign: --keep %s\n", error.c_str());
        return 1;
    }
    ClassDraw drawn;
    if (!AssignVariants(assignment, options.Seed, students, drawn, refusal, progress, kept)) {
        std::fprintf(stderr, "%s:%d: %s\n", shownTemplate.c_str(), refusal.Line,
                     TerminalText(refusal.Message).c_str());
        return 1;
    }
    for (const std::string& note : drawn.Notes)
        std::fprintf(stderr, "nirdal-cli assign: note: %s\n", TerminalText(note).c_str());

    // Every file of the draw says which it is, so that files of different draws are told
    // apart; the class file names its handout and key.
    DrawIdentity draw{Fnv1a64(text), options.Seed, 0};
    std::string drawnFor;
    for (const AssignmentStudent& student : students)
        drawnFor += student.Group + "|" + student.Surname + "\n";
    draw.Roster = Fnv1a64(drawnFor);
    const auto fromClass = [&](const std::string& file) {
        return file.empty() || options.ClassPath.empty() ? std::string()
                                                         : NameFromClassFile(file, options.ClassPath);
    };
    const std::string classText =
        DrawHeader(draw, fromClass(options.HandoutPath), fromClass(options.KeyPath)) +
        ClassFileText(drawn);
    // Qt lays its fonts out in the order of a hash seeded at random in every process; with
    // this seed fixed, the same handout and key come out byte for byte.
    setenv("QT_HASH_SEED", "0", 1);
    // Everything is made first; the outputs are put in place only when all of them were made.
    std::vector<DrawFile> outputs;
    if (!options.ClassPath.empty())
        outputs.push_back({"-o", options.ClassPath, classText});
    if (!options.HandoutPath.empty()) {
        std::string input = "task\t" + Field(assignment.Task) + "\n";
        for (const AssignedVariant& variant : drawn.Variants)
            input += "slip\t" + Field(variant.Group) + "\t" + Field(variant.Surname) + "\t" +
                     std::to_string(variant.Number) + "\t" + Field(variant.NumeratorFormula) +
                     "\t" + Field(variant.DenominatorFormula) + "\t" + Joined(variant.Numerator) +
                     "\t" + Joined(variant.Denominator) + "\t" + variant.Delay + "\t" +
                     (assignment.Delay.Root ? "1" : "0") + "\n";
        std::string pdf;
        if (RunExporter("--handout", "/dev/stdout", input, &pdf) != 0) {
            std::fprintf(stderr, "nirdal-cli assign: the handout was not made; nothing written\n");
            return 1;
        }
        StampPdf(pdf, draw);
        outputs.push_back({"--handout", options.HandoutPath, std::move(pdf)});
    }
    if (!options.KeyPath.empty()) {
        const std::string className =
            options.ClassPath.empty() ? std::string("class.csv")
                                      : std::filesystem::path(options.ClassPath).filename().string();
        std::vector<KeySlip> slips;
        for (const AssignedVariant& variant : drawn.Variants)
            slips.push_back({std::to_string(variant.Number), {}});
        for (const RedrawnStudent& redrawn : drawn.Redrawn) {
            const AssignedVariant& holder = drawn.Variants[redrawn.Holder];
            slips[redrawn.Student].Note = "вытянут заново: первый его вариант у " +
                                          holder.Group + " " + holder.Surname;
        }
        std::string pdf;
        if (WriteClassKey(classText, className, slips, options.TableOnly, pdf) != 0) {
            std::fprintf(stderr, "nirdal-cli assign: the key was not made; nothing written\n");
            return 1;
        }
        StampPdf(pdf, draw);
        outputs.push_back({"--key", options.KeyPath, std::move(pdf)});
    }
    if (!WriteDrawFiles(outputs, error)) {
        std::fprintf(stderr, "nirdal-cli assign: %s\n", TerminalText(error).c_str());
        return 1;
    }
    if (options.ClassPath.empty())
        std::fwrite(classText.data(), 1, classText.size(), stdout);
    return 0;
}

} // namespace nirdal::cli
