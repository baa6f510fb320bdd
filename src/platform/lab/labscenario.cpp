#include "platform/lab/labscenario.h"

#include <QCryptographicHash>
#include <QUuid>

namespace lab {

namespace {

const QString eventsNamespace = QStringLiteral("http://schemas.microsoft.com/exchange/events/");

QString domainDn(const QString &dnsName)
{
    QStringList parts;
    for (const QString &label : dnsName.split(u'.', Qt::SkipEmptyParts))
        parts.append(QStringLiteral("DC=") + label);
    return parts.join(u',');
}

QString serverOf(const QString &homeServer)
{
    const qsizetype at = homeServer.lastIndexOf(QLatin1String("cn="), -1, Qt::CaseInsensitive);
    return at < 0 ? homeServer : homeServer.mid(at + 3);
}

// The same text always gives the same GUID, so generated labs are reproducible.
QString stableGuid(const QString &seedText)
{
    const QByteArray hash =
        QCryptographicHash::hash(seedText.toUtf8(), QCryptographicHash::Sha256).left(16);
    return QUuid::fromRfc4122(hash).toString(QUuid::WithBraces).toUpper();
}

QString homeMdb(const QString &storeName, const QString &server, const QString &domain)
{
    return QStringLiteral("CN=%1,CN=First Storage Group,CN=InformationStore,CN=%2,CN=Servers,"
                          "CN=First Administrative Group,CN=Administrative Groups,CN=Corp,"
                          "CN=Microsoft Exchange,CN=Services,CN=Configuration,%3")
        .arg(storeName, server, domainDn(domain));
}

void addPersonClasses(DirectoryObject &object, const QString &lastClass)
{
    for (const char *cls : {"top", "person", "organizationalPerson"})
        object.attributes.append({QStringLiteral("objectClass"), QString::fromLatin1(cls)});
    object.attributes.append({QStringLiteral("objectClass"), lastClass});
}

QString categoryDn(const QString &category, const QString &domain)
{
    return QStringLiteral("CN=%1,CN=Schema,CN=Configuration,%2").arg(category, domainDn(domain));
}

} // namespace

QString rdnValue(const QString &name)
{
    QString value;
    value.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c == QChar(0)) {
            value += QStringLiteral("\\00");
            continue;
        }
        const bool special = QStringView(u"\",+;<>\\").contains(c);
        const bool atEdge =
            (i == 0 && (c == u' ' || c == u'#')) || (i == name.size() - 1 && c == u' ');
        if (special || atEdge)
            value += u'\\';
        value += c;
    }
    return value;
}

QString homeServerValue(const QString &server, const QString &org)
{
    return QStringLiteral("/o=%1/ou=First Administrative Group/cn=Configuration/cn=Servers/cn=%2")
        .arg(org, server);
}

void addMailboxUser(Scenario &scenario, const MailboxUser &user)
{
    const QString domain = scenario.machine.domainDnsName;
    const QString server = serverOf(user.homeServer);
    DirectoryObject object;
    object.dn = QStringLiteral("CN=%1,CN=Users,%2").arg(rdnValue(user.cn), domainDn(domain));
    auto add = [&](const char *name, const QString &value) {
        object.attributes.append({QString::fromLatin1(name), value});
    };
    add("cn", user.cn);
    add("name", user.cn);
    add("distinguishedName", object.dn);
    add("adspath", QStringLiteral("GC://%1/%2").arg(scenario.machine.globalCatalogHost, object.dn));
    addPersonClasses(object, QStringLiteral("user"));
    add("objectCategory", categoryDn(QStringLiteral("Person"), domain));
    QString sam = user.samAccountName;
    if (sam.isEmpty())
        sam = user.alias.isEmpty() ? QString(user.cn).remove(u' ') : user.alias;
    add("sAMAccountName", sam);
    add("sAMAccountType", QStringLiteral("805306368"));
    add("userAccountControl", user.disabled ? QStringLiteral("514") : QStringLiteral("512"));
    if (!user.mail.isEmpty())
        add("mail", user.mail);
    if (!user.alias.isEmpty())
        add("mailNickName", user.alias);
    add("msExchHomeServerName", user.homeServer);
    const QString store = user.mailboxStore.isEmpty()
                              ? QStringLiteral("Mailbox Store (%1)").arg(server)
                              : user.mailboxStore;
    add("homeMDB", homeMdb(store, server, domain));
    add("msExchMailboxGuid", stableGuid(object.dn));
    add("mAPIRecipient", QStringLiteral("TRUE"));
    scenario.directory.append(object);

    if (!user.hasMailbox)
        return;
    Mailbox mailbox;
    mailbox.names = user.storeNames.isEmpty() && !user.alias.isEmpty() ? QStringList{user.alias}
                                                                       : user.storeNames;
    mailbox.fileForm = user.fileForm;
    mailbox.httpForm = user.httpForm;
    mailbox.inboxName = user.inboxName;
    Folder inbox{user.inboxName, {}};
    if (user.bound)
        inbox.items.append(registrationItem(QStringLiteral("SHALLOW")));
    mailbox.folders.append(inbox);
    scenario.mailboxes.append(mailbox);
}

void addSystemMailbox(Scenario &scenario, const SystemMailboxSpec &systemMailbox)
{
    const QString domain = scenario.machine.domainDnsName;
    const QString alias = QStringLiteral("SystemMailbox") + systemMailbox.guid;
    const QString server = serverOf(systemMailbox.homeServer);
    DirectoryObject object;
    object.dn = QStringLiteral("CN=%1,CN=Microsoft Exchange System Objects,%2")
                    .arg(alias, domainDn(domain));
    auto add = [&](const char *name, const QString &value) {
        object.attributes.append({QString::fromLatin1(name), value});
    };
    add("cn", alias);
    add("name", alias);
    add("distinguishedName", object.dn);
    add("adspath", QStringLiteral("GC://%1/%2").arg(scenario.machine.globalCatalogHost, object.dn));
    addPersonClasses(object, QStringLiteral("user"));
    add("objectCategory", categoryDn(QStringLiteral("Person"), domain));
    if (!systemMailbox.mail.isEmpty())
        add("mail", systemMailbox.mail);
    add("mailNickName", alias);
    add("msExchHomeServerName", systemMailbox.homeServer);
    add("homeMDB", homeMdb(systemMailbox.storeName, server, domain));
    add("msExchMailboxGuid", systemMailbox.guid);
    add("userAccountControl", QStringLiteral("514"));
    scenario.directory.append(object);

    if (!systemMailbox.hasMailbox)
        return;
    Mailbox mailbox;
    mailbox.names = {alias};
    Folder events{QStringLiteral("StoreEvents/GlobalEvents"), {}};
    if (systemMailbox.storeWideBound)
        events.items.append(registrationItem(QStringLiteral("ANY")));
    mailbox.folders.append(events);
    scenario.mailboxes.append(mailbox);
}

Item registrationItem(const QString &matchScope, const QString &priority)
{
    Item item;
    item.name = QStringLiteral("Kestrelon.reg");
    item.properties = {
        {QStringLiteral("DAV:contentclass"), QStringLiteral("urn:content-class:storeeventreg")},
        {eventsNamespace + QStringLiteral("EventMethod"), QStringLiteral("onsyncsave")},
        {eventsNamespace + QStringLiteral("SinkClass"), QStringLiteral("Kestrelon.KestrelonCls")},
        {eventsNamespace + QStringLiteral("MatchScope"), matchScope},
        {eventsNamespace + QStringLiteral("criteria"),
         QStringLiteral(" WHERE \"DAV:ishidden\" = FALSE")},
        {eventsNamespace + QStringLiteral("priority"), priority},
        {QStringLiteral("DAV:ishidden"), true},
    };
    return item;
}

} // namespace lab
