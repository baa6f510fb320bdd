#pragma once

#include "platform/lab/labscenario.h"

#include <memory>
#include <QElapsedTimer>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

namespace lab {

// The schema version this build reads and writes; another version is refused.
inline constexpr int SchemaVersion = 1;

// One directory attribute value: which attribute (an index into the lab's attribute names)
// and where its text lies in the entry's text.
struct DirectoryValue
{
    int attribute;
    qsizetype offset;
    qsizetype length;
};

// A directory object in memory. Its values point into the stored text as it was read, so
// 30,000 objects load without copying; distinguishedName and ADsPath come from the dn.
struct DirectoryEntry
{
    static constexpr qsizetype DnValue = -1;
    static constexpr qsizetype AdsPathValue = -2;

    QString dn;
    QString adsPath;
    QString text;
    QList<DirectoryValue> values;

    QStringView value(const DirectoryValue &v) const
    {
        if (v.offset == DnValue)
            return dn;
        if (v.offset == AdsPathValue)
            return adsPath;
        return QStringView(text).mid(v.offset, v.length);
    }
};

// What the store's URL resolution needs of a mailbox, kept in memory.
struct MailboxInfo
{
    qint64 id = 0;
    bool fileForm = true;
    bool httpForm = true;
    bool writable = true;
    QString inboxName;
};

// A name within an owner (a folder's path within its mailbox, an item's name within its
// folder): one flat hash for all of them keeps loading 30,000 mailboxes cheap.
struct OwnedName
{
    qint64 owner;
    QString key; // folded
    bool operator==(const OwnedName &other) const = default;
};

inline size_t qHash(const OwnedName &name, size_t seed = 0)
{
    return qHashMulti(seed, name.owner, name.key);
}

// One open lab file: its SQLite connection, cached statements and in-memory indexes,
// shared by every connection object of the platform opened on it.
class LabDatabase
{
public:
    // Opens the file as it is; createLab and openLab do the checking. A statement waits up to
    // busyTimeoutMs for another program's lock on the file.
    LabDatabase(const QString &path, bool readOnly, int busyTimeoutMs);
    ~LabDatabase();
    LabDatabase(const LabDatabase &) = delete;
    LabDatabase &operator=(const LabDatabase &) = delete;

    const QString &path() const { return m_path; }
    QSqlDatabase &database() { return m_db; }

    // A prepared statement, prepared once per text and reused.
    QSqlQuery &prepared(const QString &sql);
    // Runs a prepared statement; throws LabIo naming the file and the statement on failure.
    void run(QSqlQuery &query);
    void execute(const QString &sql);
    // Runs a statement without results, prepared once: for those run thousands of times.
    void runOnce(const QString &sql);
    // Throws for a failed statement: LabIo saying the file is busy when another program's lock
    // outlasted the busy timeout (the file is healthy), else number with "what: SQLite's text".
    [[noreturn]] void failStatement(qint32 number, const QString &what,
                                    const QSqlError &error) const;

    // Commits go to a write-ahead log that is synced at checkpoints, not at every commit: a
    // crash of the program or the machine loses no consistency, and an apply that writes
    // thousands of items is not bound by the disk's sync rate. Readers and one writer of
    // other programs keep working meanwhile.
    void useWriteAheadLog();

    const Machine &machine();
    // Drops the in-memory indexes when another program changed the file since they were
    // loaded: one 4-byte read of the file's change counter, and PRAGMA data_version only
    // when that moved. Called once per store connection open and per directory query.
    void checkForChanges();
    // Mailbox names (folded) -> mailboxes.
    const QHash<QString, QList<qint64>> &mailboxNames();
    const MailboxInfo *mailbox(qint64 id);
    // A mailbox's folder by folded path ("" is the root); 0 when there is none.
    qint64 findFolder(qint64 mailboxId, const QString &pathKey);
    // The item of a folder by folded name; 0 when there is none.
    qint64 findItem(qint64 folderId, const QString &nameKey);
    // Keeps the item index in step with this program's own writes.
    void noteItemAdded(qint64 folderId, const QString &nameKey, qint64 itemId);
    void noteItemRemoved(qint64 folderId, const QString &nameKey);
    const QList<DirectoryEntry> &directory();
    // The loaded directory in the order ORDER BY cn gives (absent cn first, then cn ignoring
    // case, ties in directory order), so the common query needs no sort of its own.
    const QList<const DirectoryEntry *> &directoryByCn();
    // The attribute index of cn in the loaded directory; -1: no object has one.
    int cnIndex() const { return attributeIndex(QStringLiteral("cn")); }
    // The index of an attribute name (ignoring case) among the loaded directory's; -1: none.
    int attributeIndex(const QString &name) const
    {
        return m_attributeIndexes.value(name.toCaseFolded(), -1);
    }

    // A run of many small writes (an apply's thousands of items): they share one SQLite
    // transaction, committed every BurstSliceMs and when the run ends, instead of paying a
    // commit's file writes each. Nested runs count. endWriteBurst throws LabIo when the file
    // refuses the last commit; those writes are then undone.
    static constexpr int BurstSliceMs = 200;
    void beginWriteBurst();
    void endWriteBurst();
    // Called where a store connection opens, between two writes of a burst: commits the
    // burst's writes when its slice is over and pauses so that another program waiting for
    // the file gets its turn, then takes the write lock, so the indexes checked next stay
    // true until the writes are done.
    void shareWrites();

    // The connection-level transaction of a store connection (one at a time per lab).
    void beginTransaction(const void *owner);
    void commitTransaction(const void *owner);
    void rollbackTransaction(const void *owner);
    bool ownsTransaction(const void *owner) const { return m_transactionOwner == owner; }

    // Guards one write as a savepoint (inside a running transaction too): undone unless committed.
    class WriteScope
    {
    public:
        explicit WriteScope(LabDatabase &db);
        ~WriteScope();
        void commit();

    private:
        LabDatabase &m_db;
        bool m_done = false;
    };

private:
    // Every write runs inside a savepoint between these two; they open the SQLite
    // transaction (taking the write lock at once) and commit it outside a burst.
    void beginWrite();
    void endWrite();
    void beginWriting(); // BEGIN IMMEDIATE
    void commitWrites();
    void rollbackSavepoint(const QString &name);
    static int waitForLock(void *database, int attempts);
    qint64 dataVersion();
    quint32 changeCounter() const;
    void invalidateStore() { m_storeLoaded = false; }
    void loadMachine();
    void loadStore();
    void loadDirectory();
    void sortByCn();

    QString m_path;
    int m_busyTimeoutMs;
    QString m_connectionName;
    QSqlDatabase m_db;
    QHash<QString, QSqlQuery *> m_statements;
    std::unique_ptr<Machine> m_machine;
    bool m_storeLoaded = false;
    bool m_directoryLoaded = false;
    qint64 m_loadedVersion = -1;
    quint32 m_loadedCounter = 0;
    int m_counterFile = -1;
    QHash<OwnedName, qint64> m_folders; // (mailbox id, folded path) -> folder id
    QHash<OwnedName, qint64> m_items;   // (folder id, folded name) -> item id
    QHash<QString, QList<qint64>> m_mailboxNames;
    QHash<qint64, MailboxInfo> m_mailboxes;
    QList<DirectoryEntry> m_directory;
    QList<const DirectoryEntry *> m_directoryByCn;
    QHash<QString, int> m_attributeIndexes; // folded name -> index
    const void *m_transactionOwner = nullptr;
    bool m_writeAheadLog = false;
    int m_burstDepth = 0;
    int m_openWrites = 0;   // savepoints open
    bool m_writing = false; // a SQLite transaction of ours is open
    bool m_checkedWhileWriting = false;
    QElapsedTimer m_writingSince;
    QElapsedTimer m_waitingSince;
};

// SQLite keeps a null QString as NULL; the lab's text columns want the empty text instead.
inline QString notNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

// The first RDN's value of a distinguished name ("Person" of "CN=Person,CN=Schema,...");
// empty when the text is not a distinguished name.
QStringView firstRdnValue(QStringView dn);

// The ORDER BY comparison of two first values: absent (null) before any text, then ignoring case.
bool directoryKeyLess(QStringView a, QStringView b);

// Encodes directory attributes as "name=value" lines (the stored form), and back.
QString encodeAttributes(const QList<QPair<QString, QString>> &attributes);
QList<QPair<QString, QString>> decodeAttributes(const QString &text);

} // namespace lab
