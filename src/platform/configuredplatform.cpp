#include "platform/configuredplatform.h"

#include "platform/lab/labfile.h"
#include "platform/ldap/ldapdirectory.h"
#include "platform/ldap/ldapsession.h"
#include "platform/platformerror.h"
#include "platform/webdav/webdavstore.h"

#include <pwd.h>
#include <QScopeGuard>
#include <QSysInfo>
#include <unistd.h>

namespace platform {

namespace {

// The property is not in the object's cache: the root DSE lacks it.
constexpr qint32 PropertyNotFound = static_cast<qint32>(0x8000500Du);

// The root DSE of the configured server, read once, on a session of its own.
class DirectoryFacts
{
public:
    DirectoryFacts(ldapbackend::LdapSettings settings,
                   std::shared_ptr<const ldapbackend::LdapHooks> hooks)
        : m_settings(std::move(settings)), m_hooks(std::move(hooks))
    {
    }

    const ldapbackend::LdapSettings &settings() const { return m_settings; }

    const ldapbackend::RootDse &rootDse()
    {
        if (!m_rootDse)
            m_rootDse = ldapbackend::LdapSession(m_settings, m_hooks).readRootDse();
        return *m_rootDse;
    }

private:
    ldapbackend::LdapSettings m_settings;
    std::shared_ptr<const ldapbackend::LdapHooks> m_hooks;
    std::optional<ldapbackend::RootDse> m_rootDse;
};

// "DC=corp,DC=example,DC=com" -> "corp.example.com"; other components are left out.
QString dnsNameOf(const QString &dn)
{
    QStringList labels;
    for (const QString &component : dn.split(u',')) {
        const QString trimmed = component.trimmed();
        if (trimmed.startsWith(QLatin1String("DC="), Qt::CaseInsensitive))
            labels.append(trimmed.mid(3));
    }
    return labels.join(u'.');
}

QString logonUser()
{
    if (const passwd *account = getpwuid(geteuid()))
        return QString::fromLocal8Bit(account->pw_name);
    return qEnvironmentVariable("USER");
}

// Configured facts over the lab's; with a real directory, unset ones come from this host
// and the directory instead.
class ConfiguredMachineFacts : public MachineFacts
{
public:
    ConfiguredMachineFacts(MachineFacts &lab, const ServerConfig &config,
                           std::shared_ptr<DirectoryFacts> directory)
        : m_lab(lab), m_settings(config.machine), m_path(config.path),
          m_directory(std::move(directory))
    {
    }

    QString computerName() override
    {
        if (m_settings.computerName)
            return *m_settings.computerName;
        return m_directory ? QSysInfo::machineHostName().section(u'.', 0, 0) : m_lab.computerName();
    }

    QString domainDnsName() override
    {
        if (m_settings.domainDnsName)
            return *m_settings.domainDnsName;
        if (!m_directory)
            return m_lab.domainDnsName();
        const ldapbackend::RootDse &dse = m_directory->rootDse();
        const QString name = dnsNameOf(dse.defaultNamingContext.isEmpty()
                                           ? ldapbackend::searchBase(m_directory->settings(), dse)
                                           : dse.defaultNamingContext);
        if (name.isEmpty())
            throw PlatformError(error::NotInDomain,
                                QStringLiteral("The directory %1 names no domain; set "
                                               "domainDnsName in [machine] of %2")
                                    .arg(m_directory->settings().uri, m_path));
        return name;
    }

    QString globalCatalogHostName() override
    {
        if (!m_directory)
            return m_lab.globalCatalogHostName();
        const QString host =
            ldapbackend::globalCatalogHost(m_directory->settings(), m_directory->rootDse());
        if (host.isEmpty())
            throw PlatformError(PropertyNotFound,
                                QStringLiteral("The directory %1 publishes no dnsHostName in its "
                                               "root DSE; set globalCatalogHost in [directory] "
                                               "of %2")
                                    .arg(m_directory->settings().uri, m_path));
        return host;
    }

    bool localMachineKeyExists(const QString &subKey) override
    {
        QString key = subKey;
        while (key.startsWith(u'\\'))
            key.remove(0, 1);
        if (key.compare(QLatin1String("Cluster"), Qt::CaseInsensitive) == 0 &&
            (m_settings.clusterNode || m_directory))
            return m_settings.clusterNode.value_or(false);
        return m_lab.localMachineKeyExists(subKey);
    }

    QString logonUserName() override
    {
        if (m_settings.userName)
            return *m_settings.userName;
        return m_directory ? logonUser() : m_lab.logonUserName();
    }

    QString workstationLanGroup(const QString &serverName) override
    {
        if (m_settings.lanGroup)
            return *m_settings.lanGroup;
        if (!m_directory)
            return m_lab.workstationLanGroup(serverName);
        throw PlatformError(error::NotInDomain,
                            QStringLiteral("No LAN group for %1: set lanGroup in [machine] of %2")
                                .arg(serverName, m_path));
    }

    QString environmentVariable(const QString &name) override
    {
        if (name.compare(QLatin1String("COMPUTERNAME"), Qt::CaseInsensitive) == 0 &&
            (m_settings.computerName || m_directory))
            return computerName();
        return m_lab.environmentVariable(name);
    }

    QString currentDirectory() override { return m_lab.currentDirectory(); }
    bool ordinaryFileExists(const QString &path) override { return m_lab.ordinaryFileExists(path); }
    QStringList storeRootListing() override { return m_lab.storeRootListing(); }

private:
    MachineFacts &m_lab;
    MachineSettings m_settings;
    QString m_path;
    std::shared_ptr<DirectoryFacts> m_directory;
};

class ConfiguredPlatform : public Platform
{
public:
    ConfiguredPlatform(const ServerConfig &config, std::unique_ptr<Platform> lab)
        : m_config(config), m_lab(std::move(lab)),
          m_hooks(std::make_shared<ldapbackend::LdapHooks>()),
          m_directory(config.directory
                          ? std::make_shared<DirectoryFacts>(*config.directory, m_hooks)
                          : nullptr),
          m_machine(m_lab->machine(), config, m_directory)
    {
    }

    QString description() const override
    {
        QStringList servers;
        if (m_config.directory)
            servers.append(QStringLiteral("Directory %1").arg(m_config.directory->uri));
        if (m_config.store)
            servers.append(QStringLiteral("Store %1")
                               .arg(m_config.store->baseUrl.isEmpty() ? QStringLiteral("over HTTP")
                                                                      : m_config.store->baseUrl));
        servers.append(m_lab->description());
        return QStringLiteral("%1 (%2)").arg(servers.join(QStringLiteral(", ")), m_config.path);
    }

    std::unique_ptr<DirectoryConnection> createDirectoryConnection() override
    {
        if (m_config.directory)
            return std::make_unique<ldapbackend::LdapDirectoryConnection>(*m_config.directory,
                                                                          m_hooks);
        return m_lab->createDirectoryConnection();
    }

    std::unique_ptr<StoreConnection> createStoreConnection() override
    {
        if (m_config.store)
            return std::make_unique<webdav::WebDavStoreConnection>(*m_config.store);
        return m_lab->createStoreConnection();
    }

    std::unique_ptr<ComponentCatalog> createCatalog() override { return m_lab->createCatalog(); }
    MachineFacts &machine() override { return m_machine; }
    // Each WebDAV write is its own request; only the lab's store groups commits.
    void beginWriteBurst() override
    {
        if (!m_config.store)
            m_lab->beginWriteBurst();
    }
    void endWriteBurst() override
    {
        if (!m_config.store)
            m_lab->endWriteBurst();
    }

    void setHooks(DirectoryHooks hooks) { *m_hooks = std::move(hooks); }

private:
    ServerConfig m_config;
    std::unique_ptr<Platform> m_lab;
    std::shared_ptr<ldapbackend::LdapHooks> m_hooks; // shared with every directory session
    std::shared_ptr<DirectoryFacts> m_directory;
    ConfiguredMachineFacts m_machine;
};

} // namespace

std::unique_ptr<Platform> createConfiguredPlatform(const ServerConfig &config,
                                                   std::unique_ptr<Platform> lab)
{
    return std::make_unique<ConfiguredPlatform>(config, std::move(lab));
}

std::unique_ptr<Platform> createConfiguredPlatform(const QProcessEnvironment &environment)
{
    const QString configPath = environment.value(QStringLiteral("KESTRELON_CONFIG"));
    const QString labVariable = environment.value(QStringLiteral("KESTRELON_LAB"));
    if (configPath.isEmpty())
        return lab::openLab(labVariable.isEmpty() ? lab::defaultLabPath() : labVariable);
    const ServerConfig config = readServerConfig(configPath);
    const QString labPath = !config.labFile.isEmpty() ? config.labFile
                            : !labVariable.isEmpty()  ? labVariable
                                                      : lab::defaultLabPath();
    return createConfiguredPlatform(config, lab::openLab(labPath));
}

void setDirectoryHooks(Platform &platform, DirectoryHooks hooks)
{
    if (auto *configured = dynamic_cast<ConfiguredPlatform *>(&platform))
        configured->setHooks(std::move(hooks));
}

QString directoryCheck(Platform &platform)
{
    QStringList lines{QStringLiteral("Platform: %1").arg(platform.description())};
    QStringList missing;
    setDirectoryHooks(platform,
                      {nullptr, [&](const QString &subject, qint32, const QString &text) {
                           missing.append(QStringLiteral("Warning: %1: %2").arg(subject, text));
                       }});
    const auto unhook = qScopeGuard([&] { setDirectoryHooks(platform, {}); });
    const QString host = platform.machine().globalCatalogHostName();
    lines.append(QStringLiteral("Global catalog: GC://%1").arg(host));
    lines.append(QStringLiteral("Domain: %1").arg(platform.machine().domainDnsName()));
    std::unique_ptr<DirectoryConnection> directory = platform.createDirectoryConnection();
    directory->open(QStringLiteral("Active Directory Provider"), QString(), QString());
    const SearchProperties properties{{QStringLiteral("Page Size"), 100},
                                      {QStringLiteral("Timeout"), 120}};
    std::unique_ptr<DirectoryRowSet> rows = directory->execute(
        QStringLiteral("SELECT cn FROM 'GC://%1' WHERE objectcategory='person' AND "
                       "MsExchMailboxGuid='*'")
            .arg(host),
        properties);
    lines.append(QStringLiteral("Mailboxes in the directory: %1").arg(rows->rowCount()));
    rows->close();
    directory->close();
    return (lines + missing).join(u'\n') + u'\n';
}

QString storeCheck(Platform &platform)
{
    MachineFacts &machine = platform.machine();
    const QString domain = machine.domainDnsName();
    const QStringList listing = machine.storeRootListing();
    const QString root =
        QStringLiteral("http://%1.%2/exadmin/%3/mbx")
            .arg(machine.computerName(), domain, listing.isEmpty() ? domain : listing.first());
    std::unique_ptr<StoreConnection> store = platform.createStoreConnection();
    store->open(root, QString(), QString());
    store->close();
    return QStringLiteral("Platform: %1\nMailbox root: %2 answers\n")
        .arg(platform.description(), root);
}

} // namespace platform
