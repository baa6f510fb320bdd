#include "platform/lab/standinlibrary.h"

#include "platform/lab/laberrors.h"

#include <QFile>
#include <QFileInfo>

namespace lab {

namespace {

constexpr qint32 fileNotFound = static_cast<qint32>(0x80070002u);
constexpr qint32 badImageFormat = static_cast<qint32>(0x800700C1u);

} // namespace

QString localLibraryPath(const QString &path)
{
    const qsizetype separator = path.lastIndexOf(u'\\');
    if (separator < 0)
        return path;
    return path.left(separator) + u'/' + path.mid(separator + 1);
}

QStringList readStandInLibrary(const QString &path)
{
    const QString local = localLibraryPath(path);
    QFile file(local);
    if (!file.exists())
        fail(fileNotFound,
             QStringLiteral("The system cannot find the file specified: %1").arg(path));
    // Opening a FIFO or a device would wait for a writer, or read without end.
    if (!QFileInfo(local).isFile())
        fail(badImageFormat, QStringLiteral("%1 is not a regular file").arg(path));
    constexpr qint64 MaxLibraryBytes = 1 << 20;
    if (file.size() > MaxLibraryBytes)
        fail(badImageFormat, QStringLiteral("%1 is larger than the %2 MiB a component library "
                                            "may have")
                                 .arg(path)
                                 .arg(MaxLibraryBytes >> 20));
    if (!file.open(QIODevice::ReadOnly))
        fail(platform::error::AccessDenied,
             QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray content = file.read(MaxLibraryBytes);
    const QList<QByteArray> lines = content.split('\n');
    if (lines.isEmpty() || lines.first().trimmed() != QByteArray(StandInMarker))
        fail(badImageFormat,
             QStringLiteral("%1 is not a valid component library (its first line is not \"%2\")")
                 .arg(path, QLatin1String(StandInMarker)));
    QStringList progIds;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.contains(u' ') || !line.contains(u'.'))
            fail(badImageFormat,
                 QStringLiteral("%1, line %2: \"%3\" is not a component ProgID (Library.Class)")
                     .arg(path)
                     .arg(i + 1)
                     .arg(line));
        progIds.append(line);
    }
    return progIds;
}

} // namespace lab
