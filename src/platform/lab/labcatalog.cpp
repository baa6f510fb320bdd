#include "platform/lab/labcatalog.h"

#include "platform/lab/laberrors.h"
#include "platform/lab/labschema.h"
#include "platform/lab/standinlibrary.h"
#include "platform/lab/typedvalue.h"

#include <QSet>
#include <QUuid>
#include <vector>

namespace lab {

namespace {

using platform::error::ItemNotFound;

constexpr qint32 objectDoesNotExist = static_cast<qint32>(0x80110809u);

bool isSecret(const QString &name)
{
    return name.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0;
}

bool isName(const QString &name)
{
    return name.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0;
}

bool isId(const QString &name)
{
    return name.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0;
}

QString newGuid()
{
    return QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
}

struct CatalogProperty
{
    QString name;
    QVariant value; // for a secret: its stored hash, never shown
    bool secret = false;
};

class LabCatalogObject : public platform::CatalogObject
{
public:
    LabCatalogObject(QString id, QString name, bool isNew)
        : m_id(std::move(id)), m_name(std::move(name)), m_new(isNew)
    {
    }

    QString name() const override { return m_name; }
    QVariant key() const override { return m_id; }

    QVariant value(const QString &property) const override
    {
        if (isName(property))
            return m_name;
        if (isId(property))
            return m_id;
        for (const CatalogProperty &p : m_properties) {
            if (p.name.compare(property, Qt::CaseInsensitive) == 0)
                return p.secret ? QVariant(QString::fromLatin1(HiddenSecret)) : p.value;
        }
        return {};
    }

    void setValue(const QString &property, const QVariant &value) override
    {
        if (isId(property))
            fail(platform::error::InvalidArgument,
                 QStringLiteral("Catalog object \"%1\": the ID cannot be changed").arg(m_name));
        if (isName(property)) {
            m_name = value.toString();
            m_nameChanged = true;
            return;
        }
        CatalogProperty staged{property, value, isSecret(property)};
        if (staged.secret)
            staged.value = hashPassword(value.toString());
        else
            encodeValue(property, value);
        m_changed.insert(property.toCaseFolded());
        for (CatalogProperty &p : m_properties) {
            if (p.name.compare(property, Qt::CaseInsensitive) == 0) {
                p = staged;
                return;
            }
        }
        m_properties.append(staged);
    }

    void loadProperty(const QString &name, const QString &type, const QString &text)
    {
        if (type == QLatin1String("secret"))
            m_properties.append({name, text, true});
        else
            m_properties.append({name, decodeValue(type, text), false});
    }

    bool hasChanges() const { return m_new || m_nameChanged || !m_changed.isEmpty(); }

    void save(LabDatabase &db, const QString &parentId, const QString &kind, int position)
    {
        if (m_new) {
            insertCatalogObject(db, m_id, parentId, kind, position, m_name);
        } else if (m_nameChanged) {
            QSqlQuery &update =
                db.prepared(QStringLiteral("UPDATE catalog_object SET name = ? WHERE id = ?"));
            update.bindValue(0, notNull(m_name));
            update.bindValue(1, m_id);
            db.run(update);
        }
        QSqlQuery &property = db.prepared(
            QStringLiteral("INSERT OR REPLACE INTO catalog_property(object_id, name, type, value) "
                           "VALUES(?, ?, ?, ?)"));
        for (const CatalogProperty &p : m_properties) {
            if (!m_new && !m_changed.contains(p.name.toCaseFolded()))
                continue;
            const StoredValue stored =
                p.secret ? StoredValue{QStringLiteral("secret"), p.value.toString()}
                         : encodeValue(p.name, p.value);
            property.bindValue(0, m_id);
            property.bindValue(1, p.name);
            property.bindValue(2, stored.type);
            property.bindValue(3, notNull(stored.text));
            db.run(property);
        }
    }

    void markSaved()
    {
        m_new = false;
        m_nameChanged = false;
        m_changed.clear();
    }

    bool isNew() const { return m_new; }

private:
    QString m_id;
    QString m_name;
    bool m_new;
    bool m_nameChanged = false;
    QSet<QString> m_changed;
    QList<CatalogProperty> m_properties;
};

void deleteObjectTree(LabDatabase &db, const QString &id)
{
    QSqlQuery &children =
        db.prepared(QStringLiteral("SELECT id FROM catalog_object WHERE parent_id = ?"));
    children.bindValue(0, id);
    db.run(children);
    QStringList ids;
    while (children.next())
        ids.append(children.value(0).toString());
    children.finish();
    for (const QString &child : std::as_const(ids))
        deleteObjectTree(db, child);
    QSqlQuery &properties =
        db.prepared(QStringLiteral("DELETE FROM catalog_property WHERE object_id = ?"));
    properties.bindValue(0, id);
    db.run(properties);
    QSqlQuery &object = db.prepared(QStringLiteral("DELETE FROM catalog_object WHERE id = ?"));
    object.bindValue(0, id);
    db.run(object);
}

int nextPosition(LabDatabase &db, const QString &parentId)
{
    QSqlQuery &query = db.prepared(QStringLiteral(
        "SELECT COALESCE(MAX(position) + 1, 0) FROM catalog_object WHERE parent_id IS ?"));
    query.bindValue(0, parentId.isEmpty() ? QVariant() : QVariant(parentId));
    db.run(query);
    const int position = query.next() ? query.value(0).toInt() : 0;
    query.finish();
    return position;
}

class LabCatalogCollection : public platform::CatalogCollection
{
public:
    LabCatalogCollection(std::shared_ptr<LabDatabase> db, QString name, QString parentId,
                         QString kind)
        : m_db(std::move(db)), m_name(std::move(name)), m_parentId(std::move(parentId)),
          m_kind(std::move(kind))
    {
    }

    void populate() override
    {
        m_items.clear();
        m_removed.clear();
        QSqlQuery &objects = m_db->prepared(
            QStringLiteral("SELECT id, name FROM catalog_object WHERE parent_id IS ? AND kind = ? "
                           "ORDER BY position"));
        objects.bindValue(0, m_parentId.isEmpty() ? QVariant() : QVariant(m_parentId));
        objects.bindValue(1, m_kind);
        m_db->run(objects);
        while (objects.next())
            m_items.push_back(std::make_unique<LabCatalogObject>(
                objects.value(0).toString(), objects.value(1).toString(), false));
        objects.finish();
        QSqlQuery &properties = m_db->prepared(QStringLiteral(
            "SELECT name, type, value FROM catalog_property WHERE object_id = ? ORDER BY name"));
        for (auto &item : m_items) {
            properties.bindValue(0, item->key());
            m_db->run(properties);
            while (properties.next())
                item->loadProperty(properties.value(0).toString(), properties.value(1).toString(),
                                   properties.value(2).toString());
            properties.finish();
        }
    }

    int count() const override { return int(m_items.size()); }

    platform::CatalogObject *item(int index) override
    {
        return index >= 0 && index < count() ? m_items[index].get() : nullptr;
    }

    platform::CatalogObject *add() override
    {
        m_items.push_back(std::make_unique<LabCatalogObject>(newGuid(), QString(), true));
        return m_items.back().get();
    }

    void remove(int index) override
    {
        if (index < 0 || index >= count())
            fail(ItemNotFound, QStringLiteral("Collection \"%1\" has no item %2 (it holds %3)")
                                   .arg(m_name)
                                   .arg(index)
                                   .arg(count()));
        if (!m_items[index]->isNew())
            m_removed.append(m_items[index]->key().toString());
        m_items.erase(m_items.begin() + index);
    }

    int saveChanges() override
    {
        int changed = 0;
        LabDatabase::WriteScope scope(*m_db);
        for (const QString &id : std::as_const(m_removed)) {
            deleteObjectTree(*m_db, id);
            ++changed;
        }
        for (auto &item : m_items) {
            if (!item->hasChanges())
                continue;
            item->save(*m_db, m_parentId, m_kind, nextPosition(*m_db, m_parentId));
            ++changed;
        }
        scope.commit();
        m_removed.clear();
        for (auto &item : m_items)
            item->markSaved();
        return changed;
    }

    std::unique_ptr<platform::CatalogCollection> getCollection(const QString &name,
                                                               const QVariant &key) override
    {
        if (m_kind != QLatin1String("application") ||
            name.compare(QLatin1String("Components"), Qt::CaseInsensitive) != 0)
            fail(ItemNotFound, QStringLiteral("Collection \"%1\" has no related collection \"%2\"")
                                   .arg(m_name, name));
        const QString parentId = key.toString();
        for (const auto &item : m_items) {
            if (item->key().toString() == parentId && !item->isNew())
                return std::make_unique<LabCatalogCollection>(
                    m_db, QStringLiteral("Components"), parentId, QStringLiteral("component"));
        }
        fail(
            objectDoesNotExist,
            QStringLiteral("No saved application with the key %1 in \"%2\"").arg(parentId, m_name));
    }

private:
    std::shared_ptr<LabDatabase> m_db;
    QString m_name;
    QString m_parentId;
    QString m_kind;
    std::vector<std::unique_ptr<LabCatalogObject>> m_items;
    QStringList m_removed;
};

} // namespace

LabCatalog::LabCatalog(std::shared_ptr<LabDatabase> db) : m_db(std::move(db)) {}

std::unique_ptr<platform::CatalogCollection> LabCatalog::getCollection(const QString &name)
{
    if (name.compare(QLatin1String("Applications"), Qt::CaseInsensitive) != 0)
        fail(ItemNotFound, QStringLiteral("The catalog has no collection \"%1\"").arg(name));
    return std::make_unique<LabCatalogCollection>(m_db, QStringLiteral("Applications"), QString(),
                                                  QStringLiteral("application"));
}

void LabCatalog::installComponent(const QString &applicationName, const QString &dllPath,
                                  const QString &, const QString &)
{
    QSqlQuery &find = m_db->prepared(QStringLiteral(
        "SELECT id, name FROM catalog_object WHERE kind = 'application' ORDER BY position"));
    m_db->run(find);
    QString appId;
    while (find.next()) {
        if (find.value(1).toString().compare(applicationName, Qt::CaseInsensitive) == 0) {
            appId = find.value(0).toString();
            break;
        }
    }
    find.finish();
    if (appId.isEmpty())
        fail(objectDoesNotExist,
             QStringLiteral("Installing %1: the catalog has no application \"%2\"")
                 .arg(dllPath, applicationName));
    const QStringList progIds = readStandInLibrary(dllPath);

    LabCatalogCollection components(m_db, QStringLiteral("Components"), appId,
                                    QStringLiteral("component"));
    components.populate();
    QSet<QString> present;
    for (int i = 0; i < components.count(); ++i)
        present.insert(components.item(i)->name());
    for (const QString &progId : progIds) {
        if (present.contains(progId))
            continue;
        platform::CatalogObject *component = components.add();
        component->setValue(QStringLiteral("Name"), progId);
        component->setValue(QStringLiteral("ProgID"), progId);
        component->setValue(QStringLiteral("DLL"), dllPath);
        component->setValue(QStringLiteral("ConstructionEnabled"), false);
        component->setValue(QStringLiteral("ConstructorString"), QString());
        present.insert(progId);
    }
    components.saveChanges();
}

} // namespace lab
