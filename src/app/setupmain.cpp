#include "platform/configuredplatform.h"
#include "platform/platformerror.h"
#include "setup/batchrun.h"
#include "setup/installform.h"
#include "shell/batchswitch.h"
#include "shell/displaycheck.h"
#include "shell/runtimeerror.h"
#include "shell/toolkitmessages.h"
#include "ui/disclaimerdialog.h"
#include "ui/installwindow.h"
#include "ui/qtscreen.h"
#include "ui/setupapplication.h"
#include "version.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <QIcon>
#include <QTimer>

namespace {

const char *const program = "kestrelon-setup";

const char *const usage =
    "Usage: kestrelon-setup [-b] [--report FILE]\n"
    "       kestrelon-setup --preview [-b] [--report FILE]\n"
    "       kestrelon-setup --check-directory | --check-store\n"
    "\n"
    "Installs the Kestrelon junk-mail sink, edits its rule and binds it to the\n"
    "mailboxes of this server.\n"
    "\n"
    "  -b, /b      batch mode: rewrite every existing binding with the installed\n"
    "              rule, print the error log to standard error and end; needs\n"
    "              no display, and waits for nobody (a message goes to\n"
    "              standard error, answered with OK)\n"
    "  --preview   list what CHANGE (with -b: the batch run) would change,\n"
    "              asking the store what exists and changing nothing\n"
    "  --report FILE  with -b or --preview: write a JSON report of every\n"
    "              mailbox's attempts and outcome to FILE, put in place when\n"
    "              complete (format: docs/report-format.md)\n"
    "  --check-directory  sign in to the directory as the program does, print\n"
    "              what it finds (global catalog, domain, mailbox count) and end\n"
    "  --check-store  open the store's mailbox root as the program does and end\n"
    "  -h, --help  show this text\n"
    "  --version   show the program's version\n"
    "\n"
    "Environment:\n"
    "  KESTRELON_LAB     the lab file to run on (default: the demo lab in the\n"
    "                    user's data folder, created on first use)\n"
    "  KESTRELON_CONFIG  an INI file naming real servers to run against\n"
    "                    (see README, \"Running against a real directory\")\n"
    "\n"
    "Exit status: 0 done (or the disclaimer declined); 1 batch mode logged errors\n"
    "or stopped at a message; 2 no usable display for the window, or an unknown\n"
    "option or report file; 3 a run-time error ended the program (reported on standard error).\n";

constexpr int NoDisplayExitStatus = 2;
constexpr int UsageExitStatus = 2;

// The command line: the preview and report switches taken out, everything else after the
// program name as one text, as the rest of the program reads it.
struct CommandLine
{
    QString arguments;
    bool preview = false;
    QString reportPath;
    QString error;
};

CommandLine readCommandLine(int argc, char **argv)
{
    CommandLine line;
    QStringList rest;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1String("--preview")) {
            line.preview = true;
        } else if (argument == QLatin1String("--report")) {
            if (i + 1 == argc || !line.reportPath.isEmpty()) {
                line.error = QStringLiteral("--report needs one FILE");
                return line;
            }
            line.reportPath = QString::fromLocal8Bit(argv[++i]);
        } else {
            rest << argument;
        }
    }
    line.arguments = rest.join(QLatin1Char(' '));
    if (!line.reportPath.isEmpty() && !line.preview && !isBatchSwitch(line.arguments))
        line.error = QStringLiteral("--report needs -b or --preview");
    return line;
}

} // namespace

int main(int argc, char **argv)
{
    // A server that closes a connection while we write is an error of that connection,
    // reported as such; it must not end the program silently.
    std::signal(SIGPIPE, SIG_IGN);
    const CommandLine commandLine = readCommandLine(argc, argv);
    const QString &arguments = commandLine.arguments;
    if (!commandLine.error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n%s", program, qPrintable(commandLine.error), usage);
        return UsageExitStatus;
    }
    if (arguments == QLatin1String("-h") || arguments == QLatin1String("--help")) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (arguments == QLatin1String("--version")) {
        std::printf("%s %s\n", program, programVersion);
        return 0;
    }

    const bool checkStore = arguments == QLatin1String("--check-store");
    if (arguments.startsWith(QLatin1String("--")) && !checkStore &&
        arguments != QLatin1String("--check-directory")) {
        std::fprintf(stderr, "%s: unknown option %s\n%s", program,
                     qPrintable(arguments.section(QLatin1Char(' '), 0, 0)), usage);
        return UsageExitStatus;
    }
    if (arguments == QLatin1String("--check-directory") || checkStore) {
        QCoreApplication app(argc, argv);
        try {
            auto platform =
                platform::createConfiguredPlatform(QProcessEnvironment::systemEnvironment());
            const QString report =
                checkStore ? platform::storeCheck(*platform) : platform::directoryCheck(*platform);
            std::fputs(report.toLocal8Bit().constData(), stdout);
            return 0;
        } catch (const platform::PlatformError &error) {
            return reportRuntimeError(error, QLatin1String(program), QString(), nullptr, stderr);
        }
    }

    // A report that cannot be written is refused before anything is changed.
    std::unique_ptr<ReportFile> report;
    if (!commandLine.reportPath.isEmpty()) {
        report = std::make_unique<ReportFile>(commandLine.reportPath);
        const QString problem = report->open();
        if (!problem.isEmpty()) {
            std::fprintf(stderr, "%s: %s\n", program, qPrintable(problem));
            return UsageExitStatus;
        }
    }
    BatchRun::Options options;
    options.preview = commandLine.preview;
    options.report = report.get();
    options.progress = ConsoleProgress::isTerminal(stderr);
    options.version = QLatin1String(programVersion);

    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const bool batch = isBatchSwitch(arguments);
    const auto runWithoutWindow = [&] {
        QCoreApplication app(argc, argv);
        try {
            auto platform = platform::createConfiguredPlatform(environment);
            return BatchRun::runWithoutDisplay(*platform, arguments, QLatin1String(program), stderr,
                                               options);
        } catch (const platform::PlatformError &error) {
            return reportRuntimeError(error, QLatin1String(program), QString(), nullptr, stderr);
        }
    };
    // A preview prints a listing and ends: it needs no window.
    if (commandLine.preview)
        return runWithoutWindow();
    const QString displayIssue = displayProblem(environment);
    if (!displayIssue.isEmpty() && !batch) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(noDisplayMessage(QLatin1String(program), displayIssue)));
        return NoDisplayExitStatus;
    }
    if (batch) {
        // A scheduler reads standard error: the program's own lines only.
        keepOnlyProgramMessages();
    }
    if (batch && (!displayIssue.isEmpty() ||
                  isHeadlessPlatform(environment.value(QStringLiteral("QT_QPA_PLATFORM"))))) {
        // Nobody could see a window: run the same behaviour without one.
        return runWithoutWindow();
    }

    SetupApplication app(argc, argv);
    QApplication::setApplicationName(QLatin1String(program));
    // The desktop entry's name lets a Wayland compositor match the window to its menu entry.
    QGuiApplication::setDesktopFileName(QLatin1String(program));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kestrelon-setup.svg")));

    QtScreen screen;
    std::unique_ptr<platform::Platform> platform;
    std::unique_ptr<InstallForm> form;
    std::unique_ptr<InstallWindow> view;
    BatchRun::Account account(options, stderr);
    // A run-time error ends the program where it happens, as nothing above it can
    // continue sensibly; the report goes out first.
    const auto endWithReport = [&](const platform::PlatformError &error) {
        Screen *visible = isHeadlessPlatform(QGuiApplication::platformName()) ? nullptr : &screen;
        const QString caption =
            form ? form->environment.caption : QStringLiteral("Kestrelon setup");
        const int status =
            reportRuntimeError(error, QLatin1String(program), caption, visible, stderr);
        std::fflush(stdout);
        std::_Exit(status);
    };
    app.onRuntimeError = endWithReport;

    // Start-up, then the window; its first activation runs once it is on the screen, as
    // an event of its own.
    const auto openMainWindow = [&] {
        try {
            platform = platform::createConfiguredPlatform(environment);
            form = std::make_unique<InstallForm>(*platform, screen, arguments);
            if (batch)
                account.attach(*form);
            form->onLoad();
            screen.unattended = form->environment.batchMode;
        } catch (const platform::PlatformError &error) {
            endWithReport(error);
        }
        view = std::make_unique<InstallWindow>(*form);
        view->attachScreen(screen);
        view->show();
        QTimer::singleShot(0, view.get(), &InstallWindow::activateFirstTime);
    };

    if (batch || isHeadlessPlatform(QGuiApplication::platformName())) {
        openMainWindow();
    } else {
        // Asked at every interactive start that someone can see; never in batch mode, where
        // nobody may be there to answer.
        DisclaimerForm disclaimer(screen);
        disclaimer.openMainWindow = openMainWindow;
        DisclaimerDialog dialog(disclaimer);
        if (dialog.exec() != QDialog::Accepted)
            return 0;
    }
    const int status = app.exec();
    if (form->environment.batchMode)
        return account.complete(*form, screen.unattendedMessages, QLatin1String(program), stderr);
    return status;
}
