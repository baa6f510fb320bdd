#include "platform/webdav/webdavstore.h"

#include "platform/platformerror.h"
#include "platform/webdav/webdavrecord.h"

namespace webdav {

WebDavStoreConnection::WebDavStoreConnection(const WebDavSettings &settings)
    : m_session(std::make_shared<DavSession>(settings))
{
}

WebDavStoreConnection::~WebDavStoreConnection()
{
    close();
}

void WebDavStoreConnection::open(const QString &url, const QString &, const QString &)
{
    const QString target = url.isEmpty() ? m_connectionString : url;
    if (target.isEmpty())
        throw platform::PlatformError(
            platform::error::InvalidArgument,
            QStringLiteral("Store connection: no URL to open (the connection string is empty)"));
    close();
    m_root = m_session->target(target);
    m_rootProperties = m_session->properties(m_root);
    if (m_connectionString.isEmpty())
        m_connectionString = target;
    m_session->setOpen(true);
}

void WebDavStoreConnection::close()
{
    if (m_session->inTransaction())
        m_session->rollbackTransaction();
    m_session->setOpen(false);
    m_rootProperties.clear();
}

std::unique_ptr<platform::StoreRecord>
WebDavStoreConnection::openRecord(const QString &url, platform::RecordMode mode,
                                  platform::CreateOption createOption, int)
{
    m_session->requireOpen(url, "open record");
    const DavTarget target = m_session->target(url);
    const bool overwrite = createOption == platform::CreateOption::Overwrite;
    std::optional<QList<DavProperty>> properties; // unset: read on first use
    if (overwrite)
        properties.emplace();
    else if (target.path == m_root.path)
        properties = m_rootProperties; // read at open: a probe asks the server once less
    else
        m_session->requireExists(target); // a probe only needs to know the item is there
    return std::make_unique<WebDavRecord>(m_session, url, target, properties,
                                          mode == platform::RecordMode::ReadWrite, overwrite);
}

void WebDavStoreConnection::beginTransaction()
{
    m_session->requireOpen(m_connectionString, "begin transaction");
    m_session->beginTransaction();
}

void WebDavStoreConnection::commitTransaction()
{
    m_session->requireOpen(m_connectionString, "commit transaction");
    m_session->commitTransaction();
}

void WebDavStoreConnection::rollbackTransaction()
{
    m_session->requireOpen(m_connectionString, "roll back transaction");
    m_session->rollbackTransaction();
}

} // namespace webdav
