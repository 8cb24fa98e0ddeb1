// nirdal-export: writes the pictures of `nirdal-cli plot -o FILE`, which runs it with its own
// arguments, and of `nirdal-cli batch --plots DIR`, which hands it a job a line with --jobs.
// Kept apart so that nirdal-cli never loads Qt.
#include "cli/plot_job.h"
#include "core/common/recording_surface.h"
#include "core/plot/print_page.h"
#include "export/picture_file.h"

#include <QGuiApplication>
#include <QtGlobal>

#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

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
    for (const std::string& note : cli::ComputePlotVariants(job))
        std::fprintf(stderr, "nirdal-cli plot: %s\n", note.c_str());
    const QString path = QString::fromStdString(job.OutputPath);
    const int dotsPerInch = job.PageDotsPerInch;
    PlotFields fields;
    QString failure;
    bool written = false;
    if (!job.PaperDotsPerUnit) {
        RecordingSurface recording;
        cli::DrawPlotJob(job, fields, recording);
        written = WriteScreenPicture(path, recording.ops(), failure);
    } else if (path.endsWith(".pdf", Qt::CaseInsensitive)) {
        // Drawn on the PDF itself, so the layout measures the very font it is set in.
        written = WritePagePdfFile(
            path, [&](PageSurface& page) { cli::DrawPlotJob(job, fields, page); }, dotsPerInch,
            failure);
    } else {
        // An image or SVG is one sheet as long as the page's drawing, as wide as A4.
        RecordingSurface recording(PageTextMeasure(dotsPerInch),
                                   {A4Sheet(dotsPerInch).Width, kEndlessSheet.Height});
        const PrintedPage page = cli::DrawPlotJob(job, fields, recording);
        written = WritePagePicture(path, recording.ops(), QPoint(page.AxesRight, page.AxesBottom),
                                   dotsPerInch, failure);
    }
    if (!written) {
        std::fprintf(stderr, "nirdal-cli plot: %s\n", failure.toLocal8Bit().constData());
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
    for (int number = 1; std::getline(std::cin, line); ++number) {
        std::vector<std::string_view> args;
        for (std::string_view rest = line;;) {
            const std::size_t tab = rest.find('\t');
            args.push_back(rest.substr(0, tab));
            if (tab == std::string_view::npos)
                break;
            rest.remove_prefix(tab + 1);
        }
        nirdal::cli::PlotJob job;
        std::string error;
        if (!nirdal::cli::ParsePlotArguments(args, job, error) || job.OutputPath.empty()) {
            std::fprintf(stderr, "nirdal-export: job %d: %s\n", number,
                         error.empty() ? "needs -o FILE" : error.c_str());
            status = 1;
        } else if (WriteJob(job) != 0) {
            status = 1;
        }
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace nirdal;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const bool jobLines = args.size() == 1 && args[0] == "--jobs";
    cli::PlotJob job;
    std::string error;
    if (!jobLines && (!cli::ParsePlotArguments(args, job, error) || job.OutputPath.empty())) {
        std::fprintf(stderr, "nirdal-export: %s\n",
                     error.empty() ? "needs -o FILE" : error.c_str());
        return cli::kUsageError;
    }

    // Pictures need fonts but no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);
    return jobLines ? WriteJobLines() : WriteJob(job);
}
