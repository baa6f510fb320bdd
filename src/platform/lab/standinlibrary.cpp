#include "platform/lab/standinlibrary.h"

#include "platform/lab/laberrors.h"

#include <QFile>

namespace lab {

namespace {

constexpr qint32 fileNotFound = static_cast<qint32>(0x80070002u);
constexpr qint32 badImageFormat = static_cast<qint32>(0x800700C1u);

} // namespace

QStringList readStandInLibrary(const QString &path)
{
    QString local = path;
    local.replace(u'\\', u'/');
    QFile file(local);
    if (!file.exists())
        fail(fileNotFound,
             QStringLiteral("The system cannot find the file specified: %1").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        fail(platform::error::AccessDenied,
             QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray content = file.read(1 << 20);
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
