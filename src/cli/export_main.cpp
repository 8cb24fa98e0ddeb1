// SPDX-License-Identifier: MIT
// nirdal-export: writes the pictures of `nirdal-cli plot -o FILE`, which runs it with its own
// arguments, of `nirdal-cli batch --plots DIR`, which hands it a job a line with --jobs, and
// the class report of `nirdal-cli batch --report FILE`, handed over with --report FILE.
// Kept apart so that nirdal-cli never loads Qt.
#include "cli/plot_job.h"
#include "core/common/recording_surface.h"
#include "core/common/safe_text.h"
#include "core/plot/print_page.h"
#include "core/tf/tf_text.h"
#include "export/class_report.h"
#include "export/handout.h"
#include "export/picture_file.h"
#include "platform/data_root.h"

#include <QGuiApplication>
#include <QtGlobal>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

namespace {

// The graph screen's laser preset: the class report's pages are printed as at that gain.
constexpr nirdal::Extended kLaserDotsPerUnit = 300;

// Qt's own notes about the desktop it runs on mean nothing to a user of the command line;
// its criticals still show.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "nirdal-export: %s\n", message.toLocal8Bit().constData());
}

// Computes, draws and writes one picture; prints the reason and returns 1 on failure.
int WriteJob(const nirdal::cli::PlotJob& job)
{
    using namespace nirdal;
    int missing = 0;
    Assignment drawn;
    for (const std::string& note : cli::ComputePlotVariants(job, drawn, &missing))
        std::fprintf(stderr, "nirdal-cli plot: %s\n", TerminalText(note).c_str());
    const int count = static_cast<int>(job.Variants.size());
    if (missing == count) {
        std::fprintf(stderr, "nirdal-cli plot: %s: nothing to draw; not written\n",
                     TerminalText(job.OutputPath).c_str());
        return 1;
    }
    // The name as given, byte for byte: one the file system cannot hold is refused, not
    // written under another name.
    const std::filesystem::path path(job.OutputPath);
    const bool toPdf = QString::fromStdString(path.extension().string()).toLower() == ".pdf";
    const int dotsPerInch = job.PageDotsPerInch;
    PlotFields fields;
    QString failure;
    bool written = false;
    if (job.Kind != cli::PlotKind::Hodograph) {
        if (toPdf) {
            written = WritePagePdfFile(
                path, [&](PageSurface& page) { cli::DrawPlotJob(job, drawn, fields, page); },
                kPageDotsPerInch, failure);
        } else {
            // Measured in the face the file is written in, at the screen's resolution.
            RecordingSurface recording(PageTextMeasure(kScreenDotsPerInch), kEndlessSheet);
            const PrintedPage page = cli::DrawPlotJob(job, drawn, fields, recording);
            written =
                WritePagePicture(path, recording.ops(), QPoint(page.AxesRight, page.AxesBottom),
                                 kScreenDotsPerInch, failure);
        }
    } else if (!job.PaperDotsPerUnit) {
        RecordingSurface recording;
        cli::DrawPlotJob(job, drawn, fields, recording);
        written = WriteScreenPicture(path, recording.ops(), failure);
    } else if (toPdf) {
        // Drawn on the PDF itself, so the layout measures the very font it is set in.
        written = WritePagePdfFile(
            path, [&](PageSurface& page) { cli::DrawPlotJob(job, drawn, fields, page); },
            dotsPerInch, failure);
    } else {
        // An image or SVG is one sheet as long as the page's drawing, as wide as A4.
        RecordingSurface recording(PageTextMeasure(dotsPerInch),
                                   {A4Sheet(dotsPerInch).Width, kEndlessSheet.Height});
        const PrintedPage page = cli::DrawPlotJob(job, drawn, fields, recording);
        written = WritePagePicture(path, recording.ops(), QPoint(page.AxesRight, page.AxesBottom),
                                   dotsPerInch, failure);
    }
    if (!written) {
        std::fprintf(stderr, "nirdal-cli plot: %s\n", failure.toLocal8Bit().constData());
        return 1;
    }
    if (missing > 0) {
        std::fprintf(stderr, "nirdal-cli plot: %s holds %d of the %d variants; the others "
                             "could not be computed\n",
                     TerminalText(job.OutputPath).c_str(), count - missing, count);
        return 1;
    }
    return 0;
}

// What nirdal-cli hands over on standard input, as the class files it comes from: at most
// this long in all, and a line at most a mebibyte; more is no input of its.
constexpr std::size_t kMostInput = std::size_t{256} << 20;
constexpr std::size_t kMostLine = std::size_t{1} << 20;
std::size_t inputRead = 0;

// The next line of standard input, without its line break; false at the end, and when the
// input or the line grows too long, which is said.
bool NextLine(std::string& line)
{
    line.clear();
    for (int c = 0; (c = getchar_unlocked()) != EOF;) {
        if (++inputRead > kMostInput || line.size() == kMostLine) {
            std::fprintf(stderr,
                         "nirdal-export: standard input holds more than %zu bytes or a line of "
                         "more than %zu\n",
                         kMostInput, kMostLine);
            inputRead = kMostInput + 1;
            return false;
        }
        if (c == '\n')
            return true;
        line += static_cast<char>(c);
    }
    return !line.empty();
}

std::vector<std::string_view> TabFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (std::string_view rest = line;;) {
        const std::size_t tab = rest.find('\t');
        fields.push_back(rest.substr(0, tab));
        if (tab == std::string_view::npos)
            return fields;
        rest.remove_prefix(tab + 1);
    }
}

// The command of nirdal-cli a class report is made for, which its messages speak for.
std::string ReportCommand = "batch";

// A bar on a terminal; elsewhere, as in a log, a line every 20 students.
void ShowProgress(std::size_t done, std::size_t total)
{
    if (isatty(STDERR_FILENO)) {
        constexpr std::size_t kBarWidth = 40;
        const std::size_t filled = total == 0 ? kBarWidth : done * kBarWidth / total;
        std::fprintf(stderr, "\rclass report [%s%s] %zu/%zu students",
                     std::string(filled, '#').c_str(), std::string(kBarWidth - filled, '.').c_str(),
                     done, total);
        if (done == total)
            std::fputc('\n', stderr);
    } else if (done % 20 == 0 || done == total) {
        std::fprintf(stderr, "nirdal-cli %s: class report: %zu of %zu students\n",
                     ReportCommand.c_str(), done, total);
    }
}

// With --report FILE, standard input holds the class report a line a record, fields
// separated by tabs: "title TEXT", the skipped lines of the class file as "skipped LINE
// REASON", then for each student "student NAME", his variants as "tf NUM:DEN:DELAY" and his
// table rows as "row CELL…", and last "end"; first, "command NAME" may name the command of
// nirdal-cli the messages speak for, "columns key" the key's columns instead of the class
// report's, and "pages none" the table alone, without a page a student. Input that stops before "end" is a parent that
// died half-way: nothing is written, lest a shorter report look whole.
int WriteReportLines(const std::filesystem::path& path, pid_t parent)
{
    using namespace nirdal;
    QString title;
    std::vector<ClassReportStudent> students;
    std::vector<ClassReportSkippedLine> skipped;
    std::vector<cli::PlotJob> jobs;
    QStringList columns = kClassReportColumns;
    bool pages = true;
    std::string line;
    bool ended = false;
    for (int number = 1; !ended && NextLine(line); ++number) {
        const std::vector<std::string_view> fields = TabFields(line);
        const std::string_view kind = fields[0];
        const auto text = [&](std::size_t i) {
            return QString::fromUtf8(fields[i].data(), static_cast<qsizetype>(fields[i].size()));
        };
        if (kind == "end" && fields.size() == 1) {
            ended = true;
        } else if (kind == "columns" && fields.size() == 2 && fields[1] == "key") {
            columns = kKeyColumns;
        } else if (kind == "pages" && fields.size() == 2 && fields[1] == "none") {
            pages = false;
        } else if (kind == "command" && fields.size() == 2) {
            ReportCommand = fields[1];
        } else if (kind == "title" && fields.size() == 2) {
            title = text(1);
        } else if (kind == "skipped" && fields.size() == 3) {
            skipped.push_back({text(1).toInt(), text(2)});
        } else if (kind == "student" && fields.size() == 2) {
            students.push_back({text(1), {}});
            jobs.emplace_back();
            jobs.back().Surname = fields[1];
            jobs.back().PaperDotsPerUnit = kLaserDotsPerUnit;
            jobs.back().ClipCurves = true;
        } else if (kind == "tf" && fields.size() == 2 && !jobs.empty()) {
            TransferFunction variant;
            std::string reason;
            if (!ParseTransferFunctionText(fields[1], variant, reason)) {
                std::fprintf(stderr, "nirdal-export: report line %d: %s\n", number, reason.c_str());
                return 1;
            }
            jobs.back().Variants.push_back(variant);
        } else if (kind == "row" && !students.empty()) {
            QStringList cells;
            for (std::size_t i = 1; i < fields.size(); ++i)
                cells << text(i);
            students.back().Rows.push_back(cells);
        } else {
            std::fprintf(stderr, "nirdal-export: report line %d is not understood\n", number);
            return 1;
        }
    }
    if (!ended) {
        std::fprintf(stderr,
                     "nirdal-cli %s: the class report's content stopped before its end; "
                     "%s not written\n",
                     ReportCommand.c_str(), path.c_str());
        return 1;
    }
    // Each student's page drawn on the report's own sheets, so its layout measures the font
    // it is set in; the notes of his computations are in the table.
    const auto drawPage = [&jobs](std::size_t i, PageSurface& sheets) {
        Assignment drawn;
        cli::ComputePlotVariants(jobs[i], drawn);
        PlotFields fields;
        return cli::DrawPlotJob(jobs[i], drawn, fields, sheets).LastSheetBottom;
    };
    QString failure;
    // Put in place only while nirdal-cli, which asked for it, is still there to report it.
    const auto parentStays = [parent] { return getppid() == parent; };
    if (!WriteClassReport(path, title, columns, students, skipped,
                          pages ? StudentPageDrawing(drawPage) : StudentPageDrawing(),
                          ShowProgress, failure, parentStays)) {
        std::fprintf(stderr, "nirdal-cli %s: %s\n", ReportCommand.c_str(),
                     failure.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

// With --handout FILE, standard input holds "task TEXT" and then a slip a line, its fields
// separated by tabs: "slip GROUP SURNAME VARIANT NUMERATOR-FORMULA DENOMINATOR-FORMULA
// NUMERATOR DENOMINATOR DELAY ASKS-DELAY-MARGIN", the coefficients separated by blanks and
// the last field "1" or "0".
int WriteHandoutLines(const std::string& path)
{
    using namespace nirdal;
    std::string task;
    std::vector<HandoutSlip> slips;
    std::string line;
    for (int number = 1; NextLine(line); ++number) {
        const std::vector<std::string_view> fields = TabFields(line);
        const auto words = [&](std::size_t i) {
            std::vector<std::string> texts;
            for (const QString& word :
                 QString::fromUtf8(fields[i].data(), static_cast<qsizetype>(fields[i].size()))
                     .split(' ', Qt::SkipEmptyParts))
                texts.push_back(word.toStdString());
            return texts;
        };
        if (fields[0] == "task" && fields.size() == 2) {
            task = fields[1];
        } else if (fields[0] == "slip" && fields.size() == 10) {
            HandoutSlip slip;
            slip.Group = fields[1];
            slip.Surname = fields[2];
            slip.Variant = std::strtoull(std::string(fields[3]).c_str(), nullptr, 10);
            slip.NumeratorFormula = fields[4];
            slip.DenominatorFormula = fields[5];
            slip.Numerator = words(6);
            slip.Denominator = words(7);
            slip.Delay = fields[8];
            slip.AsksDelayMargin = fields[9] == "1";
            slips.push_back(std::move(slip));
        } else {
            std::fprintf(stderr, "nirdal-export: handout line %d is not understood\n", number);
            return 1;
        }
    }
    if (inputRead > kMostInput)
        return 1;
    std::string error;
    const QByteArray pdf = HandoutPdf(task, slips, error);
    if (pdf.isEmpty() ||
        !ReplaceFile(path, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())),
                     error)) {
        std::fprintf(stderr, "nirdal-cli assign: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

// With --jobs, standard input holds one picture a line, its arguments separated by tabs:
// starting Qt once for a whole class instead of once a picture.
int WriteJobLines()
{
    int status = 0;
    std::string line;
    for (int number = 1; NextLine(line); ++number) {
        nirdal::cli::PlotJob job;
        std::string error;
        // The pictures of batch --plots: the curve cut at the frame.
        job.ClipCurves = true;
        if (!nirdal::cli::ParsePlotArguments(TabFields(line), job, error) ||
            job.OutputPath.empty()) {
            std::fprintf(stderr, "nirdal-export: job %d: %s\n", number,
                         error.empty() ? "needs -o FILE" : error.c_str());
            status = 1;
        } else if (WriteJob(job) != 0) {
            status = 1;
        }
    }
    return inputRead > kMostInput ? 1 : status;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace nirdal;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const bool jobLines = args.size() == 1 && args[0] == "--jobs";
    const bool report = args.size() == 2 && args[0] == "--report";
    const bool handout = args.size() == 2 && args[0] == "--handout";
    cli::PlotJob job;
    std::string error;
    if (!jobLines && !report && !handout &&
        (!cli::ParsePlotArguments(args, job, error) || job.OutputPath.empty())) {
        std::fprintf(stderr, "nirdal-export: %s\n",
                     error.empty() ? "needs -o FILE" : error.c_str());
        return cli::kUsageError;
    }

    // Run by nirdal-cli batch or assign: the exporter goes when it goes (killed, stopped by
    // Ctrl-C), leaving what it has not put in place unwritten. The single picture of plot is
    // nirdal-cli itself, which becomes the exporter.
    const pid_t parent = getppid();
    if ((jobLines || report || handout) && prctl(PR_SET_PDEATHSIG, SIGKILL) == 0 &&
        getppid() != parent)
        return 1;

    // Pictures need fonts but no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);
    if (handout)
        return WriteHandoutLines(argv[2]);
    if (report)
        return WriteReportLines(std::filesystem::path(argv[2]), parent);
    return jobLines ? WriteJobLines() : WriteJob(job);
}
