#include "platform/lab/labrecord.h"

#include "platform/lab/laberrors.h"
#include "platform/lab/typedvalue.h"

#include <algorithm>
#include <array>

namespace lab {

namespace {

using platform::error::ObjectNotFound;

constexpr int PropertiesPerInsert = 16;

// "INSERT INTO property ... VALUES (...), (...)" with rows rows of values.
const QString &propertyInsert(int rows)
{
    static const std::array<QString, PropertiesPerInsert + 1> statements = [] {
        std::array<QString, PropertiesPerInsert + 1> texts;
        QString text = QStringLiteral("INSERT INTO property(item_id, position, name, type, value) "
                                      "VALUES(?, ?, ?, ?, ?)");
        for (int rows = 1; rows <= PropertiesPerInsert; ++rows) {
            texts[rows] = text;
            text += QStringLiteral(", (?, ?, ?, ?, ?)");
        }
        return texts;
    }();
    return statements[rows];
}

// A root or folder record shows computed properties; an item record its stored ones.
class LabRecord : public platform::StoreRecord
{
public:
    enum class Kind { Root, Folder, Item };

    LabRecord(std::shared_ptr<LabDatabase> db, Kind kind, QString url, bool writable,
              bool readWrite)
        : m_db(std::move(db)), m_kind(kind), m_url(std::move(url)), m_writable(writable),
          m_readWrite(readWrite)
    {
    }

    QString url() const override { return m_url; }
    bool isOpen() const override { return m_open; }

    int fieldCount() const override
    {
        requireOpen();
        ensureFields();
        return int(m_fields.size());
    }

    QVariant field(const QString &name) const override
    {
        requireOpen();
        ensureFields();
        for (const Property &p : m_fields) {
            if (p.name == name)
                return p.value;
        }
        fail(platform::error::ItemNotFound,
             QStringLiteral("%1: the record has no property \"%2\"").arg(m_url, name));
    }

    void setField(const QString &name, const QVariant &value) override
    {
        requireOpen();
        ensureFields();
        encodeValue(name, value);
        for (Property &p : m_fields) {
            if (p.name == name) {
                p.value = value;
                return;
            }
        }
        m_fields.append({name, value});
    }

    void update() override
    {
        requireWritable("update");
        ensureFields();
        LabDatabase::WriteScope scope(*m_db);
        if (m_replace || m_itemId == 0) {
            removeItem(m_db->findItem(m_folderId, m_itemName.toCaseFolded()));
            QSqlQuery &insert = m_db->prepared(
                QStringLiteral("INSERT INTO item(folder_id, name, name_key) VALUES(?, ?, ?)"));
            insert.bindValue(0, m_folderId);
            insert.bindValue(1, notNull(m_itemName));
            insert.bindValue(2, notNull(m_itemName.toCaseFolded()));
            m_db->run(insert);
            m_itemId = insert.lastInsertId().toLongLong();
            m_db->noteItemAdded(m_folderId, m_itemName.toCaseFolded(), m_itemId);
        } else {
            deleteProperties(m_itemId);
        }
        // Several properties per statement: an apply writes seven for each of thousands of
        // items, and each statement run has a cost of its own.
        for (int first = 0; first < m_fields.size(); first += PropertiesPerInsert) {
            const int rows = std::min(PropertiesPerInsert, int(m_fields.size()) - first);
            QSqlQuery &insert = m_db->prepared(propertyInsert(rows));
            for (int row = 0; row < rows; ++row) {
                const Property &field = m_fields[first + row];
                const StoredValue stored = encodeValue(field.name, field.value);
                insert.bindValue(row * 5, m_itemId);
                insert.bindValue(row * 5 + 1, first + row);
                insert.bindValue(row * 5 + 2, field.name);
                insert.bindValue(row * 5 + 3, stored.type);
                insert.bindValue(row * 5 + 4, notNull(stored.text));
            }
            m_db->run(insert);
        }
        scope.commit();
        m_replace = false;
    }

    void close() override { m_open = false; }

    void deleteRecord() override
    {
        requireWritable("delete");
        if (m_itemId == 0)
            fail(ObjectNotFound, QStringLiteral("%1: the item does not exist").arg(m_url));
        LabDatabase::WriteScope scope(*m_db);
        removeItem(m_itemId);
        scope.commit();
        m_itemId = 0;
        m_open = false;
    }

    void attachItem(qint64 folderId, const QString &itemName, bool replace)
    {
        m_folderId = folderId;
        m_itemName = itemName;
        m_replace = replace;
        m_itemId = m_db->findItem(folderId, itemName.toCaseFolded());
        m_fieldsLoaded = replace || m_itemId == 0;
    }

    bool itemExists() const { return m_itemId != 0; }
    void addField(const QString &name, const QVariant &value) { m_fields.append({name, value}); }

private:
    // An item's properties are read on first use: a probe that only opens it reads nothing.
    void ensureFields() const
    {
        if (m_fieldsLoaded)
            return;
        QSqlQuery &query = m_db->prepared(QStringLiteral(
            "SELECT name, type, value FROM property WHERE item_id = ? ORDER BY position"));
        query.bindValue(0, m_itemId);
        m_db->run(query);
        QList<Property> fields;
        try {
            while (query.next())
                fields.append({query.value(0).toString(),
                               decodeValue(query.value(1).toString(), query.value(2).toString())});
        } catch (...) {
            query.finish();
            throw;
        }
        query.finish();
        m_fields = fields;
        m_fieldsLoaded = true;
    }

    void requireOpen() const
    {
        if (!m_open)
            fail(platform::error::NotOpen, QStringLiteral("%1: the record is closed").arg(m_url));
    }

    void requireWritable(const char *operation) const
    {
        requireOpen();
        if (m_kind != Kind::Item)
            fail(platform::error::InvalidArgument,
                 QStringLiteral("%1: cannot %2 a folder in the lab; only items")
                     .arg(m_url, QLatin1String(operation)));
        if (!m_readWrite)
            fail(platform::error::InvalidArgument, QStringLiteral("%1: cannot %2 a record opened "
                                                                  "read-only")
                                                       .arg(m_url, QLatin1String(operation)));
        if (!m_writable)
            fail(platform::error::AccessDenied,
                 QStringLiteral("%1: access denied (%2)").arg(m_url, QLatin1String(operation)));
    }

    void deleteProperties(qint64 itemId)
    {
        QSqlQuery &query = m_db->prepared(QStringLiteral("DELETE FROM property WHERE item_id = ?"));
        query.bindValue(0, itemId);
        m_db->run(query);
    }

    void removeItem(qint64 itemId)
    {
        if (itemId == 0)
            return;
        deleteProperties(itemId);
        QSqlQuery &query = m_db->prepared(QStringLiteral("DELETE FROM item WHERE id = ?"));
        query.bindValue(0, itemId);
        m_db->run(query);
        m_db->noteItemRemoved(m_folderId, m_itemName.toCaseFolded());
    }

    std::shared_ptr<LabDatabase> m_db;
    Kind m_kind;
    QString m_url;
    bool m_writable;
    bool m_readWrite;
    bool m_open = true;
    bool m_replace = false;
    qint64 m_folderId = 0;
    qint64 m_itemId = 0;
    QString m_itemName;
    mutable QList<Property> m_fields;
    mutable bool m_fieldsLoaded = true;
};

QString withoutTrailingSlash(QString url)
{
    while (url.endsWith(u'/'))
        url.chop(1);
    return url;
}

} // namespace

std::unique_ptr<platform::StoreRecord> openLabRecord(const std::shared_ptr<LabDatabase> &db,
                                                     const MailboxInfo &mailbox,
                                                     const StoreUrl &parsed, const QString &url,
                                                     platform::RecordMode mode,
                                                     platform::CreateOption createOption)
{
    const bool readWrite = mode == platform::RecordMode::ReadWrite;
    const bool overwrite = createOption == platform::CreateOption::Overwrite;
    const QString cleanUrl = withoutTrailingSlash(url);
    if (parsed.path.isEmpty()) {
        auto root = std::make_unique<LabRecord>(db, LabRecord::Kind::Root, cleanUrl,
                                                mailbox.writable, readWrite);
        root->addField(QStringLiteral("urn:schemas:httpmail:inbox"),
                       cleanUrl + u'/' + mailbox.inboxName);
        root->addField(QStringLiteral("DAV:href"), cleanUrl);
        root->addField(QStringLiteral("DAV:isfolder"), true);
        root->addField(QStringLiteral("DAV:displayname"), parsed.mailboxName);
        return root;
    }
    const QString joined = parsed.path.join(u'/');
    if (db->findFolder(mailbox.id, joined.toCaseFolded()) != 0) {
        if (overwrite)
            fail(platform::error::InvalidArgument,
                 QStringLiteral("%1: a folder cannot be replaced by an item").arg(url));
        auto record = std::make_unique<LabRecord>(db, LabRecord::Kind::Folder, cleanUrl,
                                                  mailbox.writable, readWrite);
        record->addField(QStringLiteral("DAV:href"), cleanUrl);
        record->addField(QStringLiteral("DAV:isfolder"), true);
        record->addField(QStringLiteral("DAV:displayname"), parsed.path.last());
        return record;
    }
    const QString folderPath = parsed.path.mid(0, parsed.path.size() - 1).join(u'/');
    const qint64 folder = db->findFolder(mailbox.id, folderPath.toCaseFolded());
    if (folder == 0)
        fail(ObjectNotFound,
             QStringLiteral("%1: the folder \"%2\" does not exist").arg(url, folderPath));
    auto record = std::make_unique<LabRecord>(db, LabRecord::Kind::Item, cleanUrl, mailbox.writable,
                                              readWrite);
    record->attachItem(folder, parsed.path.last(), overwrite);
    if (!overwrite && !record->itemExists())
        fail(ObjectNotFound,
             QStringLiteral("%1: the item \"%2\" does not exist").arg(url, parsed.path.last()));
    return record;
}

} // namespace lab
