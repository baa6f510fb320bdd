#include "platform/lab/labreport.h"

#include "platform/lab/labfile.h"
#include "platform/lab/labplatform.h"
#include "platform/lab/typedvalue.h"

#include <QDateTime>
#include <QJsonArray>

namespace lab {

namespace {

QJsonValue jsonValue(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().toString(Qt::ISODateWithMs);
    return QJsonValue::fromVariant(value);
}

QJsonObject machineReport(const Machine &m)
{
    return {
        {QStringLiteral("computerName"), m.computerName},
        {QStringLiteral("domainDnsName"), m.domainDnsName},
        {QStringLiteral("globalCatalogHost"), m.globalCatalogHost},
        {QStringLiteral("localMachineKeys"), QJsonArray::fromStringList(m.localMachineKeys)},
        {QStringLiteral("logonUserName"), m.logonUserName},
        {QStringLiteral("lanGroup"), m.lanGroup},
        {QStringLiteral("computerNameVariable"), m.computerNameVariable},
        {QStringLiteral("storeRootListing"), QJsonArray::fromStringList(m.storeRootListing)},
        {QStringLiteral("storeDomainFolders"), QJsonArray::fromStringList(m.storeDomainFolders)},
        {QStringLiteral("storeHosts"), QJsonArray::fromStringList(m.storeHosts)}};
}

QJsonArray folderItems(LabDatabase &db, qint64 folderId)
{
    QJsonArray items;
    QSqlQuery &query = db.prepared(QStringLiteral(
        "SELECT i.id, i.name, p.name, p.type, p.value FROM item i LEFT JOIN property p ON "
        "p.item_id = i.id WHERE i.folder_id = ? ORDER BY i.name_key, i.id, p.position"));
    query.bindValue(0, folderId);
    db.run(query);
    qint64 current = -1;
    QJsonObject item;
    QJsonArray properties;
    auto flush = [&] {
        if (current < 0)
            return;
        item.insert(QStringLiteral("properties"), properties);
        items.append(item);
    };
    while (query.next()) {
        if (query.value(0).toLongLong() != current) {
            flush();
            current = query.value(0).toLongLong();
            item = {{QStringLiteral("name"), query.value(1).toString()}};
            properties = {};
        }
        if (!query.isNull(2))
            properties.append(QJsonObject{
                {QStringLiteral("name"), query.value(2).toString()},
                {QStringLiteral("type"), query.value(3).toString()},
                {QStringLiteral("value"),
                 jsonValue(decodeValue(query.value(3).toString(), query.value(4).toString()))}});
    }
    query.finish();
    flush();
    return items;
}

QJsonArray mailboxesReport(LabDatabase &db)
{
    QHash<qint64, QStringList> names;
    QSqlQuery &nameQuery =
        db.prepared(QStringLiteral("SELECT mailbox_id, name FROM mailbox_name ORDER BY position"));
    db.run(nameQuery);
    while (nameQuery.next())
        names[nameQuery.value(0).toLongLong()].append(nameQuery.value(1).toString());
    nameQuery.finish();
    QList<qint64> ids;
    QSqlQuery &idQuery = db.prepared(QStringLiteral("SELECT id FROM mailbox ORDER BY id"));
    db.run(idQuery);
    while (idQuery.next())
        ids.append(idQuery.value(0).toLongLong());
    idQuery.finish();

    const QString globalEvents = QStringLiteral("StoreEvents/GlobalEvents");
    QJsonArray mailboxes;
    for (qint64 id : std::as_const(ids)) {
        const MailboxInfo *info = db.mailbox(id);
        QJsonObject box{{QStringLiteral("names"), QJsonArray::fromStringList(names.value(id))},
                        {QStringLiteral("fileForm"), info->fileForm},
                        {QStringLiteral("httpForm"), info->httpForm},
                        {QStringLiteral("writable"), info->writable},
                        {QStringLiteral("inboxName"), info->inboxName}};
        box.insert(QStringLiteral("inboxItems"),
                   folderItems(db, db.findFolder(id, info->inboxName.toCaseFolded())));
        if (const qint64 events = db.findFolder(id, globalEvents.toCaseFolded()))
            box.insert(QStringLiteral("globalEventsItems"), folderItems(db, events));
        mailboxes.append(box);
    }
    return mailboxes;
}

QJsonObject catalogObjectReport(platform::CatalogObject &object, const QStringList &properties)
{
    QJsonObject report{{QStringLiteral("name"), object.name()},
                       {QStringLiteral("id"), object.key().toString()}};
    QJsonObject values;
    for (const QString &name : properties) {
        // Not even the mask: a report may be pasted anywhere.
        if (name.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0)
            continue;
        values.insert(name, jsonValue(object.value(name)));
    }
    report.insert(QStringLiteral("properties"), values);
    return report;
}

QStringList propertyNames(LabDatabase &db, const QString &objectId)
{
    QStringList out;
    QSqlQuery &query = db.prepared(
        QStringLiteral("SELECT name FROM catalog_property WHERE object_id = ? ORDER BY name"));
    query.bindValue(0, objectId);
    db.run(query);
    while (query.next())
        out.append(query.value(0).toString());
    query.finish();
    return out;
}

QJsonArray catalogReport(LabPlatform &platform)
{
    QJsonArray applications;
    auto catalog = platform.createCatalog();
    auto apps = catalog->getCollection(QStringLiteral("Applications"));
    apps->populate();
    for (int i = 0; i < apps->count(); ++i) {
        platform::CatalogObject *app = apps->item(i);
        QJsonObject report =
            catalogObjectReport(*app, propertyNames(platform.database(), app->key().toString()));
        QJsonArray components;
        auto children = apps->getCollection(QStringLiteral("Components"), app->key());
        children->populate();
        for (int c = 0; c < children->count(); ++c) {
            platform::CatalogObject *component = children->item(c);
            components.append(catalogObjectReport(
                *component, propertyNames(platform.database(), component->key().toString())));
        }
        report.insert(QStringLiteral("components"), components);
        applications.append(report);
    }
    return applications;
}

QString valueText(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'g', 17);
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        return QStringLiteral("(null)");
    case QJsonValue::Array: {
        QStringList parts;
        for (const QJsonValue &v : value.toArray())
            parts.append(v.toString());
        return parts.join(QStringLiteral(", "));
    }
    default:
        return QLatin1Char('"') + value.toString() + QLatin1Char('"');
    }
}

void itemsText(QString &out, const QString &title, const QJsonArray &items)
{
    out += QStringLiteral("    %1: %2\n")
               .arg(title, items.isEmpty() ? QStringLiteral("no items")
                                           : QStringLiteral("%1 item(s)").arg(items.size()));
    for (const QJsonValue &item : items) {
        out += QStringLiteral("      %1\n").arg(item[QStringLiteral("name")].toString());
        for (const QJsonValue &p : item[QStringLiteral("properties")].toArray())
            out += QStringLiteral("        %1 = %2 (%3)\n")
                       .arg(p[QStringLiteral("name")].toString(),
                            valueText(p[QStringLiteral("value")]),
                            p[QStringLiteral("type")].toString());
    }
}

} // namespace

QJsonObject labReport(const QString &path)
{
    auto platform = openLab(path);
    auto &lab = static_cast<LabPlatform &>(*platform);
    QJsonObject report;
    report.insert(QStringLiteral("file"), path);
    report.insert(QStringLiteral("machine"), machineReport(lab.database().machine()));
    report.insert(QStringLiteral("mailboxes"), mailboxesReport(lab.database()));
    report.insert(QStringLiteral("applications"), catalogReport(lab));
    return report;
}

QString labReportText(const QJsonObject &report)
{
    QString out =
        QStringLiteral("Lab %1\n\nMachine\n").arg(report[QStringLiteral("file")].toString());
    const QJsonObject machine = report[QStringLiteral("machine")].toObject();
    for (const QString &key :
         {QStringLiteral("computerName"), QStringLiteral("domainDnsName"),
          QStringLiteral("globalCatalogHost"), QStringLiteral("localMachineKeys"),
          QStringLiteral("logonUserName"), QStringLiteral("lanGroup"),
          QStringLiteral("computerNameVariable"), QStringLiteral("storeRootListing"),
          QStringLiteral("storeDomainFolders"), QStringLiteral("storeHosts")})
        out += QStringLiteral("  %1: %2\n").arg(key, valueText(machine[key]));
    const QJsonArray mailboxes = report[QStringLiteral("mailboxes")].toArray();
    out += QStringLiteral("\nMailboxes (%1)\n").arg(mailboxes.size());
    for (const QJsonValue &box : mailboxes) {
        QStringList forms;
        if (box[QStringLiteral("fileForm")].toBool())
            forms.append(QStringLiteral("file"));
        if (box[QStringLiteral("httpForm")].toBool())
            forms.append(QStringLiteral("http"));
        QStringList names;
        for (const QJsonValue &n : box[QStringLiteral("names")].toArray())
            names.append(n.toString());
        out += QStringLiteral("  %1  [forms: %2; inbox \"%3\"%4]\n")
                   .arg(names.isEmpty() ? QStringLiteral("(no name)")
                                        : names.join(QStringLiteral(", ")),
                        forms.isEmpty() ? QStringLiteral("none") : forms.join(u'+'),
                        box[QStringLiteral("inboxName")].toString(),
                        box[QStringLiteral("writable")].toBool() ? QString()
                                                                 : QStringLiteral("; read-only"));
        itemsText(out, QStringLiteral("inbox"), box[QStringLiteral("inboxItems")].toArray());
        if (box.toObject().contains(QStringLiteral("globalEventsItems")))
            itemsText(out, QStringLiteral("StoreEvents/GlobalEvents"),
                      box[QStringLiteral("globalEventsItems")].toArray());
    }
    const QJsonArray apps = report[QStringLiteral("applications")].toArray();
    out += QStringLiteral("\nCatalog applications (%1)\n").arg(apps.size());
    for (const QJsonValue &app : apps) {
        out +=
            QStringLiteral("  %1 %2\n")
                .arg(app[QStringLiteral("name")].toString(), app[QStringLiteral("id")].toString());
        const QJsonObject properties = app[QStringLiteral("properties")].toObject();
        for (auto it = properties.begin(); it != properties.end(); ++it)
            out += QStringLiteral("    %1 = %2\n").arg(it.key(), valueText(it.value()));
        for (const QJsonValue &component : app[QStringLiteral("components")].toArray()) {
            out += QStringLiteral("    component %1 %2\n")
                       .arg(component[QStringLiteral("name")].toString(),
                            component[QStringLiteral("id")].toString());
            const QJsonObject cp = component[QStringLiteral("properties")].toObject();
            for (auto it = cp.begin(); it != cp.end(); ++it)
                out += QStringLiteral("      %1 = %2\n").arg(it.key(), valueText(it.value()));
        }
    }
    return out;
}

} // namespace lab
