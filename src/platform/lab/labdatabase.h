#pragma once

#include "platform/lab/labscenario.h"

#include <memory>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

namespace lab {

// The schema version this build reads and writes; another version is refused.
inline constexpr int SchemaVersion = 1;

// One directory attribute value, with its name folded for case-blind lookups.
struct DirectoryValue
{
    QString key;
    QString name;
    QString value;
};

struct DirectoryEntry
{
    QString dn;
    QList<DirectoryValue> values;
};

// What the store's URL resolution needs of a mailbox, kept in memory.
struct MailboxInfo
{
    qint64 id = 0;
    bool fileForm = true;
    bool httpForm = true;
    bool writable = true;
    QString inboxName;
    QHash<QString, qint64> folders; // folded path ("" is the root) -> folder id
};

// One open lab file: its SQLite connection, cached statements and in-memory indexes,
// shared by every connection object of the platform opened on it.
class LabDatabase
{
public:
    // Opens the file as it is; createLab and openLab do the checking.
    LabDatabase(const QString &path, bool readOnly);
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

    const Machine &machine();
    // Mailbox names (folded) -> mailboxes, reloaded when another program changed the file.
    const QHash<QString, QList<qint64>> &mailboxNames();
    const MailboxInfo *mailbox(qint64 id);
    const QList<DirectoryEntry> &directory();

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
    qint64 dataVersion();
    void refreshIfChanged();
    void loadMachine();
    void loadStore();
    void loadDirectory();

    QString m_path;
    QString m_connectionName;
    QSqlDatabase m_db;
    QHash<QString, QSqlQuery *> m_statements;
    std::unique_ptr<Machine> m_machine;
    bool m_storeLoaded = false;
    bool m_directoryLoaded = false;
    qint64 m_loadedVersion = -1;
    QHash<QString, QList<qint64>> m_mailboxNames;
    QHash<qint64, MailboxInfo> m_mailboxes;
    QList<DirectoryEntry> m_directory;
    const void *m_transactionOwner = nullptr;
};

// SQLite keeps a null QString as NULL; the lab's text columns want the empty text instead.
inline QString notNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

// The first RDN's value of a distinguished name ("Person" of "CN=Person,CN=Schema,...");
// empty when the text is not a distinguished name.
QString firstRdnValue(const QString &dn);

// Encodes directory attributes as "name=value" lines (the stored form), and back.
QString encodeAttributes(const QList<QPair<QString, QString>> &attributes);
QList<QPair<QString, QString>> decodeAttributes(const QString &text);

} // namespace lab
