#include "platform/lab/labschema.h"

#include "platform/lab/laberrors.h"
#include "platform/lab/typedvalue.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QSqlError>
#include <QUuid>

namespace lab {

void insertCatalogObject(LabDatabase &db, const QString &id, const QString &parentId,
                         const QString &kind, int position, const QString &name)
{
    QSqlQuery &insert = db.prepared(QStringLiteral(
        "INSERT INTO catalog_object(id, parent_id, kind, position, name) VALUES(?, ?, ?, ?, ?)"));
    insert.bindValue(0, id);
    insert.bindValue(1, parentId.isEmpty() ? QVariant() : QVariant(parentId));
    insert.bindValue(2, kind);
    insert.bindValue(3, position);
    insert.bindValue(4, notNull(name));
    db.run(insert);
}

namespace {

const char *const schemaStatements[] = {
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL)",
    "CREATE TABLE machine(name TEXT NOT NULL, position INTEGER NOT NULL, value TEXT NOT NULL, "
    "PRIMARY KEY(name, position))",
    // Attributes as "name=value" lines: readable with the sqlite3 shell, quick to load.
    "CREATE TABLE directory_object(id INTEGER PRIMARY KEY, dn TEXT NOT NULL, "
    "attributes TEXT NOT NULL)",
    "CREATE TABLE mailbox(id INTEGER PRIMARY KEY, file_form INTEGER NOT NULL, "
    "http_form INTEGER NOT NULL, writable INTEGER NOT NULL, inbox_name TEXT NOT NULL)",
    "CREATE TABLE mailbox_name(mailbox_id INTEGER NOT NULL REFERENCES mailbox(id), "
    "position INTEGER NOT NULL, name TEXT NOT NULL, name_key TEXT NOT NULL, "
    "PRIMARY KEY(mailbox_id, position))",
    "CREATE INDEX mailbox_name_by_key ON mailbox_name(name_key)",
    "CREATE TABLE folder(id INTEGER PRIMARY KEY, mailbox_id INTEGER NOT NULL REFERENCES "
    "mailbox(id), path TEXT NOT NULL, path_key TEXT NOT NULL, UNIQUE(mailbox_id, path_key))",
    "CREATE TABLE item(id INTEGER PRIMARY KEY, folder_id INTEGER NOT NULL REFERENCES folder(id), "
    "name TEXT NOT NULL, name_key TEXT NOT NULL, UNIQUE(folder_id, name_key))",
    "CREATE TABLE property(item_id INTEGER NOT NULL REFERENCES item(id), position INTEGER NOT "
    "NULL, name TEXT NOT NULL, type TEXT NOT NULL, value TEXT NOT NULL, PRIMARY KEY(item_id, "
    "name))",
    "CREATE TABLE catalog_object(id TEXT PRIMARY KEY, parent_id TEXT REFERENCES "
    "catalog_object(id), kind TEXT NOT NULL, position INTEGER NOT NULL, name TEXT NOT NULL)",
    "CREATE INDEX catalog_object_by_parent ON catalog_object(parent_id, position)",
    "CREATE TABLE catalog_property(object_id TEXT NOT NULL REFERENCES catalog_object(id), "
    "name TEXT NOT NULL, type TEXT NOT NULL, value TEXT NOT NULL, PRIMARY KEY(object_id, name))",
};

void writeMachine(LabDatabase &db, const Machine &m)
{
    QSqlQuery &insert =
        db.prepared(QStringLiteral("INSERT INTO machine(name, position, value) VALUES(?, ?, ?)"));
    auto put = [&](const char *name, const QStringList &values) {
        for (int i = 0; i < values.size(); ++i) {
            insert.bindValue(0, QString::fromLatin1(name));
            insert.bindValue(1, i);
            insert.bindValue(2, notNull(values[i]));
            db.run(insert);
        }
    };
    put("computerName", {m.computerName});
    put("domainDnsName", {m.domainDnsName});
    put("globalCatalogHost", {m.globalCatalogHost});
    if (!m.directoryProviderInstalled)
        put("directoryProviderInstalled", {QStringLiteral("false")});
    put("localMachineKeys", m.localMachineKeys);
    put("logonUserName", {m.logonUserName});
    put("lanGroup", {m.lanGroup});
    put("computerNameVariable", {m.computerNameVariable});
    put("storeRootListing", m.storeRootListing);
    put("storeDomainFolders", m.storeDomainFolders);
    put("storeHosts", m.storeHosts);
}

qint64 insertFolder(LabDatabase &db, qint64 mailboxId, const QString &path,
                    QHash<QString, qint64> &known)
{
    const QString key = path.toCaseFolded();
    if (auto it = known.constFind(key); it != known.constEnd())
        return *it;
    QSqlQuery &insert = db.prepared(
        QStringLiteral("INSERT INTO folder(mailbox_id, path, path_key) VALUES(?, ?, ?)"));
    insert.bindValue(0, mailboxId);
    insert.bindValue(1, notNull(path));
    insert.bindValue(2, notNull(key));
    db.run(insert);
    const qint64 id = insert.lastInsertId().toLongLong();
    known.insert(key, id);
    return id;
}

void writeMailbox(LabDatabase &db, const Mailbox &mailbox)
{
    QSqlQuery &insert = db.prepared(QStringLiteral(
        "INSERT INTO mailbox(file_form, http_form, writable, inbox_name) VALUES(?, ?, ?, ?)"));
    insert.bindValue(0, mailbox.fileForm);
    insert.bindValue(1, mailbox.httpForm);
    insert.bindValue(2, mailbox.writable);
    insert.bindValue(3, notNull(mailbox.inboxName));
    db.run(insert);
    const qint64 mailboxId = insert.lastInsertId().toLongLong();

    QSqlQuery &name = db.prepared(QStringLiteral(
        "INSERT INTO mailbox_name(mailbox_id, position, name, name_key) VALUES(?, ?, ?, ?)"));
    for (int i = 0; i < mailbox.names.size(); ++i) {
        name.bindValue(0, mailboxId);
        name.bindValue(1, i);
        name.bindValue(2, notNull(mailbox.names[i]));
        name.bindValue(3, notNull(mailbox.names[i].toCaseFolded()));
        db.run(name);
    }

    QHash<QString, qint64> folders;
    insertFolder(db, mailboxId, QString(), folders);
    insertFolder(db, mailboxId, mailbox.inboxName, folders);
    QSqlQuery &item =
        db.prepared(QStringLiteral("INSERT INTO item(folder_id, name, name_key) VALUES(?, ?, ?)"));
    QSqlQuery &property = db.prepared(QStringLiteral(
        "INSERT INTO property(item_id, position, name, type, value) VALUES(?, ?, ?, ?, ?)"));
    for (const Folder &folder : mailbox.folders) {
        const QStringList parts = folder.path.split(u'/', Qt::SkipEmptyParts);
        qint64 folderId = 0;
        for (int depth = 1; depth <= parts.size(); ++depth)
            folderId = insertFolder(db, mailboxId, parts.mid(0, depth).join(u'/'), folders);
        if (parts.isEmpty())
            folderId = folders.value(QString());
        for (const Item &it : folder.items) {
            item.bindValue(0, folderId);
            item.bindValue(1, notNull(it.name));
            item.bindValue(2, notNull(it.name.toCaseFolded()));
            db.run(item);
            const qint64 itemId = item.lastInsertId().toLongLong();
            for (int i = 0; i < it.properties.size(); ++i) {
                const StoredValue stored =
                    encodeValue(it.properties[i].name, it.properties[i].value);
                property.bindValue(0, itemId);
                property.bindValue(1, i);
                property.bindValue(2, notNull(it.properties[i].name));
                property.bindValue(3, stored.type);
                property.bindValue(4, notNull(stored.text));
                db.run(property);
            }
        }
    }
}

void writeCatalogObject(LabDatabase &db, const QString &id, const QString &parentId,
                        const QString &kind, int position, const QString &name,
                        const QList<QPair<QString, QVariant>> &properties)
{
    const QString key =
        id.isEmpty() ? QUuid::createUuid().toString(QUuid::WithBraces).toUpper() : id;
    insertCatalogObject(db, key, parentId, kind, position, name);
    QSqlQuery &property =
        db.prepared(QStringLiteral("INSERT OR REPLACE INTO catalog_property(object_id, name, type, "
                                   "value) VALUES(?, ?, ?, ?)"));
    for (const auto &[propertyName, value] : properties) {
        if (propertyName.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0 ||
            propertyName.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0)
            continue;
        StoredValue stored;
        if (propertyName.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0)
            stored = {QStringLiteral("secret"), hashPassword(value.toString())};
        else
            stored = encodeValue(propertyName, value);
        property.bindValue(0, key);
        property.bindValue(1, propertyName);
        property.bindValue(2, stored.type);
        property.bindValue(3, notNull(stored.text));
        db.run(property);
    }
}

// Every table's columns, in order, as SQLite reports them.
QHash<QString, QStringList> tableColumns(const QSqlDatabase &db, const QString &path)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT m.name, p.name FROM sqlite_master m, "
                                   "pragma_table_info(m.name) p WHERE m.type = 'table' "
                                   "ORDER BY m.name, p.cid")))
        fail(platform::error::LabFile, QStringLiteral("%1: cannot read the lab's tables: %2")
                                           .arg(path, query.lastError().text()));
    QHash<QString, QStringList> out;
    while (query.next())
        out[query.value(0).toString()].append(query.value(1).toString());
    return out;
}

// The columns this build's schema gives each table, read from a lab made in memory.
QHash<QString, QStringList> schemaColumns()
{
    const QString name = QStringLiteral("kestrelon-lab-schema");
    QHash<QString, QStringList> out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (db.open()) {
            for (const char *statement : schemaStatements)
                QSqlQuery(db).exec(QString::fromLatin1(statement));
            out = tableColumns(db, db.databaseName());
        }
    }
    QSqlDatabase::removeDatabase(name);
    return out;
}

} // namespace

void checkSchema(LabDatabase &db)
{
    static const QHash<QString, QStringList> expected = schemaColumns();
    const QHash<QString, QStringList> actual = tableColumns(db.database(), db.path());
    for (auto table = expected.begin(); table != expected.end(); ++table) {
        if (!actual.contains(table.key()))
            fail(platform::error::LabFile,
                 QStringLiteral("%1: the lab file is damaged: its table \"%2\" is missing")
                     .arg(db.path(), table.key()));
        for (const QString &column : *table) {
            if (!actual[table.key()].contains(column))
                fail(platform::error::LabFile,
                     QStringLiteral("%1: the lab file is damaged: its table \"%2\" has no "
                                    "column \"%3\"")
                         .arg(db.path(), table.key(), column));
        }
    }
}

QString hashPassword(const QString &password)
{
    QByteArray salt(16, Qt::Uninitialized);
    for (char &c : salt)
        c = static_cast<char>(QRandomGenerator::system()->bounded(256));
    const QByteArray hash =
        QCryptographicHash::hash(salt + password.toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("sha256:%1:%2")
        .arg(QString::fromLatin1(salt.toHex()), QString::fromLatin1(hash.toHex()));
}

void writeScenario(LabDatabase &db, const Scenario &scenario)
{
    db.execute(QStringLiteral("BEGIN"));
    try {
        for (const char *statement : schemaStatements)
            db.execute(QString::fromLatin1(statement));
        QSqlQuery &meta = db.prepared(QStringLiteral("INSERT INTO meta(key, value) VALUES(?, ?)"));
        meta.bindValue(0, QStringLiteral("schema_version"));
        meta.bindValue(1, QString::number(SchemaVersion));
        db.run(meta);
        meta.bindValue(0, QStringLiteral("kind"));
        meta.bindValue(1, QStringLiteral("kestrelon-lab"));
        db.run(meta);
        writeMachine(db, scenario.machine);
        QSqlQuery &object = db.prepared(
            QStringLiteral("INSERT INTO directory_object(dn, attributes) VALUES(?, ?)"));
        const QString adsPrefix =
            QStringLiteral("GC://%1/").arg(scenario.machine.globalCatalogHost);
        for (const DirectoryObject &entry : scenario.directory) {
            // The lab answers distinguishedName and ADsPath from the dn: no need to keep copies.
            QList<QPair<QString, QString>> kept;
            for (const auto &attribute : entry.attributes) {
                const bool derived =
                    (attribute.first.compare(QLatin1String("distinguishedName"),
                                             Qt::CaseInsensitive) == 0 &&
                     attribute.second == entry.dn) ||
                    (attribute.first.compare(QLatin1String("adspath"), Qt::CaseInsensitive) == 0 &&
                     attribute.second == adsPrefix + entry.dn);
                if (!derived)
                    kept.append(attribute);
            }
            object.bindValue(0, notNull(entry.dn));
            object.bindValue(1, notNull(encodeAttributes(kept)));
            db.run(object);
        }
        for (const Mailbox &mailbox : scenario.mailboxes)
            writeMailbox(db, mailbox);
        for (int a = 0; a < scenario.applications.size(); ++a) {
            const Application &app = scenario.applications[a];
            const QString appId = app.id.isEmpty()
                                      ? QUuid::createUuid().toString(QUuid::WithBraces).toUpper()
                                      : app.id;
            writeCatalogObject(db, appId, QString(), QStringLiteral("application"), a, app.name,
                               app.properties);
            for (int c = 0; c < app.components.size(); ++c)
                writeCatalogObject(db, app.components[c].id, appId, QStringLiteral("component"), c,
                                   app.components[c].name, app.components[c].properties);
        }
        db.execute(QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(db.database()).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

} // namespace lab
