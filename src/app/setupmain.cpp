#include "platform/lab/labfile.h"
#include "platform/platformerror.h"
#include "shell/installform.h"
#include "ui/installformview.h"
#include "ui/qtscreen.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace {

const char *const usage =
    "Usage: kestrelon-setup [-b]\n"
    "\n"
    "Installs the Kestrelon junk-mail sink, edits its rule and binds it to the\n"
    "mailboxes of this server.\n"
    "\n"
    "  -b, /b      batch mode: rewrite every existing binding with the current\n"
    "              settings, print the error log to standard error and end\n"
    "  -h, --help  show this text\n"
    "\n"
    "Environment:\n"
    "  KESTRELON_LAB  the lab file to run on (default: the demo lab in the\n"
    "                 user's data folder, created on first use)\n";

// Everything after the program name, as one text.
QString argumentText(int argc, char **argv)
{
    QStringList parts;
    for (int i = 1; i < argc; ++i)
        parts << QString::fromLocal8Bit(argv[i]);
    return parts.join(QLatin1Char(' '));
}

} // namespace

int main(int argc, char **argv)
{
    const QString arguments = argumentText(argc, argv);
    if (arguments == QLatin1String("-h") || arguments == QLatin1String("--help")) {
        std::fputs(usage, stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestrelon-setup"));

    try {
        const QString labPath = qEnvironmentVariableIsSet("KESTRELON_LAB")
                                    ? qEnvironmentVariable("KESTRELON_LAB")
                                    : lab::defaultLabPath();
        std::unique_ptr<platform::Platform> platform = lab::openLab(labPath);
        QtScreen screen;
        InstallForm form(*platform, screen, arguments);
        InstallFormView view(form);
        screen.setWindow(&view);
        screen.beforeEvents = [&view] { view.sync(); };
        view.show();
        return app.exec();
    } catch (const platform::PlatformError &error) {
        std::fprintf(stderr, "kestrelon-setup: error %d: %s\n", error.number,
                     qPrintable(error.description));
        return 1;
    }
}
