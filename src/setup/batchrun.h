#pragma once

#include "setup/installform.h"

#include <cstdio>

// How a batch run ends: the error log on standard error, and the exit status a scheduler
// reads.
namespace BatchRun {

inline constexpr int LoggedErrorsExitStatus = 1;

// Writes the error log to err (LF line ends) when it holds text. 0 when the run logged
// nothing and showed no message; else LoggedErrorsExitStatus.
int finish(const InstallForm &form, int messagesShown, std::FILE *err);

// A whole batch run without any window: start-up, the first activation with its apply,
// and the end. A failure no handler traps ends it with the run-time error report.
int runWithoutDisplay(platform::Platform &platform, const QString &arguments,
                      const QString &program, std::FILE *err);

} // namespace BatchRun
