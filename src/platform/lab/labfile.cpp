#include "platform/lab/labfile.h"

#include "platform/lab/labdatabase.h"
#include "platform/lab/laberrors.h"
#include "platform/lab/labplatform.h"
#include "platform/lab/labschema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace lab {

namespace {

using platform::error::LabFile;
using platform::error::LabIo;

quint32 bigEndian(const QByteArray &bytes, int offset, int size)
{
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | static_cast<quint8>(bytes[offset + i]);
    return value;
}

// What can be told from the file's bytes alone, before SQLite reads it.
void checkHeader(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        fail(LabFile, QStringLiteral("%1: the lab file does not exist").arg(path));
    if (!info.isFile())
        fail(LabFile, QStringLiteral("%1: not a lab file (not an ordinary file)").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(LabIo,
             QStringLiteral("%1: cannot read the lab file: %2").arg(path, file.errorString()));
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        fail(LabFile, QStringLiteral("%1: not a lab file (not an SQLite database)").arg(path));
    quint32 pageSize = bigEndian(header, 16, 2);
    if (pageSize == 1)
        pageSize = 65536;
    const quint32 pageCount = bigEndian(header, 28, 4);
    const bool countValid = bigEndian(header, 24, 4) == bigEndian(header, 92, 4);
    const qint64 expected = qint64(pageSize) * pageCount;
    if (countValid && pageCount > 0 && info.size() < expected)
        fail(LabFile, QStringLiteral("%1: the lab file is truncated (%2 of %3 bytes)")
                          .arg(path)
                          .arg(info.size())
                          .arg(expected));
}

void checkContent(LabDatabase &db)
{
    const QString path = db.path();
    QSqlQuery check(db.database());
    if (!check.exec(QStringLiteral("PRAGMA quick_check")) || !check.next() ||
        check.value(0).toString() != QLatin1String("ok"))
        fail(LabFile, QStringLiteral("%1: the lab file is damaged (%2)")
                          .arg(path, check.isValid() ? check.value(0).toString()
                                                     : QStringLiteral("unreadable")));
    check.finish();
    QSqlQuery meta(db.database());
    if (!meta.exec(QStringLiteral("SELECT key, value FROM meta")))
        fail(LabFile, QStringLiteral("%1: not a lab file (an SQLite database without the lab's "
                                     "meta table)")
                          .arg(path));
    QString kind;
    QString version;
    while (meta.next()) {
        if (meta.value(0).toString() == QLatin1String("kind"))
            kind = meta.value(1).toString();
        else if (meta.value(0).toString() == QLatin1String("schema_version"))
            version = meta.value(1).toString();
    }
    if (kind != QLatin1String("kestrelon-lab"))
        fail(LabFile,
             QStringLiteral("%1: not a lab file (meta table of another program)").arg(path));
    if (version != QString::number(SchemaVersion))
        fail(LabFile, QStringLiteral("%1: lab schema version %2; this program reads version %3")
                          .arg(path, version.isEmpty() ? QStringLiteral("(none)") : version)
                          .arg(SchemaVersion));
}

} // namespace

void createLab(const QString &path, const Scenario &scenario)
{
    if (QFileInfo::exists(path))
        fail(LabFile, QStringLiteral("%1: the file exists already; a lab is never written over "
                                     "an existing file")
                          .arg(path));
    QFile file(path);
    // Claims the name exclusively, private to its owner, before SQLite writes into it.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        fail(LabIo,
             QStringLiteral("%1: cannot create the lab file: %2").arg(path, file.errorString()));
    file.close();
    try {
        LabDatabase db(path, false);
        writeScenario(db, scenario);
    } catch (...) {
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
        throw;
    }
}

std::unique_ptr<platform::Platform> openLab(const QString &path)
{
    checkHeader(path);
    auto db = std::make_shared<LabDatabase>(path, false);
    checkContent(*db);
    return std::make_unique<LabPlatform>(std::move(db));
}

QString defaultLabPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/kestrelon");
    const QString path = folder + QStringLiteral("/lab.sqlite");
    if (!QFileInfo::exists(path)) {
        if (!QDir().mkpath(folder))
            fail(LabIo,
                 QStringLiteral("%1: cannot create the folder of the default lab").arg(folder));
        createLab(path, demoScenario());
    }
    return path;
}

} // namespace lab
