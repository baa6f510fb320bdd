#include "platform/lab/labscenario.h"

#include <random>
#include <tuple>

namespace lab {

namespace {

const QString smtpDomain = QStringLiteral("example.com");

DirectoryObject recipient(const Scenario &scenario, const QString &container, const QString &cn,
                          const QString &mail)
{
    QStringList dc;
    for (const QString &label : scenario.machine.domainDnsName.split(u'.'))
        dc.append(QStringLiteral("DC=") + label);
    DirectoryObject object;
    object.dn = QStringLiteral("CN=%1,%2,%3").arg(cn, container, dc.join(u','));
    object.attributes = {
        {QStringLiteral("cn"), cn},
        {QStringLiteral("name"), cn},
        {QStringLiteral("distinguishedName"), object.dn},
        {QStringLiteral("adspath"),
         QStringLiteral("GC://%1/%2").arg(scenario.machine.globalCatalogHost, object.dn)},
        {QStringLiteral("mail"), mail}};
    return object;
}

QString category(const Scenario &scenario, const QString &name)
{
    QStringList dc;
    for (const QString &label : scenario.machine.domainDnsName.split(u'.'))
        dc.append(QStringLiteral("DC=") + label);
    return QStringLiteral("CN=%1,CN=Schema,CN=Configuration,%2").arg(name, dc.join(u','));
}

// Recipients that are no mailbox of this server: contacts, groups of every account type and
// public folders, so the recipient picker shows each kind.
void addContactsGroupsAndFolders(Scenario &s)
{
    const struct
    {
        const char *cn;
        const char *mail;
        const char *alias;
    } contacts[] = {{"Xavier Partner", "xavier@partner.example.org", "xpartner"},
                    {"Yvonne Supplier", "yvonne.supplier@supplies.example.net", "ysupplier"},
                    {"Zeno Consultant", "zeno@consulting.example.org", "zconsultant"}};
    for (const auto &c : contacts) {
        DirectoryObject contact = recipient(s, QStringLiteral("CN=Users"),
                                            QString::fromLatin1(c.cn), QString::fromLatin1(c.mail));
        for (const char *cls : {"top", "person", "organizationalPerson", "contact"})
            contact.attributes.append({QStringLiteral("objectClass"), QString::fromLatin1(cls)});
        contact.attributes.append(
            {QStringLiteral("objectCategory"), category(s, QStringLiteral("Person"))});
        contact.attributes.append({QStringLiteral("mailNickName"), QString::fromLatin1(c.alias)});
        contact.attributes.append({QStringLiteral("mAPIRecipient"), QStringLiteral("TRUE")});
        s.directory.append(contact);
    }

    const struct
    {
        const char *cn;
        const char *mail;
        const char *type;
    } groups[] = {{"All Staff", "allstaff@example.com", "268435456"},
                  {"Sales Team", "sales@example.com", "268435457"},
                  {"Helpdesk Local", "helpdesk@example.com", "536870912"},
                  {"Finance", "finance@example.com", "268435456"},
                  {"Project Falcon", "falcon@example.com", "268435457"}};
    for (const auto &g : groups) {
        DirectoryObject group = recipient(s, QStringLiteral("CN=Users"), QString::fromLatin1(g.cn),
                                          QString::fromLatin1(g.mail));
        group.attributes.append({QStringLiteral("objectClass"), QStringLiteral("top")});
        group.attributes.append({QStringLiteral("objectClass"), QStringLiteral("group")});
        group.attributes.append(
            {QStringLiteral("objectCategory"), category(s, QStringLiteral("Group"))});
        group.attributes.append({QStringLiteral("sAMAccountType"), QString::fromLatin1(g.type)});
        group.attributes.append({QStringLiteral("mAPIRecipient"), QStringLiteral("TRUE")});
        s.directory.append(group);
    }

    const struct
    {
        const char *cn;
        const char *mail;
        const char *alias;
    } folders[] = {{"Public Announcements", "announcements@example.com", "announcements"},
                   {"Support Requests", "support@example.com", "support"},
                   {"Team Calendar", "calendar@example.com", "calendar"}};
    for (const auto &f : folders) {
        DirectoryObject folder =
            recipient(s, QStringLiteral("CN=Microsoft Exchange System Objects"),
                      QString::fromLatin1(f.cn), QString::fromLatin1(f.mail));
        folder.attributes.append({QStringLiteral("objectClass"), QStringLiteral("top")});
        folder.attributes.append({QStringLiteral("objectClass"), QStringLiteral("publicFolder")});
        folder.attributes.append(
            {QStringLiteral("objectCategory"), category(s, QStringLiteral("publicFolder"))});
        folder.attributes.append({QStringLiteral("mailNickName"), QString::fromLatin1(f.alias)});
        s.directory.append(folder);
    }
}

Machine exch01Machine()
{
    Machine machine;
    machine.storeDomainFolders = {QStringLiteral("corp.example.local"), smtpDomain};
    machine.storeHosts = {QStringLiteral("exch01.corp.example.local"), QStringLiteral("exch01")};
    return machine;
}

MailboxUser user(const QString &cn, const QString &alias,
                 const QString &server = QStringLiteral("EXCH01"))
{
    MailboxUser u;
    u.cn = cn;
    u.alias = alias;
    u.mail = alias + u'@' + smtpDomain;
    u.homeServer = homeServerValue(server);
    return u;
}

// Our own uniform draw: std::uniform_int_distribution differs between standard libraries.
quint32 draw(std::mt19937 &random, quint32 bound)
{
    return quint32(random() % bound);
}

} // namespace

Scenario demoScenario()
{
    Scenario s;
    s.machine = exch01Machine();
    const QString exch01 = homeServerValue(QStringLiteral("EXCH01"));

    addSystemMailbox(
        s, {QStringLiteral("Mailbox Store (EXCH01)"),
            QStringLiteral("{7A1C2E34-5B6D-4F70-8192-A3B4C5D6E7F8}"), exch01, true, true,
            QStringLiteral("SystemMailbox{7A1C2E34-5B6D-4F70-8192-A3B4C5D6E7F8}@") + smtpDomain});
    addSystemMailbox(
        s, {QStringLiteral("Second Mailbox Store (EXCH01)"),
            QStringLiteral("{0B9E8D7C-6A5F-4E3D-2C1B-0A9F8E7D6C5B}"), exch01, false, true,
            QStringLiteral("SystemMailbox{0B9E8D7C-6A5F-4E3D-2C1B-0A9F8E7D6C5B}@") + smtpDomain});
    addSystemMailbox(s, {QStringLiteral("Mailbox Store (EXCH02)"),
                         QStringLiteral("{11111111-2222-3333-4444-555555555555}"),
                         homeServerValue(QStringLiteral("EXCH02")), false, false, QString()});

    MailboxUser admin = user(QStringLiteral("Administrator"), QStringLiteral("administrator"));
    admin.samAccountName = QStringLiteral("Administrator");
    addMailboxUser(s, admin);

    MailboxUser alice = user(QStringLiteral("Alice Archer"), QStringLiteral("aarcher"));
    alice.bound = true;
    addMailboxUser(s, alice);
    MailboxUser bob = user(QStringLiteral("Bob Baker"), QStringLiteral("bbaker"));
    bob.bound = true;
    bob.mailboxStore = QStringLiteral("Second Mailbox Store (EXCH01)");
    addMailboxUser(s, bob);
    addMailboxUser(s, user(QStringLiteral("Carol Chen"), QStringLiteral("cchen")));
    MailboxUser dave = user(QStringLiteral("Dave Dunn"), QStringLiteral("ddunn"));
    dave.disabled = true;
    addMailboxUser(s, dave);
    MailboxUser erik = user(QStringLiteral("Erik Eriksen"), QStringLiteral("eeriksen"));
    erik.mail = QStringLiteral("erik.eriksen@") + smtpDomain;
    erik.storeNames = {QStringLiteral("erik.eriksen")};
    addMailboxUser(s, erik);
    MailboxUser hans = user(QStringLiteral("Hans Huber"), QStringLiteral("hhuber"));
    hans.inboxName = QStringLiteral("Posteingang");
    hans.bound = true;
    addMailboxUser(s, hans);
    MailboxUser ivan = user(QStringLiteral("Ivan Ivanov"), QStringLiteral("iivanov"));
    ivan.hasMailbox = false;
    addMailboxUser(s, ivan);
    MailboxUser jane = user(QStringLiteral("Jane Doe"), QStringLiteral("jdoe"));
    jane.mail.clear();
    jane.bound = true;
    addMailboxUser(s, jane);
    MailboxUser karen = user(QStringLiteral("Karen King"), QStringLiteral("kking"));
    karen.fileForm = false;
    addMailboxUser(s, karen);
    MailboxUser liam = user(QStringLiteral("Liam Lee"), QStringLiteral("llee"));
    liam.httpForm = false;
    liam.bound = true;
    addMailboxUser(s, liam);
    addMailboxUser(s, user(QStringLiteral("Mia Moreau"), QStringLiteral("mmoreau")));

    // Users of the other server; Quentin's account is disabled.
    for (const auto &[cn, alias, disabled] : {std::tuple{"Oscar Olsen", "oolsen", false},
                                              {"Paula Park", "ppark", false},
                                              {"Quentin Quinn", "qquinn", true}}) {
        MailboxUser remote =
            user(QString::fromLatin1(cn), QString::fromLatin1(alias), QStringLiteral("EXCH02"));
        remote.hasMailbox = false;
        remote.disabled = disabled;
        addMailboxUser(s, remote);
    }
    addContactsGroupsAndFolders(s);

    Application archiver;
    archiver.id = QStringLiteral("{3F2504E0-4F89-11D3-9A0C-0305E82C3301}");
    archiver.name = QStringLiteral("Mail Archiver");
    archiver.properties = {{QStringLiteral("ApplicationAccessChecksEnabled"), true},
                           {QStringLiteral("Identity"), QStringLiteral("CORP\\archiver")},
                           {QStringLiteral("Password"), QStringLiteral("archiver-secret")}};
    archiver.components = {{QStringLiteral("{3F2504E0-4F89-11D3-9A0C-0305E82C3302}"),
                            QStringLiteral("Archiver.ArchiveCls"),
                            {{QStringLiteral("ConstructionEnabled"), false}}}};
    s.applications.append(archiver);
    return s;
}

Scenario generatedScenario(int mailboxCount, quint32 seed)
{
    static const char *const firstNames[] = {"Ada",  "Ben",  "Cleo", "Dan", "Eva",  "Finn",
                                             "Gus",  "Hana", "Ines", "Jon", "Kai",  "Lena",
                                             "Milo", "Nora", "Otto", "Pia", "Rosa", "Sven"};
    static const char *const lastNames[] = {"Adler", "Berg", "Costa", "Dahl",  "Engel",
                                            "Fox",   "Gray", "Holm",  "Ivers", "Jansen",
                                            "Klein", "Lund", "Moss",  "Novak", "Olsen"};
    Scenario s;
    s.machine = exch01Machine();
    const QString exch01 = homeServerValue(QStringLiteral("EXCH01"));
    addSystemMailbox(s, {QStringLiteral("Mailbox Store (EXCH01)"),
                         QStringLiteral("{7A1C2E34-5B6D-4F70-8192-A3B4C5D6E7F8}"), exch01, false,
                         true, QString()});
    addSystemMailbox(s, {QStringLiteral("Second Mailbox Store (EXCH01)"),
                         QStringLiteral("{0B9E8D7C-6A5F-4E3D-2C1B-0A9F8E7D6C5B}"), exch01, false,
                         true, QString()});
    std::mt19937 random(seed);
    const int count = std::max(0, mailboxCount);
    // Exactly half bound, at places the seed chooses (a Fisher-Yates shuffle of the flags).
    std::vector<char> bound(size_t(count), 0);
    for (int i = 0; i < count / 2; ++i)
        bound[size_t(i)] = 1;
    for (int i = count - 1; i > 0; --i)
        std::swap(bound[size_t(i)], bound[size_t(draw(random, quint32(i + 1)))]);
    for (int i = 0; i < count; ++i) {
        const QString first = QString::fromLatin1(firstNames[draw(random, std::size(firstNames))]);
        const QString last = QString::fromLatin1(lastNames[draw(random, std::size(lastNames))]);
        MailboxUser u;
        u.cn = QStringLiteral("%1 %2 %3").arg(first, last).arg(i + 1, 5, 10, QLatin1Char('0'));
        u.alias = QStringLiteral("%1%2%3").arg(first.left(1).toLower(), last.toLower()).arg(i + 1);
        u.mail = u.alias + u'@' + smtpDomain;
        u.homeServer = exch01;
        u.bound = bound[size_t(i)] != 0;
        if (draw(random, 2) == 1)
            u.mailboxStore = QStringLiteral("Second Mailbox Store (EXCH01)");
        addMailboxUser(s, u);
    }
    return s;
}

} // namespace lab
