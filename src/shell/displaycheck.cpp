#include "shell/displaycheck.h"

bool isHeadlessPlatform(const QString &platformName)
{
    const QString name = platformName.section(QLatin1Char(':'), 0, 0).trimmed();
    return name == QLatin1String("offscreen") || name == QLatin1String("minimal");
}

bool displayAvailable(const QProcessEnvironment &environment)
{
    const QString platform =
        environment.value(QStringLiteral("QT_QPA_PLATFORM")).section(QLatin1Char(':'), 0, 0);
    const bool x11 = !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    const bool wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    if (platform.isEmpty())
        return x11 || wayland;
    if (platform == QLatin1String("xcb"))
        return x11;
    if (platform.startsWith(QLatin1String("wayland")))
        return wayland;
    // offscreen, minimal, vnc, linuxfb, eglfs: these draw without a display server.
    return true;
}

QString noDisplayMessage(const QString &program)
{
    return QStringLiteral("%1: no display to open the window on (DISPLAY and WAYLAND_DISPLAY "
                          "are not set); run it with -b for batch mode, or from a desktop "
                          "session or with DISPLAY set.")
        .arg(program);
}
