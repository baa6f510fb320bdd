#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace lab {

// A whole mail organization as a lab file holds it; what `kestrelon-lab create` writes.

// A typed store property: QString, bool, int, qint64, double or QDateTime.
struct Property
{
    QString name;
    QVariant value;
};

struct Item
{
    QString name;
    QList<Property> properties;
};

// A folder below a mailbox root, "/" between levels ("Inbox", "StoreEvents/GlobalEvents").
struct Folder
{
    QString path;
    QList<Item> items;
};

// A mailbox of the store. The directory does not link to it: URLs reach it by name.
struct Mailbox
{
    // Names the mailbox answers to in a store URL (alias, address local part); empty: none.
    QStringList names;
    bool fileForm = true; // file://./backofficestorage/<domain folder>/mbx/<name> resolves
    bool httpForm = true; // http://<host>/exadmin/<domain folder>/mbx/<name> resolves
    QString inboxName = QStringLiteral("Inbox"); // may be localised ("Posteingang")
    QList<Folder> folders; // the inbox folder exists whether it is listed or not
    bool writable = true;  // false: every write and delete fails with error::AccessDenied
};

// A directory object; a repeated attribute name is a multi-valued attribute.
struct DirectoryObject
{
    QString dn;
    QList<QPair<QString, QString>> attributes;
};

struct Component
{
    QString id; // "{GUID}"
    QString name;
    QList<QPair<QString, QVariant>> properties;
};

struct Application
{
    QString id; // "{GUID}"
    QString name;
    QList<QPair<QString, QVariant>> properties;
    QList<Component> components;
};

struct Machine
{
    QString computerName = QStringLiteral("EXCH01");
    QString domainDnsName = QStringLiteral("corp.example.local");          // empty: in no domain
    QString globalCatalogHost = QStringLiteral("dc01.corp.example.local"); // empty: none answers
    QStringList localMachineKeys; // keys below HKEY_LOCAL_MACHINE ("Cluster")
    QString logonUserName = QStringLiteral("Administrator");
    QString lanGroup = QStringLiteral("CORP");               // empty: the workstation query fails
    QString computerNameVariable = QStringLiteral("EXCH01"); // the COMPUTERNAME variable
    QStringList storeRootListing = {QStringLiteral("corp.example.local")};
    // Domain folder names the store accepts in URLs (the listed one and the SMTP domains).
    QStringList storeDomainFolders = {QStringLiteral("corp.example.local")};
    // Host names the store's http form answers to.
    QStringList storeHosts = {QStringLiteral("exch01.corp.example.local")};
    // false: the directory provider is missing, so opening the directory connection fails.
    bool directoryProviderInstalled = true;
};

struct Scenario
{
    Machine machine;
    QList<DirectoryObject> directory;
    QList<Mailbox> mailboxes;
    QList<Application> applications;
};

// Conveniences for building scenarios in code (the demo, generated labs, tests).

// A name as the value of a relative distinguished name ("CN=<value>"): the characters a
// DN gives meaning to escaped with a backslash, NUL as \00.
QString rdnValue(const QString &name);

// "/o=<org>/ou=First Administrative Group/cn=Configuration/cn=Servers/cn=<server>"
QString homeServerValue(const QString &server, const QString &org = QStringLiteral("Corp"));

struct MailboxUser
{
    QString cn;
    QString alias;          // mailNickName; empty: attribute absent
    QString mail;           // empty: attribute absent
    QString homeServer;     // msExchHomeServerName; see homeServerValue()
    bool disabled = false;  // userAccountControl 514 instead of 512
    bool bound = false;     // the inbox holds the sink's registration item
    bool hasMailbox = true; // false: no store mailbox answers to any URL
    QStringList storeNames; // names the store mailbox answers to; empty: the alias
    bool fileForm = true;
    bool httpForm = true;
    QString inboxName = QStringLiteral("Inbox");
    QString mailboxStore;   // homeMDB's store name; empty: "Mailbox Store (<server>)"
    QString samAccountName; // empty: the alias, else the cn without blanks
};
// Adds the user's directory object and, with hasMailbox, its store mailbox.
void addMailboxUser(Scenario &scenario, const MailboxUser &user);

struct SystemMailboxSpec
{
    QString storeName; // the mailbox store, for cn "SystemMailbox{...}" naming
    QString guid;      // "{7A1C...}": the alias is "SystemMailbox" + guid
    QString homeServer;
    bool storeWideBound = false; // StoreEvents/GlobalEvents holds the registration item
    bool hasMailbox = true;      // false: only the directory object (a store of another server)
    QString mail;                // empty: attribute absent
};
void addSystemMailbox(Scenario &scenario, const SystemMailboxSpec &systemMailbox);

// The registration item as the program writes it, for scenarios that start bound.
Item registrationItem(const QString &matchScope, const QString &priority = QStringLiteral("65535"));

// The demo organization that a fresh machine starts with.
Scenario demoScenario();
// The most mailboxes a generated lab holds: the program reads a lab's directory into memory
// whole, and this is over three times what one mailbox walk lists.
inline constexpr int MaxGeneratedMailboxes = 100000;
// count generated user mailboxes (half of them bound), the same for the same seed; at most
// MaxGeneratedMailboxes.
Scenario generatedScenario(int mailboxCount, quint32 seed);
// A scenario file (JSON, see docs/lab-scenario.md); throws PlatformError naming the problem.
Scenario scenarioFromJson(const QByteArray &json, const QString &sourceName);

} // namespace lab
