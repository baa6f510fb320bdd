#include "platform/lab/labdatabase.h"

#include "platform/lab/directoryfilter.h"
#include "platform/lab/laberrors.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <QAtomicInteger>
#include <QFile>
#include <QSqlDriver>
#include <sqlite3.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace lab {

namespace {

QAtomicInteger<quint64> connectionCounter;

QString unescapeValue(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            ++i;
            out += text[i] == u'n' ? QChar(u'\n') : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

QStringView firstRdnValue(QStringView dn)
{
    const qsizetype equals = dn.indexOf(u'=');
    if (equals <= 0)
        return {};
    for (qsizetype i = 0; i < equals; ++i) {
        const QChar c = dn[i];
        if (!c.isLetterOrNumber() && c != u'-')
            return {};
    }
    const qsizetype comma = dn.indexOf(u',', equals);
    return dn.mid(equals + 1, comma < 0 ? dn.size() - equals - 1 : comma - equals - 1).trimmed();
}

QString encodeAttributes(const QList<QPair<QString, QString>> &attributes)
{
    QString out;
    for (const auto &[name, value] : attributes) {
        QString escaped = value;
        escaped.replace(u'\\', QLatin1String("\\\\")).replace(u'\n', QLatin1String("\\n"));
        out += name + u'=' + escaped + u'\n';
    }
    return out;
}

QList<QPair<QString, QString>> decodeAttributes(const QString &text)
{
    QList<QPair<QString, QString>> out;
    for (QStringView line : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QStringView value = line.mid(equals + 1);
        out.append({line.left(equals).toString(),
                    value.contains(u'\\') ? unescapeValue(value) : value.toString()});
    }
    return out;
}

LabDatabase::LabDatabase(const QString &path, bool readOnly, int busyTimeoutMs)
    : m_path(path), m_busyTimeoutMs(busyTimeoutMs),
      m_connectionName(
          QStringLiteral("kestrelon-lab-%1").arg(connectionCounter.fetchAndAddRelaxed(1)))
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    if (!m_db.isValid())
        fail(platform::error::LabIo,
             QStringLiteral("%1: the SQLite driver of Qt is missing (install libqt6sql6-sqlite)")
                 .arg(path));
    m_db.setDatabaseName(path);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs);
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    m_db.setConnectOptions(options);
    if (!m_db.open())
        failStatement(platform::error::LabIo, QStringLiteral("cannot open the lab file"),
                      m_db.lastError());
    // SQLite's own wait sleeps up to 100 ms between tries, so a program writing in slices
    // would almost never find the lock free; trying every millisecond does.
    const QVariant handle = m_db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        sqlite3_busy_handler(*static_cast<sqlite3 *const *>(handle.constData()), waitForLock, this);
    m_counterFile = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
}

LabDatabase::~LabDatabase()
{
    // What a burst already reported done is kept; an unfinished store transaction is not.
    if (m_transactionOwner)
        rollbackSavepoint(QStringLiteral("storetransaction"));
    if (m_writing && !QSqlQuery(m_db).exec(QStringLiteral("COMMIT")))
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
    qDeleteAll(m_statements);
    m_statements.clear();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
    if (m_counterFile >= 0)
        ::close(m_counterFile);
}

QSqlQuery &LabDatabase::prepared(const QString &sql)
{
    auto it = m_statements.find(sql);
    if (it != m_statements.end())
        return **it;
    auto query = std::make_unique<QSqlQuery>(m_db);
    // Rows are read once, in order: no row cache.
    query->setForwardOnly(true);
    if (!query->prepare(sql))
        failStatement(platform::error::LabFile,
                      QStringLiteral("the lab file does not answer \"%1\"").arg(sql),
                      query->lastError());
    return **m_statements.insert(sql, query.release());
}

void LabDatabase::run(QSqlQuery &query)
{
    if (!query.exec()) {
        const QSqlError error = query.lastError();
        query.finish();
        failStatement(platform::error::LabIo,
                      QStringLiteral("\"%1\" failed").arg(query.lastQuery()), error);
    }
}

void LabDatabase::runOnce(const QString &sql)
{
    QSqlQuery &query = prepared(sql);
    run(query);
    query.finish();
}

void LabDatabase::execute(const QString &sql)
{
    QSqlQuery query(m_db);
    if (!query.exec(sql))
        failStatement(platform::error::LabIo, QStringLiteral("\"%1\" failed").arg(sql),
                      query.lastError());
}

void LabDatabase::failStatement(qint32 number, const QString &what, const QSqlError &error) const
{
    // SQLITE_BUSY and SQLITE_LOCKED, extended codes included.
    const int code = error.nativeErrorCode().toInt() & 0xff;
    if (code == 5 || code == 6)
        fail(platform::error::LabIo,
             QStringLiteral("%1: the lab file is busy: another program holds a lock on it "
                            "(waited %2 s); try again when that program is done with it")
                 .arg(m_path)
                 .arg(m_busyTimeoutMs / 1000.0));
    fail(number, QStringLiteral("%1: %2: %3").arg(m_path, what, error.text()));
}

qint64 LabDatabase::dataVersion()
{
    QSqlQuery &query = prepared(QStringLiteral("PRAGMA data_version"));
    run(query);
    const qint64 version = query.next() ? query.value(0).toLongLong() : 0;
    query.finish();
    return version;
}

quint32 LabDatabase::changeCounter() const
{
    unsigned char bytes[4] = {0, 0, 0, 0};
    if (m_counterFile < 0 || ::pread(m_counterFile, bytes, 4, 24) != 4)
        return 0;
    return (quint32(bytes[0]) << 24) | (quint32(bytes[1]) << 16) | (quint32(bytes[2]) << 8) |
           quint32(bytes[3]);
}

void LabDatabase::useWriteAheadLog()
{
    execute(QStringLiteral("PRAGMA journal_mode=WAL"));
    execute(QStringLiteral("PRAGMA synchronous=NORMAL"));
    // Pages of a 30,000-mailbox lab stay in memory between the writes of an apply instead
    // of being read again from the file; at most this many KiB.
    execute(QStringLiteral("PRAGMA cache_size=-16384"));
    m_writeAheadLog = true;
}

void LabDatabase::checkForChanges()
{
    // While this program holds the write lock nobody else can commit: one look per lock.
    if (m_writing) {
        if (m_checkedWhileWriting)
            return;
        m_checkedWhileWriting = true;
    }
    // Commits to the write-ahead log leave the file's counter alone until a checkpoint.
    const quint32 counter = m_writeAheadLog ? 0 : changeCounter();
    if (counter == m_loadedCounter && counter != 0)
        return;
    // The counter also moves on this program's own commits, which the indexes already
    // follow; data_version moves only for other programs' commits.
    const qint64 version = dataVersion();
    if (version != m_loadedVersion) {
        m_storeLoaded = false;
        m_directoryLoaded = false;
        m_loadedVersion = version;
    }
    m_loadedCounter = counter;
}

qint64 LabDatabase::findFolder(qint64 mailboxId, const QString &pathKey)
{
    mailboxNames();
    return m_folders.value({mailboxId, pathKey}, 0);
}

qint64 LabDatabase::findItem(qint64 folderId, const QString &nameKey)
{
    mailboxNames();
    return m_items.value({folderId, nameKey}, 0);
}

void LabDatabase::noteItemAdded(qint64 folderId, const QString &nameKey, qint64 itemId)
{
    if (m_storeLoaded)
        m_items.insert({folderId, nameKey}, itemId);
}

void LabDatabase::noteItemRemoved(qint64 folderId, const QString &nameKey)
{
    if (m_storeLoaded)
        m_items.remove({folderId, nameKey});
}

const Machine &LabDatabase::machine()
{
    if (!m_machine)
        loadMachine();
    return *m_machine;
}

void LabDatabase::loadMachine()
{
    auto machine = std::make_unique<Machine>();
    QHash<QString, QStringList> values;
    QSqlQuery &query =
        prepared(QStringLiteral("SELECT name, value FROM machine ORDER BY name, position"));
    run(query);
    while (query.next())
        values[query.value(0).toString()].append(query.value(1).toString());
    query.finish();
    auto single = [&](const char *name) {
        return values.value(QLatin1String(name)).value(0);
    };
    machine->computerName = single("computerName");
    machine->domainDnsName = single("domainDnsName");
    machine->globalCatalogHost = single("globalCatalogHost");
    machine->directoryProviderInstalled = single("directoryProviderInstalled") != u"false";
    machine->localMachineKeys = values.value(QStringLiteral("localMachineKeys"));
    machine->logonUserName = single("logonUserName");
    machine->lanGroup = single("lanGroup");
    machine->computerNameVariable = single("computerNameVariable");
    machine->storeRootListing = values.value(QStringLiteral("storeRootListing"));
    machine->storeDomainFolders = values.value(QStringLiteral("storeDomainFolders"));
    machine->storeHosts = values.value(QStringLiteral("storeHosts"));
    m_machine = std::move(machine);
}

const QHash<QString, QList<qint64>> &LabDatabase::mailboxNames()
{
    if (!m_storeLoaded)
        loadStore();
    return m_mailboxNames;
}

const MailboxInfo *LabDatabase::mailbox(qint64 id)
{
    mailboxNames();
    auto it = m_mailboxes.constFind(id);
    return it == m_mailboxes.constEnd() ? nullptr : &*it;
}

void LabDatabase::loadStore()
{
    m_mailboxNames.clear();
    m_mailboxes.clear();
    m_folders.clear();
    m_items.clear();
    QSqlQuery &boxes = prepared(
        QStringLiteral("SELECT id, file_form, http_form, writable, inbox_name FROM mailbox"));
    run(boxes);
    while (boxes.next()) {
        MailboxInfo info;
        info.id = boxes.value(0).toLongLong();
        info.fileForm = boxes.value(1).toBool();
        info.httpForm = boxes.value(2).toBool();
        info.writable = boxes.value(3).toBool();
        info.inboxName = boxes.value(4).toString();
        m_mailboxes.insert(info.id, info);
    }
    boxes.finish();
    QSqlQuery &names = prepared(QStringLiteral(
        "SELECT name_key, mailbox_id FROM mailbox_name ORDER BY mailbox_id, position"));
    run(names);
    while (names.next())
        m_mailboxNames[names.value(0).toString()].append(names.value(1).toLongLong());
    names.finish();
    QSqlQuery &folders = prepared(QStringLiteral("SELECT id, mailbox_id, path_key FROM folder"));
    run(folders);
    m_folders.reserve(m_mailboxes.size() * 2);
    while (folders.next())
        m_folders.insert({folders.value(1).toLongLong(), folders.value(2).toString()},
                         folders.value(0).toLongLong());
    folders.finish();
    QSqlQuery &items = prepared(QStringLiteral("SELECT id, folder_id, name_key FROM item"));
    run(items);
    while (items.next())
        m_items.insert({items.value(1).toLongLong(), items.value(2).toString()},
                       items.value(0).toLongLong());
    items.finish();
    m_storeLoaded = true;
}

const QList<DirectoryEntry> &LabDatabase::directory()
{
    if (!m_directoryLoaded)
        loadDirectory();
    return m_directory;
}

const QList<const DirectoryEntry *> &LabDatabase::directoryByCn()
{
    if (!m_directoryLoaded)
        loadDirectory();
    return m_directoryByCn;
}

bool directoryKeyLess(QStringView a, QStringView b)
{
    // Absent values (null views) sort before every text, even the empty one.
    if (a.isNull() != b.isNull())
        return a.isNull();
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

void LabDatabase::loadDirectory()
{
    m_directory.clear();
    m_directoryByCn.clear();
    m_attributeIndexes.clear();
    {
        QSqlQuery &count = prepared(QStringLiteral("SELECT COUNT(*) FROM directory_object"));
        run(count);
        m_directory.reserve(count.next() ? count.value(0).toLongLong() : 0);
        count.finish();
    }
    const QString gcHost = machine().globalCatalogHost;
    // A few dozen distinct attribute names serve every object; look each line's name up
    // among them without allocating.
    QList<QPair<QString, int>> seen;
    auto indexOf = [&](QStringView name) {
        for (const auto &[known, index] : std::as_const(seen)) {
            if (known == name)
                return index;
        }
        const QString key = name.toString().toCaseFolded();
        int index = m_attributeIndexes.value(key, -1);
        if (index < 0) {
            index = int(m_attributeIndexes.size());
            m_attributeIndexes.insert(key, index);
        }
        seen.append({name.toString(), index});
        return index;
    };
    const int dnIndex = indexOf(u"distinguishedName");
    const int adsIndex = indexOf(u"ADsPath");
    QSqlQuery &query =
        prepared(QStringLiteral("SELECT dn, attributes FROM directory_object ORDER BY id"));
    run(query);
    while (query.next()) {
        DirectoryEntry entry;
        entry.dn = query.value(0).toString();
        entry.text = query.value(1).toString();
        const QStringView text(entry.text);
        entry.values.reserve(text.count(u'\n') + 2);
        bool hasDn = false;
        bool hasAdsPath = false;
        QString unescaped;
        QList<qsizetype> escapedValues;
        qsizetype start = 0;
        while (start < text.size()) {
            qsizetype end = text.indexOf(u'\n', start);
            if (end < 0)
                end = text.size();
            const QStringView line = text.mid(start, end - start);
            const qsizetype equals = line.indexOf(u'=');
            if (equals > 0) {
                const int attribute = indexOf(line.left(equals));
                hasDn = hasDn || attribute == dnIndex;
                hasAdsPath = hasAdsPath || attribute == adsIndex;
                const QStringView value = line.mid(equals + 1);
                if (value.contains(u'\\')) {
                    escapedValues.append(entry.values.size());
                    entry.values.append({attribute, unescaped.size(), 0});
                    const QString plain = unescapeValue(value);
                    entry.values.last().length = plain.size();
                    unescaped += plain;
                } else {
                    entry.values.append({attribute, start + equals + 1, value.size()});
                }
            }
            start = end + 1;
        }
        // Escaped values (rare) are kept unescaped after the stored text.
        if (!escapedValues.isEmpty()) {
            const qsizetype base = entry.text.size();
            entry.text += unescaped;
            for (qsizetype index : std::as_const(escapedValues))
                entry.values[index].offset += base;
        }
        // Every object answers to these two, whether the scenario spelt them out or not.
        if (!hasDn)
            entry.values.append({dnIndex, DirectoryEntry::DnValue, 0});
        if (!hasAdsPath) {
            entry.adsPath = QStringLiteral("GC://%1/%2").arg(gcHost, entry.dn);
            entry.values.append({adsIndex, DirectoryEntry::AdsPathValue, 0});
        }
        m_directory.append(std::move(entry));
    }
    query.finish();
    sortByCn();
    m_directoryLoaded = true;
}

void LabDatabase::sortByCn()
{
    // Sorted once per load instead of per query. Ignoring case on ASCII text is comparing its
    // lowered bytes, so such keys are lowered once and compared as bytes; any other text
    // takes the full comparison.
    struct Key
    {
        QStringView text;
        std::string ascii;
        bool isAscii;
        const DirectoryEntry *entry;
    };
    const int cn = cnIndex();
    std::vector<Key> keys;
    keys.reserve(size_t(m_directory.size()));
    for (const DirectoryEntry &entry : std::as_const(m_directory)) {
        Key key{firstValue(entry, cn), {}, true, &entry};
        key.ascii.reserve(size_t(key.text.size()));
        for (QChar c : key.text) {
            const char16_t u = c.unicode();
            if (u == 0 || u >= 0x80) {
                key.isAscii = false;
                break;
            }
            key.ascii.push_back(char(u >= u'A' && u <= u'Z' ? u + (u'a' - u'A') : u));
        }
        keys.push_back(std::move(key));
    }
    std::stable_sort(keys.begin(), keys.end(), [](const Key &a, const Key &b) {
        if (a.isAscii && b.isAscii && !a.text.isNull() && !b.text.isNull())
            return a.ascii < b.ascii;
        return directoryKeyLess(a.text, b.text);
    });
    m_directoryByCn.reserve(qsizetype(keys.size()));
    for (const Key &key : keys)
        m_directoryByCn.append(key.entry);
}

int LabDatabase::waitForLock(void *database, int attempts)
{
    auto *db = static_cast<LabDatabase *>(database);
    if (attempts == 0)
        db->m_waitingSince.start();
    else if (db->m_waitingSince.hasExpired(db->m_busyTimeoutMs))
        return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return 1;
}

void LabDatabase::beginWrite()
{
    if (!m_writing)
        beginWriting();
    ++m_openWrites;
}

void LabDatabase::endWrite()
{
    --m_openWrites;
    if (m_openWrites == 0 && m_burstDepth == 0)
        commitWrites();
}

void LabDatabase::commitWrites()
{
    if (!m_writing)
        return;
    m_writing = false;
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("COMMIT"))) {
        const QSqlError error = query.lastError();
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        invalidateStore();
        failStatement(platform::error::LabIo, QStringLiteral("cannot commit the writes"), error);
    }
}

void LabDatabase::rollbackSavepoint(const QString &name)
{
    QSqlQuery query(m_db);
    query.exec(QStringLiteral("ROLLBACK TO ") + name);
    query.exec(QStringLiteral("RELEASE ") + name);
    invalidateStore();
}

void LabDatabase::beginWriteBurst()
{
    // Checkpoints sync the file twice each; a burst leaves them to its end.
    if (m_burstDepth++ == 0 && m_writeAheadLog)
        execute(QStringLiteral("PRAGMA wal_autocheckpoint=0"));
}

void LabDatabase::endWriteBurst()
{
    if (m_burstDepth == 0 || --m_burstDepth > 0)
        return;
    if (m_writeAheadLog)
        execute(QStringLiteral("PRAGMA wal_autocheckpoint=1000"));
    if (m_openWrites > 0)
        return;
    commitWrites();
    if (m_writeAheadLog)
        execute(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
}

void LabDatabase::shareWrites()
{
    if (m_burstDepth == 0 || m_openWrites > 0)
        return;
    if (m_writing && m_writingSince.hasExpired(BurstSliceMs)) {
        commitWrites();
        // Longer than the one millisecond between another program's tries for the lock.
        std::this_thread::sleep_for(std::chrono::microseconds(2500));
    }
    if (!m_writing)
        beginWriting();
}

void LabDatabase::beginWriting()
{
    runOnce(QStringLiteral("BEGIN IMMEDIATE"));
    m_writing = true;
    m_checkedWhileWriting = false;
    m_writingSince.start();
}

void LabDatabase::beginTransaction(const void *owner)
{
    if (m_transactionOwner)
        fail(platform::error::InvalidArgument,
             QStringLiteral("%1: a store transaction is already running on this lab").arg(m_path));
    beginWrite();
    try {
        runOnce(QStringLiteral("SAVEPOINT storetransaction"));
    } catch (const platform::PlatformError &) {
        endWrite();
        throw;
    }
    m_transactionOwner = owner;
}

void LabDatabase::commitTransaction(const void *owner)
{
    if (m_transactionOwner != owner)
        fail(platform::error::InvalidArgument,
             QStringLiteral("%1: no transaction of this connection to commit").arg(m_path));
    m_transactionOwner = nullptr;
    try {
        runOnce(QStringLiteral("RELEASE storetransaction"));
    } catch (const platform::PlatformError &) {
        rollbackSavepoint(QStringLiteral("storetransaction"));
        endWrite();
        throw;
    }
    endWrite();
}

void LabDatabase::rollbackTransaction(const void *owner)
{
    if (m_transactionOwner != owner)
        fail(platform::error::InvalidArgument,
             QStringLiteral("%1: no transaction of this connection to roll back").arg(m_path));
    m_transactionOwner = nullptr;
    rollbackSavepoint(QStringLiteral("storetransaction"));
    endWrite();
}

LabDatabase::WriteScope::WriteScope(LabDatabase &db) : m_db(db)
{
    m_db.beginWrite();
    try {
        m_db.runOnce(QStringLiteral("SAVEPOINT labwrite"));
    } catch (const platform::PlatformError &) {
        m_db.endWrite();
        throw;
    }
}

LabDatabase::WriteScope::~WriteScope()
{
    if (m_done)
        return;
    m_db.rollbackSavepoint(QStringLiteral("labwrite"));
    try {
        m_db.endWrite();
    } catch (const platform::PlatformError &) {
        // The write that failed is being reported already; the commit's own failure undid
        // the rest, and the indexes reload.
    }
}

void LabDatabase::WriteScope::commit()
{
    m_db.runOnce(QStringLiteral("RELEASE labwrite"));
    m_done = true;
    m_db.endWrite();
}

} // namespace lab
