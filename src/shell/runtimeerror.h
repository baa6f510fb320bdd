#pragma once

#include "platform/platformerror.h"
#include "shell/screen.h"

#include <cstdio>
#include <QString>

// The report that ends the program when a failure escapes a path without a trap of its
// own: a message box when there is a screen, a line on standard error always.

// The exit status of a program ended by a run-time error.
inline constexpr int RuntimeErrorExitStatus = 3;

// The message box text: "Run-time error '<number>':", an empty line, the description.
QString runtimeErrorMessage(const platform::PlatformError &error);
// "<program>: run-time error <number>: <description>" and a line end.
QString runtimeErrorLine(const QString &program, const platform::PlatformError &error);

// Writes the line to `err` and, with a screen, shows the message box titled with the
// window caption. Returns RuntimeErrorExitStatus.
int reportRuntimeError(const platform::PlatformError &error, const QString &program,
                       const QString &caption, Screen *screen, std::FILE *err);
