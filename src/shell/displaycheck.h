#pragma once

#include <QProcessEnvironment>
#include <QString>

// Whether the window system can be reached from this environment before the toolkit
// tries (and aborts): a display for X11 or Wayland, or a platform that needs none.
bool displayAvailable(const QProcessEnvironment &environment);

// Whether the platform draws nowhere anyone can see (offscreen, minimal): there is
// nobody to answer a message box.
bool isHeadlessPlatform(const QString &platformName);

// The one line an interactive start without a display prints instead.
QString noDisplayMessage(const QString &program);
