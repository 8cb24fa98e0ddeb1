// SPDX-License-Identifier: MIT
// batch: the analysis of every variant of a class file, and the hodographs of each student.
#include "cli/analysis_report.h"
#include "cli/commands.h"
#include "cli/draw_files.h"
#include "cli/exporter.h"
#include "cli/option_reader.h"
#include "core/analysis/class_file.h"
#include "core/common/russian_text.h"
#include "core/common/safe_text.h"
#include "platform/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace nirdal::cli {

namespace {

struct BatchOptions
{
    std::string Path;
    std::string PlotDirectory;
    std::string ReportPath;
    std::string* ReportBytes = nullptr; ///< where the report goes instead of ReportPath
    ReportFormat Format = ReportFormat::Text;
    std::string Command = "batch"; ///< the command the report's messages speak for
    bool Key = false;       ///< the report is assign's key: its columns, the answers to mark
    bool TableOnly = false; ///< the report's table alone, without a page a student
    /// The slips of the key, one a line of the class file in order: their variant numbers
    /// stand instead of a student's count of his lines, their notes among his row's.
    std::vector<KeySlip> Slips;
};

// What the pictures and the report keep of a student: the variants drawn into his picture
// and his rows of the report's table; not his analyses.
struct Student
{
    std::string Name, Group;
    int Variants = 0;               ///< his lines read, drawn or not
    std::vector<std::string> Drawn; ///< the first kMaxVariants variants as NUM:DEN:DELAY
    std::vector<std::vector<std::string>> ReportRows;
};

bool ReadBatchOptions(Arguments args, BatchOptions& options, std::string& error)
{
    const auto refusal = ReadOptions(
        args, {{""}, {"--plots"}, {"--format"}, {"--report"}},
        [&](std::string_view name, std::string_view value) -> std::optional<std::string> {
            if (name.empty()) {
                options.Path = value;
            } else if (name == "--plots") {
                if (value.find_first_of("\t\n") != std::string_view::npos)
                    return "--plots: the directory name must not hold tabs or line breaks";
                options.PlotDirectory = value;
            } else if (name == "--report") {
                if (value.find_first_of("\t\n") != std::string_view::npos ||
                    !value.ends_with(".pdf"))
                    return "--report: the file name must end in .pdf and hold no tabs or line "
                           "breaks";
                options.ReportPath = value;
            } else {
                return ReadFormatOption(value, options.Format);
            }
            return std::nullopt;
        });
    if (refusal)
        error = *refusal;
    else if (options.Path.empty())
        error = "the class file is required";
    return error.empty();
}

// Only characters that are safe in a file name on any system, blanks as underscores.
std::string FileNamePart(std::string_view text)
{
    std::string name;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        name += byte < 0x20 || std::strchr("/\\:*?\"<>| ", c) != nullptr ? '_' : c;
    }
    if (name.starts_with('.'))
        name[0] = '_';
    return name;
}

// Tabs and line breaks separate the exporter's arguments and jobs.
std::string JobArgument(std::string_view text)
{
    std::string argument(text);
    std::replace_if(
        argument.begin(), argument.end(),
        [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return argument;
}

} // namespace

// Runs nirdal-export with option and its value, and hands it input on standard input.
int RunExporter(const std::string& option, const std::string& value, const std::string& input,
                std::string* output)
{
    std::string error;
    const std::string exporter = ExporterPath(error);
    if (exporter.empty()) {
        std::fprintf(stderr, "nirdal-cli: %s\n", error.c_str());
        return 1;
    }
    int inputEnds[2] = {-1, -1}, outputEnds[2] = {-1, -1};
    if (pipe2(inputEnds, O_CLOEXEC) != 0 || (output && pipe2(outputEnds, O_CLOEXEC) != 0)) {
        std::fprintf(stderr, "nirdal-cli: %s\n", std::strerror(errno));
        return 1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inputEnds[0], STDIN_FILENO);
    if (output)
        posix_spawn_file_actions_adddup2(&actions, outputEnds[1], STDOUT_FILENO);
    std::string program = exporter, optionText = option, valueText = value;
    char* argv[] = {program.data(), optionText.data(),
                    valueText.empty() ? nullptr : valueText.data(), nullptr};
    std::fflush(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, exporter.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(inputEnds[0]);
    if (output)
        close(outputEnds[1]);
    if (spawned != 0) {
        close(inputEnds[1]);
        if (output)
            close(outputEnds[0]);
        std::fprintf(stderr, "nirdal-cli: cannot run %s: %s\n", exporter.c_str(),
                     std::strerror(spawned));
        return 1;
    }
    // An exporter that stops early must not end this program with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    // The input handed over and the output taken in turns, so that neither pipe fills up
    // while the other waits.
    constexpr std::size_t kMostOutput = std::size_t{1} << 30;
    std::size_t written = 0;
    int inputEnd = inputEnds[1], outputEnd = output ? outputEnds[0] : -1;
    bool outputTooLong = false;
    while (inputEnd >= 0 || outputEnd >= 0) {
        pollfd ends[2] = {{inputEnd, POLLOUT, 0}, {outputEnd, POLLIN, 0}};
        if (poll(ends, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (inputEnd >= 0 && ends[0].revents != 0) {
            const std::size_t chunk = std::min<std::size_t>(input.size() - written, 65536);
            const ssize_t n = chunk > 0 ? write(inputEnd, input.data() + written, chunk) : 0;
            if (n > 0)
                written += static_cast<std::size_t>(n);
            if (written == input.size() || (n < 0 && errno != EINTR && errno != EAGAIN)) {
                close(inputEnd);
                inputEnd = -1;
            }
        }
        if (outputEnd >= 0 && ends[1].revents != 0) {
            char buffer[65536];
            const ssize_t n = read(outputEnd, buffer, sizeof buffer);
            outputTooLong = n > 0 && output->size() + static_cast<std::size_t>(n) > kMostOutput;
            if (n > 0 && !outputTooLong) {
                output->append(buffer, static_cast<std::size_t>(n));
            } else if (n >= 0 || (errno != EINTR && errno != EAGAIN)) {
                close(outputEnd);
                outputEnd = -1;
            }
        }
    }
    if (inputEnd >= 0)
        close(inputEnd);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return !outputTooLong && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}

namespace {

// Notes on standard error the variants of a student that his picture leaves out.
void NoteUndrawn(const Student& student)
{
    if (student.Variants > kMaxVariants)
        std::fprintf(stderr, "nirdal-cli batch: %s: only the first %d variants drawn\n",
                     TerminalText(Excerpt(student.Name)).c_str(), kMaxVariants);
}

// Hands one job a line to nirdal-export --jobs, so that Qt starts once for the class.
int WritePlots(const std::string& directory, const std::vector<Student>& students)
{
    std::error_code failure;
    std::filesystem::create_directories(directory, failure);
    if (failure) {
        std::fprintf(stderr, "nirdal-cli batch: --plots %s: %s\n", TerminalText(directory).c_str(),
                     failure.message().c_str());
        return 1;
    }
    std::string jobs;
    std::set<std::string> names;
    for (const Student& student : students) {
        std::string base =
            student.Group.empty() ? FileNamePart(student.Name)
                                  : FileNamePart(student.Group) + "_" + FileNamePart(student.Name);
        // "Иванов И.И." ends in a point: "Иванов_И.И.png", not "…И..png".
        while (base.ends_with('.'))
            base.pop_back();
        std::string name = base;
        for (int copy = 2; !names.insert(name).second; ++copy)
            name = base + "~" + std::to_string(copy);
        jobs += "--surname\t" + JobArgument(student.Name);
        for (const std::string& text : student.Drawn)
            jobs += "\t--tf\t" + text;
        jobs += "\t-o\t" + JobArgument(directory) + "/" + name + ".png\n";
    }
    if (RunExporter("--jobs", "", jobs) != 0) {
        std::fprintf(stderr, "nirdal-cli batch: some pictures were not written\n");
        return 1;
    }
    return 0;
}

// Hands the class table, the skipped lines and each student's variants to nirdal-export
// --report.
int WriteReportFile(const std::string& path, std::string* bytes, const std::string& classFile,
                    const std::vector<ClassFileProblem>& problems,
                    const std::vector<Student>& students, std::size_t variants,
                    const BatchOptions& options)
{
    const std::string& command = options.Command;
    std::string input = std::string(options.Key ? "columns\tkey\n" : "") +
                        (options.TableOnly ? "pages\tnone\n" : "") + "command\t" + command +
                        "\ntitle\t" +
        JobArgument(
            (options.Key ? "Ключ: " : "Сводный отчёт: ") + std::filesystem::path(classFile).filename().string() + " — " +
            RussianCount(static_cast<long long>(students.size()), "студент", "студента",
                         "студентов") +
            ", " +
            RussianCount(static_cast<long long>(variants), "вариант", "варианта", "вариантов")) +
        "\n";
    for (const ClassFileProblem& problem : problems)
        input += "skipped\t" + std::to_string(problem.Line) + "\t" +
                 JobArgument(problem.RussianMessage) + "\n";
    for (const Student& student : students) {
        input += "student\t" + JobArgument(student.Name) + "\n";
        for (const std::string& text : student.Drawn)
            input += "tf\t" + text + "\n";
        for (const std::vector<std::string>& cells : student.ReportRows) {
            input += "row";
            for (const std::string& cell : cells)
                input += "\t" + JobArgument(cell);
            input += "\n";
        }
    }
    // Only what ends so is a whole report: the exporter commits nothing cut short.
    input += "end\n";
    if (RunExporter("--report", bytes ? "/dev/stdout" : path, input, bytes) != 0) {
        std::fprintf(stderr, "nirdal-cli %s: the class report %s was not written\n",
                     command.c_str(), TerminalText(path).c_str());
        return 1;
    }
    return 0;
}

// Analyses the class file's content: the table on standard output when table is set, the
// pictures and the report as options ask.
int AnalyseClass(const std::string& content, const std::string& shownPath,
                 const BatchOptions& options, bool table)
{
    // One variant at a time: analysed, written or kept as a row of the table, and dropped.
    const bool keepStudents = !options.PlotDirectory.empty() || !options.ReportPath.empty();
    std::vector<ClassFileProblem> problems;
    std::vector<Student> students;
    std::map<std::pair<std::string, std::string>, std::size_t> studentIndex;
    std::vector<int> numbers; // variants read so far, by student
    std::size_t variants = 0;
    int status = 0;
    std::optional<ReportWriter> writer;
    if (table)
        writer.emplace(stdout, options.Format, true);
    // A class file of assign has a line a student: a second line of one group and name is
    // another student of that name, never merged into one with two variants.
    DrawIdentity draw;
    std::string handout, key;
    const bool lineAStudent = ReadDrawHeader(content, draw, handout, key);
    std::vector<int> firstLines; // by student
    const auto skipLine = [&](ClassFileProblem& problem) {
        std::fprintf(stderr, "%s:%d: skipped: %s\n", shownPath.c_str(), problem.Line,
                     TerminalText(problem.Message).c_str());
        status = 1;
        if (!options.ReportPath.empty())
            problems.push_back(std::move(problem));
    };
    ReportRow row;
    int headerLine = 0;
    ReadClassFile(
        content,
        [&](ClassVariant& variant) {
            const auto [at, added] = studentIndex.emplace(
                std::make_pair(variant.Group, variant.Student), numbers.size());
            if (added) {
                numbers.push_back(0);
                firstLines.push_back(variant.Line);
                if (keepStudents)
                    students.push_back({variant.Student, variant.Group, 0, {}, {}});
            } else if (lineAStudent) {
                const std::string first = std::to_string(firstLines[at->second]);
                ClassFileProblem twice{
                    variant.Line,
                    "a student of group " + Excerpt(variant.Group) + " named " +
                        Excerpt(variant.Student) + " is on line " + first +
                        " already: two students of one group and name",
                    "студент группы " + Excerpt(variant.Group) + " " + Excerpt(variant.Student) +
                        " уже есть в строке " + first + ": двое с одной группой и фамилией"};
                skipLine(twice);
                return;
            }
            row.Line = variant.Line;
            row.Student = std::move(variant.Student);
            row.Group = std::move(variant.Group);
            row.Number = ++numbers[at->second];
            row.Text = std::move(variant.Text);
            row.Analysis = AnalyseStability(variant.Variant);
            ++variants;
            if (!row.Analysis.Failure.empty()) {
                std::fprintf(stderr, "%s:%d: not analysed: %s\n", shownPath.c_str(), row.Line,
                             TerminalText(row.Analysis.Failure.English).c_str());
                status = 1;
            }
            if (writer)
                writer->Add(row);
            if (keepStudents) {
                Student& student = students[at->second];
                if (++student.Variants <= kMaxVariants)
                    student.Drawn.push_back(row.Text);
                if (!options.ReportPath.empty()) {
                    student.ReportRows.push_back(options.Key
                                                     ? ClassKeyCells(row, variant.Variant)
                                                     : ClassReportCells(row));
                    if (variants <= options.Slips.size()) {
                        std::vector<std::string>& cells = student.ReportRows.back();
                        const KeySlip& slip = options.Slips[variants - 1];
                        cells[2] = slip.Number;
                        if (!slip.Note.empty())
                            cells.back() = slip.Note + (cells.back().empty() ? "" : "; ") +
                                           cells.back();
                    }
                }
            }
        },
        skipLine, &headerLine);
    if (headerLine != 0 && !options.Key)
        std::fprintf(stderr, "nirdal-cli %s: %s:%d: a header, skipped\n", options.Command.c_str(),
                     shownPath.c_str(), headerLine);
    if (writer)
        writer->Finish();
    std::fflush(stdout);
    // Said once, though the pictures and the report both leave them out.
    for (const Student& student : students)
        NoteUndrawn(student);
    if (!options.PlotDirectory.empty() && variants > 0 &&
        WritePlots(options.PlotDirectory, students) != 0)
        status = 1;
    if (!options.ReportPath.empty() &&
        WriteReportFile(options.ReportPath, options.ReportBytes, options.Path, problems, students,
                        variants, options) != 0)
        status = 1;
    return status;
}

} // namespace

int WriteClassKey(const std::string& classBytes, const std::string& className,
                  const std::vector<KeySlip>& slips, bool tableOnly, std::string& pdf)
{
    BatchOptions options;
    options.Slips = slips;
    options.Key = true;
    options.TableOnly = tableOnly;
    options.Path = className;
    options.ReportPath = className;
    options.ReportBytes = &pdf;
    options.Command = "assign";
    return AnalyseClass(classBytes, TerminalText(className), options, false);
}

int RunBatch(Arguments args)
{
    if (WantsHelp(args)) {
        std::printf(
            "usage: nirdal-cli batch FILE [--plots DIR] [--report FILE.pdf]\n"
            "                        [--format text|csv|json]\n\n"
            "Analyses every variant of a class file as 'analyse' does and prints a table,\n"
            "one line a variant. FILE holds comma-separated lines\n"
            "  student,group,numerator,denominator[,delay]\n"
            "with the coefficients highest power first, separated by blanks or semicolons,\n"
            "and the delay in seconds (empty: 0). A number has a decimal point, or a decimal\n"
            "comma between its digits read as the coefficient entry reads it (\"1,5 1\" is\n"
            "1.5s + 1; the field needs quotes); a comma before a blank still separates\n"
            "(\"1, 5, 1\"), any other comma is refused. Fields may be quoted (\"...\", \"\"\n"
            "for a quote). Blank lines and lines starting with # are ignored, and so is a\n"
            "first line whose denominator holds no digit (a header). The file is UTF-8, or\n"
            "Windows-1251 when it is not; its fields are separated by semicolons instead\n"
            "when its first line has fewer than four fields at commas and enough at\n"
            "semicolons, as a spreadsheet on a Russian desktop saves it (a decimal comma\n"
            "needs no quotes there). A bad line is reported on standard error with its\n"
            "number and skipped; the others are still analysed.\n\n"
            "  --plots DIR   also draw each student's variants as the graph screen shows\n"
            "                them, into DIR/GROUP_STUDENT.png (DIR is created if missing)\n"
            "  --report FILE.pdf  also write the class report, in Russian: the table\n"
            "                (student, group, variant, verdict, margins, notes), the skipped\n"
            "                lines with their numbers and reasons, then a page per student\n"
            "                with his variants as printed at 300 dots per unit and his rows\n"
            "  --format F    text (default), csv or json; text shows control characters\n"
            "                in names as escapes (\\x1b); csv puts an apostrophe inside the\n"
            "                quotes of a text a spreadsheet would run as a formula (\"'=1+1\"),\n"
            "                which the class file reader drops again; numbers stay plain\n\n%s\n"
            "Exit status 1 when a line was skipped, a variant could not be analysed or a\n"
            "picture or the report was not written; the table then holds everything else.\n",
            kAnalysisHelp);
        return 0;
    }
    BatchOptions options;
    std::string error;
    if (!ReadBatchOptions(args, options, error))
        return UsageError("batch", error);

    const std::string shownPath = TerminalText(options.Path);
    // A class of 100,000 lines is a few megabytes; a FIFO or a device is no class file.
    constexpr std::size_t kMaxClassFileBytes = 256u << 20;
    std::string content;
    if (!ReadRegularFile(options.Path, kMaxClassFileBytes, content, error)) {
        std::fprintf(stderr, "nirdal-cli batch: cannot read %s\n", TerminalText(error).c_str());
        return 1;
    }
    if (content.empty())
        std::fprintf(stderr, "nirdal-cli batch: %s holds no variants\n", shownPath.c_str());

    // A class file of assign and the handout and key beside it: marks against a class file
    // of another draw would be wrong without a word.
    const std::vector<std::string> mismatches = CheckDrawPartners(options.Path, content);
    for (const std::string& mismatch : mismatches)
        std::fprintf(stderr, "nirdal-cli batch: %s: %s\n", shownPath.c_str(),
                     TerminalText(mismatch).c_str());
    const int status = AnalyseClass(content, shownPath, options, true);
    return mismatches.empty() ? status : 1;
}

} // namespace nirdal::cli
