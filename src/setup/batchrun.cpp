#include "setup/batchrun.h"

#include "binding/applyreport.h"
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

Account::Account(const Options &options, std::FILE *err)
    : m_options(options), m_progress(err, options.progress)
{
    m_journal.started = QDateTime::currentDateTimeUtc();
}

void Account::attach(InstallForm &form)
{
    if (m_options.preview)
        form.bindings.batchPreview = &m_journal;
    else if (m_options.report)
        form.bindings.applyJournal = &m_journal;
    if (m_options.progress)
        form.bindings.bindingProgress = [this](int done, int total) {
            m_progress.update(done, total);
        };
}

int Account::complete(InstallForm &form, int messagesShown, const QString &program, std::FILE *err)
{
    m_progress.finish();
    m_journal.ended = QDateTime::currentDateTimeUtc();
    m_journal.server = form.environment.fullComputerName;
    m_journal.environment = form.platform().description();
    if (m_options.preview) {
        std::fputs(ApplyReport::planText(m_journal).toLocal8Bit().constData(), m_options.out);
        std::fflush(m_options.out);
    }
    const int status = finish(form, messagesShown, err);
    if (!m_options.report)
        return status;
    const QString failure =
        m_options.report->commit(m_journal, program + QLatin1Char(' ') + m_options.version);
    if (failure.isEmpty())
        return status;
    std::fprintf(err, "%s: %s\n", qPrintable(program), qPrintable(failure));
    return LoggedErrorsExitStatus;
}

int runWithoutDisplay(platform::Platform &platform, const QString &arguments,
                      const QString &program, std::FILE *err, const Options &options)
{
    ConsoleScreen screen(err);
    InstallForm form(platform, screen, arguments);
    Account account(options, err);
    account.attach(form);
    try {
        form.onLoad();
        form.onActivate();
        // Outside a batch run the preview is of CHANGE with the controls as start-up left them.
        if (options.preview && !form.environment.batchMode && !form.unloaded)
            form.bindings.previewApply(*form.bindings.batchPreview);
        if (!form.unloaded)
            form.onExitClicked();
    } catch (const platform::PlatformError &error) {
        return reportRuntimeError(error, program, form.environment.caption, nullptr, err);
    }
    return account.complete(form, int(screen.messages.size()), program, err);
}

} // namespace BatchRun
