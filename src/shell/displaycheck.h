#pragma once

#include <QProcessEnvironment>
#include <QString>

// Whether a window can be opened from this environment, learnt before the toolkit tries
// (where it would abort): the platform plugin the environment selects is installed, and
// the display server it needs answers.

// Empty when a window can open; else why not, in a few words ("DISPLAY=:9 does not
// answer").
QString displayProblem(const QProcessEnvironment &environment);

// Whether the platform draws nowhere anyone can see (offscreen, minimal): there is
// nobody to answer a message box.
bool isHeadlessPlatform(const QString &platformName);

// The one line an interactive start without a usable display prints instead.
QString noDisplayMessage(const QString &program, const QString &problem);
