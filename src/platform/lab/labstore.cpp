#include "platform/lab/labstore.h"

#include "platform/lab/laberrors.h"
#include "platform/lab/labrecord.h"

namespace lab {

using platform::error::ObjectNotFound;

LabStoreConnection::LabStoreConnection(std::shared_ptr<LabDatabase> db) : m_db(std::move(db)) {}

LabStoreConnection::~LabStoreConnection()
{
    try {
        close();
    } catch (const platform::PlatformError &) {
        // A destructor cannot report; the transaction is gone either way.
    }
}

LabStoreConnection::Resolved LabStoreConnection::resolve(const QString &url)
{
    StoreUrl parsed = parseStoreUrl(url);
    const Machine &machine = m_db->machine();
    if (!machine.storeDomainFolders.contains(parsed.domainFolder, Qt::CaseInsensitive))
        fail(ObjectNotFound, QStringLiteral("%1: the store has no domain folder \"%2\"")
                                 .arg(url, parsed.domainFolder));
    const bool file = parsed.form == StoreUrl::Form::File;
    if (!file && !machine.storeHosts.contains(parsed.host, Qt::CaseInsensitive))
        fail(ObjectNotFound,
             QStringLiteral("%1: the host \"%2\" serves no store").arg(url, parsed.host));
    const auto &names = m_db->mailboxNames();
    const auto found = names.constFind(parsed.mailboxName.toCaseFolded());
    if (found != names.constEnd()) {
        for (qint64 id : *found) {
            const MailboxInfo *info = m_db->mailbox(id);
            if (info && (file ? info->fileForm : info->httpForm))
                return {info, std::move(parsed)};
        }
    }
    fail(ObjectNotFound,
         QStringLiteral("%1: no mailbox \"%2\" answers to this URL").arg(url, parsed.mailboxName));
}

void LabStoreConnection::requireOpen(const char *operation) const
{
    if (!m_open)
        fail(platform::error::NotOpen,
             QStringLiteral("Store connection is not open (%1)").arg(QLatin1String(operation)));
}

void LabStoreConnection::open(const QString &url, const QString &, const QString &)
{
    const QString target = url.isEmpty() ? m_connectionString : url;
    if (target.isEmpty())
        fail(platform::error::InvalidArgument,
             QStringLiteral("Store connection: no URL to open (the connection string is empty)"));
    close();
    m_db->shareWrites();
    m_db->checkForChanges();
    const Resolved resolved = resolve(target);
    m_mailboxId = resolved.mailbox->id;
    m_openUrl = target;
    if (m_connectionString.isEmpty())
        m_connectionString = target;
    m_open = true;
}

void LabStoreConnection::close()
{
    m_open = false;
    if (m_db->ownsTransaction(this))
        m_db->rollbackTransaction(this);
}

std::unique_ptr<platform::StoreRecord>
LabStoreConnection::openRecord(const QString &url, platform::RecordMode mode,
                               platform::CreateOption createOption, int)
{
    requireOpen("open record");
    const Resolved resolved = resolve(url);
    if (resolved.mailbox->id != m_mailboxId)
        fail(ObjectNotFound, QStringLiteral("%1: outside the mailbox this connection opened (%2)")
                                 .arg(url, m_openUrl));
    return openLabRecord(m_db, *resolved.mailbox, resolved.url, url, mode, createOption);
}

void LabStoreConnection::beginTransaction()
{
    requireOpen("begin transaction");
    m_db->beginTransaction(this);
}

void LabStoreConnection::commitTransaction()
{
    requireOpen("commit transaction");
    m_db->commitTransaction(this);
}

void LabStoreConnection::rollbackTransaction()
{
    requireOpen("roll back transaction");
    m_db->rollbackTransaction(this);
}

} // namespace lab
