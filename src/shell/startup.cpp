#include "shell/batchswitch.h"
#include "shell/cluster.h"
#include "shell/installform.h"

#include <exception>

namespace {

QString fileFolderUrl(const QString &domainFolder)
{
    return QStringLiteral("file://./backofficestorage/") + domainFolder + QStringLiteral("/mbx");
}

QString folderUrl(const QString &host, const QString &domainFolder)
{
    return QStringLiteral("http://") + host + QStringLiteral("/exadmin/") + domainFolder +
           QStringLiteral("/mbx");
}

} // namespace

void InstallForm::Form_Load()
{
    blnBatchMode = isBatchSwitch(commandLine);

    caption = QStringLiteral("Kestrelon setup");
    if (blnBatchMode)
        caption += QStringLiteral(" - batch mode");

    platform::MachineFacts &machine = m_platform.machine();
    ShortComputerName = machine.computerName().toLower();
    DomainDNSName = machine.domainDnsName().toLower();
    ComputerName = ShortComputerName + QLatin1Char('.') + DomainDNSName;

    blnIsClusterNode = Cluster::IsClusterNode(machine);
    ClusterName.clear();

    FileFolderURL = fileFolderUrl(DomainDNSName);
    FolderURL = folderUrl(ComputerName, DomainDNSName);
    // The store's own folder name for the domain wins over the directory's spelling.
    const QStringList listing = machine.storeRootListing();
    const QString domainFolder = listing.isEmpty() ? QString() : listing.first();
    if (!domainFolder.isEmpty()) {
        FileFolderURL = fileFolderUrl(domainFolder);
        FolderURL = folderUrl(ComputerName, domainFolder);
    }

    globals.GCPath = QStringLiteral("GC://") + machine.globalCatalogHostName();

    globals.DirectoryConnection = m_platform.createDirectoryConnection();
    globals.DirectoryConnection->open(QStringLiteral("Active Directory Provider"), QString(),
                                      QString());

    globals.StoreConnection = m_platform.createStoreConnection();
}

QString InstallForm::GetLogonUserName()
{
    return m_platform.machine().logonUserName();
}

void InstallForm::GetClusterName()
{
    ClusterName.clear();
    const QString accountName = GetLogonUserName();
    if (!globals.DirectoryConnection)
        globals.DirectoryConnection = m_platform.createDirectoryConnection();
    const QString query = QStringLiteral("SELECT msExchHomeServerName FROM '") + globals.GCPath +
                          QStringLiteral("' WHERE objectcategory='person' AND sAMAccountName='") +
                          accountName + QLatin1Char('\'');
    const platform::SearchProperties properties = {
        {QStringLiteral("searchscope"), 2},
        {QStringLiteral("cache results"), false},
        {QStringLiteral("Chase Referrals"), 96},
    };
    std::unique_ptr<platform::DirectoryRowSet> rows =
        globals.DirectoryConnection->execute(query, properties);
    if (!rows->atEnd()) {
        const QString homeServer =
            rows->field(QStringLiteral("msExchHomeServerName")).toString().toUpper();
        // The server's own name is what follows the last "CN=" of its distinguished path.
        const qsizetype found = homeServer.lastIndexOf(QLatin1String("CN="));
        if (found >= 0 && found + 4 < homeServer.size())
            ClusterName = homeServer.mid(found + 3);
        else
            ClusterName = homeServer;
    }
    rows->close();
}

void InstallForm::Form_Unload()
{
    // Closing is best effort: the store connection is usually not open at all.
    if (globals.DirectoryConnection) {
        try {
            globals.DirectoryConnection->close();
        } catch (const std::exception &) {
        }
    }
    if (globals.StoreConnection) {
        try {
            globals.StoreConnection->close();
        } catch (const std::exception &) {
        }
    }
    globals.DirectoryConnection.reset();
    globals.StoreConnection.reset();
    unloaded = true;
}

void InstallForm::Command2_Click()
{
    Form_Unload();
}
