#include "setup/batchrun.h"

#include "shell/consolescreen.h"
#include "shell/runtimeerror.h"

namespace BatchRun {

int finish(const InstallForm &form, int messagesShown, std::FILE *err)
{
    if (form.errorLog.isEmpty())
        return messagesShown > 0 ? LoggedErrorsExitStatus : 0;
    // The window's line ends are CR LF; a terminal wants LF.
    QString log = form.errorLogEdit.text();
    log.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    std::fputs(log.toLocal8Bit().constData(), err);
    std::fflush(err);
    return LoggedErrorsExitStatus;
}

int runWithoutDisplay(platform::Platform &platform, const QString &arguments,
                      const QString &program, std::FILE *err)
{
    ConsoleScreen screen(err);
    InstallForm form(platform, screen, arguments);
    try {
        form.onLoad();
        form.onActivate();
        if (!form.unloaded)
            form.onExitClicked();
    } catch (const platform::PlatformError &error) {
        return reportRuntimeError(error, program, form.caption, nullptr, err);
    }
    return finish(form, int(screen.messages.size()), err);
}

} // namespace BatchRun
