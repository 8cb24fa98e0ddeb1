// SPDX-License-Identifier: MIT
// The desktop program: start-up, the title screen's event loop, and the ending.
#include "core/common/safe_text.h"
#include "core/roster/roster.h"
#include "core/tf/assignment.h"
#include "core/settings/print_settings.h"
#include "core/tf/tf_text.h"
#include "screens/plot/analysis_window.h"
#include "screens/shell/controls.h"
#include "screens/shell/desktop.h"
#include "screens/shell/display_platform.h"
#include "screens/shell/form.h"
#include "screens/shell/road.h"
#include "version.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>

namespace {

bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Without any display Qt aborts with a long message; say it in one line instead. A chosen
// platform (offscreen, vnc …) is the user's business.
bool HasDisplay()
{
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
}

// Exit status for a bad command line, as nirdal-cli gives it.
constexpr int kUsageError = 2;

// "--explore NUM:DEN[:DELAY]": the analysis window alone for one transfer function. Returns
// false for any other command line, with the reason in error.
bool ReadExploreArguments(int argc, char** argv, nirdal::TransferFunction& variant,
                          std::string& error)
{
    if (argc != 3 || std::string_view(argv[1]) != "--explore") {
        error = "usage: nirdal [--explore NUM:DEN[:DELAY]]";
        return false;
    }
    std::string reason;
    if (!nirdal::ParseTransferFunctionText(argv[2], variant, reason)) {
        error = "--explore " + nirdal::QuotedArgument(argv[2]) + ": " + nirdal::TerminalText(reason);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // Answered before any display is needed, so a package check or a script can ask.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("nirdal %s\n", nirdal::kProgramVersion);
        return 0;
    }
    // A bad text is told before any display is looked for: no window opens for it.
    nirdal::TransferFunction explored;
    const bool explore = argc > 1;
    if (explore) {
        std::string error;
        if (!ReadExploreArguments(argc, argv, explored, error)) {
            std::fprintf(stderr, "nirdal: %s\n", error.c_str());
            return kUsageError;
        }
    }
    if (!HasDisplay()) {
        std::fprintf(stderr, "nirdal: no display: set DISPLAY or WAYLAND_DISPLAY to a desktop "
                             "session (or run it under xvfb-run)\n");
        return 1;
    }
    if (const char* platform = nirdal::ChosenPlatform(
            std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY"), std::getenv("QT_QPA_PLATFORM")))
        qputenv("QT_QPA_PLATFORM", platform);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nirdal"));
    // Docks and task bars find the icon and name of the windows by the desktop entry: its
    // file name on Wayland, its StartupWMClass against the class "nirdal" on X11.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.nirdal.Nirdal"));
    QApplication::setQuitOnLastWindowClosed(false);
    if (!nirdal::SetUpDesktop(application))
        std::fprintf(stderr, "nirdal: Qt's Russian translations are not installed (Debian package "
                             "qt6-translations-l10n): standard buttons and dialogs read in "
                             "English\n");

    if (explore) {
        // The teacher's window alone: no roster, no settings, no road; closing it ends it.
        nirdal::AnalysisWindow analysis(explored, 1);
        analysis.ShowModal();
        return 0;
    }

    // The application object comes first only so that a failure can be shown; no window
    // exists before the roster is read.
    try {
        nirdal::InitialiseRoster(nirdal::ProgramRoster());
        for (const auto& odd : nirdal::PassedOverRosterFiles())
            std::fprintf(stderr,
                         "nirdal: %s is not a regular file: passed over as no roster file\n",
                         odd.c_str());
        nirdal::InitialiseSettings(nirdal::ProgramAssignment().Print);
    } catch (const nirdal::RosterFileError& error) {
        // The roster may come from the user's folder or the machine's: say which file.
        nirdal::ShowErrorBox(nullptr, QString::fromUtf8(error.what()) + QStringLiteral("\n\n") +
                                          QString::fromStdString(error.File().string()));
        return 1;
    } catch (const std::exception& error) {
        nirdal::ShowErrorBox(nullptr, QString::fromUtf8(error.what()));
        return 1;
    }

    QApplication::setWindowIcon(
        QIcon(nirdal::LoadPicture(QStringLiteral(":/pictures/emblem.jpg"))));
    nirdal::CreateScreens();
    nirdal::ShowMainWindow();
    const int status = QApplication::exec();
    nirdal::DestroyForms();
    nirdal::FinaliseSettings(
        nirdal::ProgramAssignment().Print); // the settings are written back, changed or not
    return status;
}
