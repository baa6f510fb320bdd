#include "shell/displaycheck.h"

#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStringList>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A display server that does not answer within this is as good as none.
constexpr int ConnectTimeoutMs = 2000;

// Connects with a time-out; true when the other end accepted.
bool connects(int family, const sockaddr *address, socklen_t length)
{
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    bool ok = ::connect(fd, address, length) == 0;
    if (!ok && errno == EINPROGRESS) {
        pollfd waiting{fd, POLLOUT, 0};
        int error = 0;
        socklen_t size = sizeof error;
        ok = ::poll(&waiting, 1, ConnectTimeoutMs) == 1 &&
             ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    ::close(fd);
    return ok;
}

// A local socket by path; abstract (Linux's "@" names) when asked.
bool localSocketAnswers(const QByteArray &path, bool abstract)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const size_t offset = abstract ? 1 : 0;
    if (size_t(path.size()) + offset >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path + offset, path.constData(), size_t(path.size()));
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + path.size());
    return connects(AF_UNIX, reinterpret_cast<const sockaddr *>(&address),
                    abstract ? length : socklen_t(sizeof address));
}

bool tcpAnswers(const QByteArray &host, int port)
{
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(host.constData(), QByteArray::number(port).constData(), &hints, &found) != 0)
        return false;
    bool ok = false;
    for (addrinfo *a = found; a && !ok; a = a->ai_next)
        ok = connects(a->ai_family, a->ai_addr, a->ai_addrlen);
    ::freeaddrinfo(found);
    return ok;
}

// "[host]:number[.screen]"; empty when DISPLAY answers.
QString x11Problem(const QString &display)
{
    if (display.isEmpty())
        return QStringLiteral("DISPLAY is not set");
    const QString unanswered = QStringLiteral("DISPLAY=%1 does not answer").arg(display);
    const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
    bool numeric = false;
    const int number = display.mid(colon + 1).section(QLatin1Char('.'), 0, 0).toInt(&numeric);
    if (colon < 0 || !numeric)
        return QStringLiteral("DISPLAY=%1 is not a display name").arg(display);
    const QString host = display.left(colon);
    if (host.isEmpty() || host == QLatin1String("unix")) {
        const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(number);
        return localSocketAnswers(path, true) || localSocketAnswers(path, false) ? QString()
                                                                                 : unanswered;
    }
    return tcpAnswers(host.toLocal8Bit(), 6000 + number) ? QString() : unanswered;
}

QString waylandProblem(const QProcessEnvironment &environment)
{
    const QString name = environment.value(QStringLiteral("WAYLAND_DISPLAY"));
    if (name.isEmpty())
        return QStringLiteral("WAYLAND_DISPLAY is not set");
    const QString path =
        QDir::isAbsolutePath(name)
            ? name
            : environment.value(QStringLiteral("XDG_RUNTIME_DIR")) + QLatin1Char('/') + name;
    return localSocketAnswers(QFile::encodeName(path), false)
               ? QString()
               : QStringLiteral("WAYLAND_DISPLAY=%1 does not answer").arg(name);
}

// Whether the toolkit can load the platform's plugin, looked for where it looks.
bool pluginInstalled(const QString &platform, const QProcessEnvironment &environment)
{
    const QString file =
        QStringLiteral("libq%1.so")
            .arg(platform == QLatin1String("wayland") ? QStringLiteral("wayland-generic")
                                                      : platform);
    QStringList folders{environment.value(QStringLiteral("QT_QPA_PLATFORM_PLUGIN_PATH")),
                        QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                            QStringLiteral("/platforms")};
    for (const QString &path : environment.value(QStringLiteral("QT_PLUGIN_PATH"))
                                   .split(QLatin1Char(':'), Qt::SkipEmptyParts))
        folders << path + QStringLiteral("/platforms");
    for (const QString &folder : std::as_const(folders)) {
        if (!folder.isEmpty() && QFileInfo::exists(folder + QLatin1Char('/') + file))
            return true;
    }
    return false;
}

} // namespace

bool isHeadlessPlatform(const QString &platformName)
{
    const QString name = platformName.section(QLatin1Char(':'), 0, 0).trimmed();
    return name == QLatin1String("offscreen") || name == QLatin1String("minimal");
}

QString displayProblem(const QProcessEnvironment &environment)
{
    const QString platform =
        environment.value(QStringLiteral("QT_QPA_PLATFORM")).section(QLatin1Char(':'), 0, 0);
    const QString display = environment.value(QStringLiteral("DISPLAY"));
    if (platform.isEmpty()) {
        // The toolkit takes X11 when DISPLAY is set, else Wayland.
        if (!display.isEmpty())
            return x11Problem(display);
        if (!environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty())
            return waylandProblem(environment);
        return QStringLiteral("DISPLAY and WAYLAND_DISPLAY are not set");
    }
    if (!pluginInstalled(platform, environment))
        return QStringLiteral("QT_QPA_PLATFORM=%1 names no installed platform").arg(platform);
    if (platform == QLatin1String("xcb"))
        return x11Problem(display);
    if (platform.startsWith(QLatin1String("wayland")))
        return waylandProblem(environment);
    // offscreen, minimal, vnc, linuxfb, eglfs: these draw without a display server.
    return QString();
}

QString noDisplayMessage(const QString &program, const QString &problem)
{
    return QStringLiteral("%1: no display to open the window on (%2); run it with -b for batch "
                          "mode, or from a desktop session or with DISPLAY set.")
        .arg(program, problem);
}
