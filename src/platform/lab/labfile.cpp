#include "platform/lab/labfile.h"

#include "platform/lab/labdatabase.h"
#include "platform/lab/laberrors.h"
#include "platform/lab/labplatform.h"
#include "platform/lab/labschema.h"

#include <atomic>
#include <cstring>
#include <iterator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <unistd.h>

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
    if (!check.exec(QStringLiteral("PRAGMA quick_check")))
        db.failStatement(LabFile, QStringLiteral("the lab file is damaged (unreadable)"),
                         check.lastError());
    if (!check.next() || check.value(0).toString() != QLatin1String("ok"))
        fail(LabFile, QStringLiteral("%1: the lab file is damaged (%2)")
                          .arg(path, check.isValid() ? check.value(0).toString()
                                                     : QStringLiteral("unreadable")));
    check.finish();
    QSqlQuery meta(db.database());
    if (!meta.exec(QStringLiteral("SELECT key, value FROM meta")))
        db.failStatement(LabFile,
                         QStringLiteral("not a lab file (an SQLite database without the lab's "
                                        "meta table)"),
                         meta.lastError());
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
    meta.finish();
    checkSchema(db);
}

// The temporary file of the create running and SQLite's files beside it, kept where a
// signal handler can read them.
constexpr const char *Sidecars[] = {"-journal", "-wal", "-shm"};
char unfinishedFiles[1 + std::size(Sidecars)][4096 + 8];
std::atomic<bool> unfinished{false};

void noteUnfinished(const QString &path)
{
    const QByteArray file = QFile::encodeName(path);
    if (size_t(file.size()) >= sizeof unfinishedFiles[0] - 8)
        return;
    std::memcpy(unfinishedFiles[0], file.constData(), size_t(file.size()) + 1);
    for (size_t i = 0; i < std::size(Sidecars); ++i) {
        const QByteArray sidecar = file + Sidecars[i];
        std::memcpy(unfinishedFiles[i + 1], sidecar.constData(), size_t(sidecar.size()) + 1);
    }
    unfinished = true;
}

} // namespace

void createLab(const QString &path, const Scenario &scenario)
{
    if (QFileInfo::exists(path))
        fail(LabFile, QStringLiteral("%1: the file exists already; a lab is never written over "
                                     "an existing file")
                          .arg(path));
    // Private to its owner from the start; removed again unless the lab is completed.
    QTemporaryFile file(path + QStringLiteral(".unfinished-XXXXXX"));
    if (!file.open())
        fail(LabIo,
             QStringLiteral("%1: cannot create the lab file: %2").arg(path, file.errorString()));
    const QString building = file.fileName();
    file.close();
    noteUnfinished(building);
    try {
        {
            LabDatabase db(building, false, DefaultBusyTimeoutMs);
            // Set once, so that opening the finished lab later changes nothing in it.
            db.useWriteAheadLog();
            writeScenario(db, scenario);
        }
        QFile complete(building);
        // Never replaces a file that appeared under the name meanwhile.
        if (!complete.rename(path))
            fail(QFileInfo::exists(path) ? LabFile : LabIo,
                 QStringLiteral("%1: cannot give the lab file its name: %2")
                     .arg(path, complete.errorString()));
        file.setAutoRemove(false);
        unfinished = false;
    } catch (...) {
        unfinished = false;
        for (const char *sidecar : Sidecars)
            QFile::remove(building + QLatin1String(sidecar));
        throw;
    }
}

void removeUnfinishedLab()
{
    if (!unfinished)
        return;
    for (const char *file : unfinishedFiles)
        ::unlink(file);
}

std::unique_ptr<platform::Platform> openLab(const QString &path, int busyTimeoutMs)
{
    checkHeader(path);
    auto db = std::make_shared<LabDatabase>(path, false, busyTimeoutMs);
    checkContent(*db);
    db->useWriteAheadLog();
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
