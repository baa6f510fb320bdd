#include "platform/lab/duplicatekeys.h"
#include "platform/lab/laberrors.h"
#include "platform/lab/labscenario.h"

#include <algorithm>
#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace lab {

namespace {

// Reads one scenario file; every error names the file and the key path ("users[2].cn").
class JsonReader
{
public:
    explicit JsonReader(QString source) : m_source(std::move(source)) {}

    [[noreturn]] void error(const QString &where, const QString &what) const
    {
        fail(platform::error::InvalidArgument,
             QStringLiteral("%1: %2: %3").arg(m_source, where, what));
    }

    void allowKeys(const QJsonObject &object, const QString &where, const QStringList &keys) const
    {
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (!keys.contains(it.key()))
                error(where.isEmpty() ? it.key() : where + u'.' + it.key(),
                      QStringLiteral("unknown key (known here: %1)")
                          .arg(keys.join(QStringLiteral(", "))));
        }
    }

    QJsonObject object(const QJsonValue &value, const QString &where) const
    {
        if (!value.isObject())
            error(where, QStringLiteral("expected an object"));
        return value.toObject();
    }

    QJsonArray array(const QJsonObject &parent, const QString &key, const QString &where) const
    {
        const QJsonValue value = parent.value(key);
        if (value.isUndefined())
            return {};
        if (!value.isArray())
            error(where, QStringLiteral("expected an array"));
        return value.toArray();
    }

    void text(const QJsonObject &o, const QString &key, const QString &where, QString &out,
              bool required = false) const
    {
        const QJsonValue value = o.value(key);
        if (value.isUndefined()) {
            if (required)
                error(where, QStringLiteral("missing (a string is required)"));
            return;
        }
        if (!value.isString())
            error(where, QStringLiteral("expected a string"));
        out = value.toString();
    }

    void flag(const QJsonObject &o, const QString &key, const QString &where, bool &out) const
    {
        const QJsonValue value = o.value(key);
        if (value.isUndefined())
            return;
        if (!value.isBool())
            error(where, QStringLiteral("expected true or false"));
        out = value.toBool();
    }

    void texts(const QJsonObject &o, const QString &key, const QString &where,
               QStringList &out) const
    {
        const QJsonValue value = o.value(key);
        if (value.isUndefined())
            return;
        if (!value.isArray())
            error(where, QStringLiteral("expected an array of strings"));
        out.clear();
        const QJsonArray items = value.toArray();
        for (int i = 0; i < items.size(); ++i) {
            if (!items[i].isString())
                error(QStringLiteral("%1[%2]").arg(where).arg(i),
                      QStringLiteral("expected a string"));
            out.append(items[i].toString());
        }
    }

    QVariant typedValue(const QJsonValue &value, const QString &where) const
    {
        if (value.isString())
            return value.toString();
        if (value.isBool())
            return value.toBool();
        if (value.isDouble()) {
            const double d = value.toDouble();
            if (d == double(qint64(d)))
                return qint64(d);
            return d;
        }
        if (value.isObject()) {
            const QJsonObject o = value.toObject();
            allowKeys(o, where, {QStringLiteral("datetime")});
            const QDateTime when =
                QDateTime::fromString(o.value(QStringLiteral("datetime")).toString(), Qt::ISODate);
            if (!when.isValid())
                error(where + QStringLiteral(".datetime"),
                      QStringLiteral("expected an ISO 8601 date and time"));
            return when;
        }
        error(where,
              QStringLiteral("expected a string, true/false, a number or {\"datetime\": ...}"));
    }

    QList<QPair<QString, QVariant>> properties(const QJsonObject &o, const QString &where) const
    {
        QList<QPair<QString, QVariant>> out;
        const QJsonValue value = o.value(QStringLiteral("properties"));
        if (value.isUndefined())
            return out;
        const QJsonObject map = object(value, where);
        for (auto it = map.begin(); it != map.end(); ++it)
            out.append({it.key(), typedValue(it.value(), where + u'.' + it.key())});
        return out;
    }

    // Refuses a second use of a name that must be unique (compared as key), naming both places.
    void claim(QHash<QString, QString> &seen, const QString &key, const QString &where,
               const QString &what, const QString &name) const
    {
        const auto first = seen.constFind(key);
        if (first != seen.constEnd())
            error(where,
                  QStringLiteral("%1 \"%2\" is already given at %3").arg(what, name, *first));
        seen.insert(key, where);
    }

    // The directory object just added must have a distinguished name of its own.
    void claimDn(const Scenario &s, const QString &where)
    {
        const QString dn = s.directory.last().dn;
        claim(m_dns, dn.toCaseFolded(), where, QStringLiteral("the directory object"), dn);
    }

    QString homeServer(const QJsonObject &o, const QString &where) const
    {
        QString server = QStringLiteral("EXCH01");
        text(o, QStringLiteral("homeServer"), where + QStringLiteral(".homeServer"), server);
        return server.contains(u'/') ? server : homeServerValue(server);
    }

    void readMachine(const QJsonObject &root, Machine &m) const
    {
        const QJsonValue value = root.value(QStringLiteral("machine"));
        if (value.isUndefined())
            return;
        const QString w = QStringLiteral("machine");
        const QJsonObject o = object(value, w);
        allowKeys(o, w,
                  {QStringLiteral("computerName"), QStringLiteral("domainDnsName"),
                   QStringLiteral("globalCatalogHost"), QStringLiteral("localMachineKeys"),
                   QStringLiteral("logonUserName"), QStringLiteral("lanGroup"),
                   QStringLiteral("computerNameVariable"), QStringLiteral("storeRootListing"),
                   QStringLiteral("storeDomainFolders"), QStringLiteral("storeHosts"),
                   QStringLiteral("directoryProviderInstalled")});
        auto t = [&](const char *key, QString &out) {
            text(o, QLatin1String(key), w + u'.' + QLatin1String(key), out);
        };
        auto l = [&](const char *key, QStringList &out) {
            texts(o, QLatin1String(key), w + u'.' + QLatin1String(key), out);
        };
        t("computerName", m.computerName);
        t("domainDnsName", m.domainDnsName);
        t("globalCatalogHost", m.globalCatalogHost);
        l("localMachineKeys", m.localMachineKeys);
        t("logonUserName", m.logonUserName);
        t("lanGroup", m.lanGroup);
        t("computerNameVariable", m.computerNameVariable);
        l("storeRootListing", m.storeRootListing);
        l("storeDomainFolders", m.storeDomainFolders);
        l("storeHosts", m.storeHosts);
        flag(o, QStringLiteral("directoryProviderInstalled"),
             w + QStringLiteral(".directoryProviderInstalled"), m.directoryProviderInstalled);
    }

    void readSystemMailboxes(const QJsonObject &root, Scenario &s)
    {
        const QJsonArray list =
            array(root, QStringLiteral("systemMailboxes"), QStringLiteral("systemMailboxes"));
        for (int i = 0; i < list.size(); ++i) {
            const QString w = QStringLiteral("systemMailboxes[%1]").arg(i);
            const QJsonObject o = object(list[i], w);
            allowKeys(o, w,
                      {QStringLiteral("storeName"), QStringLiteral("guid"),
                       QStringLiteral("homeServer"), QStringLiteral("storeWideBound"),
                       QStringLiteral("hasMailbox"), QStringLiteral("mail")});
            SystemMailboxSpec systemMailbox;
            text(o, QStringLiteral("storeName"), w + QStringLiteral(".storeName"),
                 systemMailbox.storeName, true);
            text(o, QStringLiteral("guid"), w + QStringLiteral(".guid"), systemMailbox.guid, true);
            if (!systemMailbox.guid.startsWith(u'{') || !systemMailbox.guid.endsWith(u'}'))
                error(w + QStringLiteral(".guid"), QStringLiteral("expected a GUID in braces"));
            systemMailbox.homeServer = homeServer(o, w);
            flag(o, QStringLiteral("storeWideBound"), w + QStringLiteral(".storeWideBound"),
                 systemMailbox.storeWideBound);
            flag(o, QStringLiteral("hasMailbox"), w + QStringLiteral(".hasMailbox"),
                 systemMailbox.hasMailbox);
            text(o, QStringLiteral("mail"), w + QStringLiteral(".mail"), systemMailbox.mail);
            addSystemMailbox(s, systemMailbox);
            claimDn(s, w + QStringLiteral(".guid"));
        }
    }

    void readUsers(const QJsonObject &root, Scenario &s)
    {
        const QJsonArray list = array(root, QStringLiteral("users"), QStringLiteral("users"));
        for (int i = 0; i < list.size(); ++i) {
            const QString w = QStringLiteral("users[%1]").arg(i);
            const QJsonObject o = object(list[i], w);
            allowKeys(o, w,
                      {QStringLiteral("cn"), QStringLiteral("alias"), QStringLiteral("mail"),
                       QStringLiteral("homeServer"), QStringLiteral("disabled"),
                       QStringLiteral("bound"), QStringLiteral("hasMailbox"),
                       QStringLiteral("storeNames"), QStringLiteral("fileForm"),
                       QStringLiteral("httpForm"), QStringLiteral("inboxName"),
                       QStringLiteral("mailboxStore"), QStringLiteral("samAccountName")});
            MailboxUser u;
            auto t = [&](const char *key, QString &out, bool required = false) {
                text(o, QLatin1String(key), w + u'.' + QLatin1String(key), out, required);
            };
            auto f = [&](const char *key, bool &out) {
                flag(o, QLatin1String(key), w + u'.' + QLatin1String(key), out);
            };
            t("cn", u.cn, true);
            t("alias", u.alias);
            t("mail", u.mail);
            u.homeServer = homeServer(o, w);
            f("disabled", u.disabled);
            f("bound", u.bound);
            f("hasMailbox", u.hasMailbox);
            texts(o, QStringLiteral("storeNames"), w + QStringLiteral(".storeNames"), u.storeNames);
            f("fileForm", u.fileForm);
            f("httpForm", u.httpForm);
            t("inboxName", u.inboxName);
            t("mailboxStore", u.mailboxStore);
            t("samAccountName", u.samAccountName);
            if (u.inboxName.isEmpty() || u.inboxName.contains(u'/'))
                error(w + QStringLiteral(".inboxName"), QStringLiteral("expected a folder name"));
            addMailboxUser(s, u);
            claimDn(s, w + QStringLiteral(".cn"));
        }
    }

    void readDirectoryObjects(const QJsonObject &root, Scenario &s)
    {
        const QJsonArray list =
            array(root, QStringLiteral("directoryObjects"), QStringLiteral("directoryObjects"));
        for (int i = 0; i < list.size(); ++i) {
            const QString w = QStringLiteral("directoryObjects[%1]").arg(i);
            const QJsonObject o = object(list[i], w);
            allowKeys(o, w, {QStringLiteral("dn"), QStringLiteral("attributes")});
            DirectoryObject d;
            text(o, QStringLiteral("dn"), w + QStringLiteral(".dn"), d.dn, true);
            const QJsonObject attributes =
                object(o.value(QStringLiteral("attributes")), w + QStringLiteral(".attributes"));
            // An attribute description: a letter, then letters, digits and hyphens; anything
            // else (a line break above all) would forge attributes in the lab and its LDIF.
            static const QRegularExpression attributeName(
                QStringLiteral("^[A-Za-z][A-Za-z0-9-]*$"));
            for (auto it = attributes.begin(); it != attributes.end(); ++it) {
                const QString aw = w + QStringLiteral(".attributes.") + it.key();
                if (!attributeName.match(it.key()).hasMatch())
                    error(aw, QStringLiteral("not an attribute name (a letter, then letters, "
                                             "digits and hyphens)"));
                if (it.value().isString()) {
                    d.attributes.append({it.key(), it.value().toString()});
                } else if (it.value().isArray()) {
                    QStringList values;
                    texts(attributes, it.key(), aw, values);
                    for (const QString &v : std::as_const(values))
                        d.attributes.append({it.key(), v});
                } else {
                    error(aw, QStringLiteral("expected a string or an array of strings"));
                }
            }
            s.directory.append(d);
            claimDn(s, w + QStringLiteral(".dn"));
        }
    }

    void readMailboxes(const QJsonObject &root, Scenario &s)
    {
        const QJsonArray list =
            array(root, QStringLiteral("mailboxes"), QStringLiteral("mailboxes"));
        for (int i = 0; i < list.size(); ++i) {
            const QString w = QStringLiteral("mailboxes[%1]").arg(i);
            const QJsonObject o = object(list[i], w);
            allowKeys(o, w,
                      {QStringLiteral("names"), QStringLiteral("fileForm"),
                       QStringLiteral("httpForm"), QStringLiteral("inboxName"),
                       QStringLiteral("writable"), QStringLiteral("folders")});
            Mailbox m;
            texts(o, QStringLiteral("names"), w + QStringLiteral(".names"), m.names);
            flag(o, QStringLiteral("fileForm"), w + QStringLiteral(".fileForm"), m.fileForm);
            flag(o, QStringLiteral("httpForm"), w + QStringLiteral(".httpForm"), m.httpForm);
            flag(o, QStringLiteral("writable"), w + QStringLiteral(".writable"), m.writable);
            text(o, QStringLiteral("inboxName"), w + QStringLiteral(".inboxName"), m.inboxName);
            const QJsonArray folders =
                array(o, QStringLiteral("folders"), w + QStringLiteral(".folders"));
            QHash<QString, QString> folderPaths;
            for (int f = 0; f < folders.size(); ++f) {
                const QString fw = QStringLiteral("%1.folders[%2]").arg(w).arg(f);
                const QJsonObject fo = object(folders[f], fw);
                allowKeys(fo, fw, {QStringLiteral("path"), QStringLiteral("items")});
                Folder folder;
                text(fo, QStringLiteral("path"), fw + QStringLiteral(".path"), folder.path, true);
                claim(folderPaths,
                      folder.path.split(u'/', Qt::SkipEmptyParts).join(u'/').toCaseFolded(),
                      fw + QStringLiteral(".path"), QStringLiteral("the folder"), folder.path);
                QHash<QString, QString> itemNames;
                const QJsonArray items =
                    array(fo, QStringLiteral("items"), fw + QStringLiteral(".items"));
                for (int k = 0; k < items.size(); ++k) {
                    const QString iw = QStringLiteral("%1.items[%2]").arg(fw).arg(k);
                    const QJsonObject io = object(items[k], iw);
                    allowKeys(io, iw,
                              {QStringLiteral("name"), QStringLiteral("properties"),
                               QStringLiteral("registration")});
                    Item item;
                    QString scope;
                    text(io, QStringLiteral("registration"), iw + QStringLiteral(".registration"),
                         scope);
                    if (!scope.isEmpty())
                        item = registrationItem(scope);
                    text(io, QStringLiteral("name"), iw + QStringLiteral(".name"), item.name,
                         scope.isEmpty());
                    claim(itemNames, item.name.toCaseFolded(),
                          iw + (scope.isEmpty() ? QStringLiteral(".name")
                                                : QStringLiteral(".registration")),
                          QStringLiteral("an item named"), item.name);
                    // A property the registration has already takes the value given.
                    for (const auto &[name, value] :
                         properties(io, iw + QStringLiteral(".properties"))) {
                        auto same =
                            std::find_if(item.properties.begin(), item.properties.end(),
                                         [&name](const Property &p) { return p.name == name; });
                        if (same != item.properties.end())
                            same->value = value;
                        else
                            item.properties.append({name, value});
                    }
                    folder.items.append(item);
                }
                m.folders.append(folder);
            }
            s.mailboxes.append(m);
        }
    }

    void readApplications(const QJsonObject &root, Scenario &s)
    {
        const QJsonArray list =
            array(root, QStringLiteral("applications"), QStringLiteral("applications"));
        for (int i = 0; i < list.size(); ++i) {
            const QString w = QStringLiteral("applications[%1]").arg(i);
            const QJsonObject o = object(list[i], w);
            allowKeys(o, w,
                      {QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("properties"),
                       QStringLiteral("components")});
            Application app;
            text(o, QStringLiteral("id"), w + QStringLiteral(".id"), app.id);
            claimCatalogId(app.id, w + QStringLiteral(".id"));
            text(o, QStringLiteral("name"), w + QStringLiteral(".name"), app.name, true);
            app.properties = properties(o, w + QStringLiteral(".properties"));
            const QJsonArray components =
                array(o, QStringLiteral("components"), w + QStringLiteral(".components"));
            for (int c = 0; c < components.size(); ++c) {
                const QString cw = QStringLiteral("%1.components[%2]").arg(w).arg(c);
                const QJsonObject co = object(components[c], cw);
                allowKeys(
                    co, cw,
                    {QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("properties")});
                Component component;
                text(co, QStringLiteral("id"), cw + QStringLiteral(".id"), component.id);
                claimCatalogId(component.id, cw + QStringLiteral(".id"));
                text(co, QStringLiteral("name"), cw + QStringLiteral(".name"), component.name,
                     true);
                component.properties = properties(co, cw + QStringLiteral(".properties"));
                app.components.append(component);
            }
            s.applications.append(app);
        }
    }

private:
    // Applications and components share one key space; an empty id gets a fresh one.
    void claimCatalogId(const QString &id, const QString &where)
    {
        if (!id.isEmpty())
            claim(m_catalogIds, id.toUpper(), where, QStringLiteral("the catalog id"), id);
    }

    QString m_source;
    QHash<QString, QString> m_dns;        // folded distinguished name -> where given
    QHash<QString, QString> m_catalogIds; // upper-case id -> where given
};

} // namespace

Scenario scenarioFromJson(const QByteArray &json, const QString &sourceName)
{
    JsonReader reader(sourceName);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        fail(platform::error::InvalidArgument,
             QStringLiteral("%1: not valid JSON at byte offset %2: %3")
                 .arg(sourceName)
                 .arg(parseError.offset)
                 .arg(parseError.errorString()));
    if (!document.isObject())
        reader.error(QStringLiteral("(top level)"), QStringLiteral("expected an object"));
    if (const QString key = firstDuplicateKey(json); !key.isNull())
        reader.error(key, QStringLiteral("the key is given twice in one object"));
    const QJsonObject root = document.object();
    reader.allowKeys(root, QString(),
                     {QStringLiteral("machine"), QStringLiteral("systemMailboxes"),
                      QStringLiteral("users"), QStringLiteral("directoryObjects"),
                      QStringLiteral("mailboxes"), QStringLiteral("applications")});
    Scenario scenario;
    reader.readMachine(root, scenario.machine);
    reader.readSystemMailboxes(root, scenario);
    reader.readUsers(root, scenario);
    reader.readDirectoryObjects(root, scenario);
    reader.readMailboxes(root, scenario);
    reader.readApplications(root, scenario);
    return scenario;
}

} // namespace lab
