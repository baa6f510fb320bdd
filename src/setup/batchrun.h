#pragma once

#include "setup/installform.h"
#include "setup/reportfile.h"
#include "shell/consoleprogress.h"

#include <cstdio>

// How a batch run ends: the error log on standard error, and the exit status a scheduler
// reads.
namespace BatchRun {

inline constexpr int LoggedErrorsExitStatus = 1;

// Writes the error log to err (LF line ends) when it holds text. 0 when the run logged
// nothing and showed no message; else LoggedErrorsExitStatus.
int finish(const InstallForm &form, int messagesShown, std::FILE *err);

// What a run does besides the apply: plan instead of apply (a preview, printed on out),
// write a JSON report, show its progress on err.
struct Options
{
    bool preview = false;
    ReportFile *report = nullptr; // opened already
    bool progress = false;
    std::FILE *out = stdout;
    QString version; // the program's, for the report
};

// The account of one run: attach() before start-up, complete() after the end.
class Account
{
public:
    Account(const Options &options, std::FILE *err);
    void attach(InstallForm &form);
    // Prints the plan and writes the report; the status is finish()'s, or
    // LoggedErrorsExitStatus when the report could not be written.
    int complete(InstallForm &form, int messagesShown, const QString &program, std::FILE *err);

private:
    Options m_options;
    ApplyJournal m_journal;
    ConsoleProgress m_progress;
};

// A whole batch run (or a preview) without any window: start-up, the first activation
// with its apply, and the end. A failure no handler traps ends it with the run-time error
// report.
int runWithoutDisplay(platform::Platform &platform, const QString &arguments,
                      const QString &program, std::FILE *err, const Options &options = {});

} // namespace BatchRun
