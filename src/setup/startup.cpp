#include "setup/installform.h"
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

void InstallForm::onLoad()
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

    globals.globalCatalogPath = QStringLiteral("GC://") + machine.globalCatalogHostName();

    globals.directoryConnection = m_platform.createDirectoryConnection();
    globals.directoryConnection->open(QStringLiteral("Active Directory Provider"), QString(),
                                      QString());

    globals.storeConnection = m_platform.createStoreConnection();
}

QString InstallForm::logonUserName()
{
    return m_platform.machine().logonUserName();
}

std::unique_ptr<platform::DirectoryRowSet> InstallForm::queryLogonAccount(const QString &attributes)
{
    const QString query = QStringLiteral("SELECT ") + attributes + QStringLiteral(" FROM '") +
                          globals.globalCatalogPath +
                          QStringLiteral("' WHERE objectcategory='person' AND sAMAccountName='") +
                          logonUserName() + QLatin1Char('\'');
    const platform::SearchProperties properties = {
        {QStringLiteral("searchscope"), 2},
        {QStringLiteral("cache results"), false},
        {QStringLiteral("Chase Referrals"), 96},
    };
    return directoryConnection().execute(query, properties);
}

void InstallForm::findClusterName()
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

platform::DirectoryConnection &InstallForm::directoryConnection()
{
    if (!globals.directoryConnection)
        globals.directoryConnection = m_platform.createDirectoryConnection();
    return *globals.directoryConnection;
}

platform::StoreConnection &InstallForm::storeConnection()
{
    if (!globals.storeConnection)
        globals.storeConnection = m_platform.createStoreConnection();
    return *globals.storeConnection;
}

void InstallForm::releaseConnections()
{
    releaseQuietly(globals.directoryConnection);
    releaseQuietly(globals.storeConnection);
}

void InstallForm::onUnload()
{
    unloaded = true;
    // A walk that runs stops at its next yield; the connections go once no walk holds
    // rows or a probe of theirs.
    ++newestListWalk;
    if (runningWalks == 0)
        releaseConnections();
}

void InstallForm::onExitClicked()
{
    onUnload();
}
