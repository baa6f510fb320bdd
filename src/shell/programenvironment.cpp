#include "shell/programenvironment.h"

#include "shell/batchswitch.h"
#include "shell/cluster.h"

#include <exception>

namespace {

QString fileMailboxRootOf(const QString &domainFolder)
{
    return QStringLiteral("file://./backofficestorage/") + domainFolder + QStringLiteral("/mbx");
}

QString httpMailboxRootOf(const QString &host, const QString &domainFolder)
{
    return QStringLiteral("http://") + host + QStringLiteral("/exadmin/") + domainFolder +
           QStringLiteral("/mbx");
}

// Closing is best effort: the store connection is usually not open at all.
template<typename Connection> void releaseQuietly(std::unique_ptr<Connection> &connection)
{
    if (connection) {
        try {
            connection->close();
        } catch (const std::exception &) {
        }
    }
    connection.reset();
}

} // namespace

ProgramEnvironment::ProgramEnvironment(platform::Platform &platform, QString commandLine)
    : commandLine(std::move(commandLine)), m_platform(platform)
{
}

ProgramEnvironment::~ProgramEnvironment() = default;

void ProgramEnvironment::discover()
{
    batchMode = isBatchSwitch(commandLine);

    caption = QStringLiteral("Kestrelon setup");
    if (batchMode)
        caption += QStringLiteral(" - batch mode");

    platform::MachineFacts &machine = m_platform.machine();
    shortComputerName = machine.computerName().toLower();
    domainDnsName = machine.domainDnsName().toLower();
    fullComputerName = shortComputerName + QLatin1Char('.') + domainDnsName;

    runsOnClusterNode = Cluster::isClusterNode(machine);
    clusterName.clear();

    fileMailboxRoot = fileMailboxRootOf(domainDnsName);
    httpMailboxRoot = httpMailboxRootOf(fullComputerName, domainDnsName);
    // The store's own folder name for the domain wins over the directory's spelling.
    const QStringList listing = machine.storeRootListing();
    const QString domainFolder = listing.isEmpty() ? QString() : listing.first();
    if (!domainFolder.isEmpty()) {
        fileMailboxRoot = fileMailboxRootOf(domainFolder);
        httpMailboxRoot = httpMailboxRootOf(fullComputerName, domainFolder);
    }

    globalCatalogPath = QStringLiteral("GC://") + machine.globalCatalogHostName();

    m_directory = m_platform.createDirectoryConnection();
    m_directory->open(QStringLiteral("Active Directory Provider"), QString(), QString());

    m_store = m_platform.createStoreConnection();
}

QString ProgramEnvironment::logonUserName()
{
    return m_platform.machine().logonUserName();
}

std::unique_ptr<platform::DirectoryRowSet>
ProgramEnvironment::queryLogonAccount(const QString &attributes)
{
    const QString query = QStringLiteral("SELECT ") + attributes + QStringLiteral(" FROM '") +
                          globalCatalogPath +
                          QStringLiteral("' WHERE objectcategory='person' AND sAMAccountName='") +
                          logonUserName() + QLatin1Char('\'');
    const platform::SearchProperties properties = {
        {QStringLiteral("searchscope"), 2},
        {QStringLiteral("cache results"), false},
        {QStringLiteral("Chase Referrals"), 96},
    };
    return directoryConnection().execute(query, properties);
}

void ProgramEnvironment::findClusterName()
{
    clusterName.clear();
    std::unique_ptr<platform::DirectoryRowSet> rows =
        queryLogonAccount(QStringLiteral("msExchHomeServerName"));
    if (!rows->atEnd()) {
        const QString homeServer =
            rows->field(QStringLiteral("msExchHomeServerName")).toString().toUpper();
        // The server's own name is what follows the last "CN=" of its distinguished path.
        const qsizetype found = homeServer.lastIndexOf(QLatin1String("CN="));
        if (found >= 0 && found + 4 < homeServer.size())
            clusterName = homeServer.mid(found + 3);
        else
            clusterName = homeServer;
    }
    rows->close();
}

platform::DirectoryConnection &ProgramEnvironment::directoryConnection()
{
    if (!m_directory)
        m_directory = m_platform.createDirectoryConnection();
    return *m_directory;
}

platform::StoreConnection &ProgramEnvironment::storeConnection()
{
    if (!m_store)
        m_store = m_platform.createStoreConnection();
    return *m_store;
}

void ProgramEnvironment::useConnections(std::unique_ptr<platform::DirectoryConnection> directory,
                                        std::unique_ptr<platform::StoreConnection> store)
{
    m_directory = std::move(directory);
    m_store = std::move(store);
}

ProgramEnvironment::Use::Use(ProgramEnvironment &environment) : m_environment(environment)
{
    ++m_environment.m_uses;
}

ProgramEnvironment::Use::~Use()
{
    if (--m_environment.m_uses == 0 && m_environment.m_releaseAsked)
        m_environment.closeConnections();
}

void ProgramEnvironment::releaseConnections()
{
    m_releaseAsked = true;
    if (m_uses == 0)
        closeConnections();
}

void ProgramEnvironment::closeConnections()
{
    releaseQuietly(m_directory);
    releaseQuietly(m_store);
}
