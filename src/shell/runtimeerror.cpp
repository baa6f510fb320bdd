#include "shell/runtimeerror.h"

QString runtimeErrorMessage(const platform::PlatformError &error)
{
    return QStringLiteral("Run-time error '%1':\n\n%2").arg(error.number).arg(error.description);
}

QString runtimeErrorLine(const QString &program, const platform::PlatformError &error)
{
    return QStringLiteral("%1: run-time error %2: %3\n")
        .arg(program)
        .arg(error.number)
        .arg(error.description);
}

int reportRuntimeError(const platform::PlatformError &error, const QString &program,
                       const QString &caption, Screen *screen, std::FILE *err)
{
    // The line goes out first: whoever started the program sees it even if the box
    // is never answered.
    std::fputs(runtimeErrorLine(program, error).toLocal8Bit().constData(), err);
    std::fflush(err);
    if (screen)
        screen->messageBox(runtimeErrorMessage(error), Screen::Icon::Critical, caption);
    return RuntimeErrorExitStatus;
}
