// nirdal-export: writes the pictures of `nirdal-cli plot -o FILE`, which runs it with its own
// arguments. Kept apart so that nirdal-cli never loads Qt.
#include "cli/plot_job.h"
#include "core/common/recording_surface.h"
#include "core/plot/print_page.h"
#include "export/picture_file.h"

#include <QGuiApplication>
#include <QtGlobal>

#include <cstdio>
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

} // namespace

int main(int argc, char** argv)
{
    using namespace nirdal;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    cli::PlotJob job;
    std::string error;
    if (!cli::ParsePlotArguments(args, job, error) || job.OutputPath.empty()) {
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

    for (const std::string& note : cli::ComputePlotVariants(job))
        std::fprintf(stderr, "nirdal-cli plot: %s\n", note.c_str());
    RecordingSurface recording;
    PlotFields fields;
    cli::DrawPlotJob(job, fields, recording);

    const QString path = QString::fromStdString(job.OutputPath);
    QString failure;
    bool written = false;
    if (job.PaperDotsPerUnit) {
        const SurfaceRules rules = PageRules(fields);
        written = WritePagePicture(path, recording.ops(),
                                   QPoint(rules.HorizontalAxisEnd, rules.VerticalAxisEnd), failure);
    } else {
        written = WriteScreenPicture(path, recording.ops(), failure);
    }
    if (!written) {
        std::fprintf(stderr, "nirdal-cli plot: %s\n", failure.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
