#pragma once

#include "platform/store.h"
#include "platform/webdav/davsession.h"

#include <memory>

namespace webdav {

// A store connection to one mailbox on a WebDAV server: opening it asks the server for the
// mailbox root (PROPFIND), whose properties it keeps for a record opened on the root.
class WebDavStoreConnection : public platform::StoreConnection
{
public:
    explicit WebDavStoreConnection(const WebDavSettings &settings);
    ~WebDavStoreConnection() override;

    QString connectionString() const override { return m_connectionString; }
    void setConnectionString(const QString &url) override { m_connectionString = url; }
    void open(const QString &url, const QString &user, const QString &password) override;
    bool isOpen() const override { return m_session->isOpen(); }
    void close() override;

    std::unique_ptr<platform::StoreRecord> openRecord(const QString &url, platform::RecordMode mode,
                                                      platform::CreateOption createOption,
                                                      int options) override;

    void beginTransaction() override;
    void commitTransaction() override;
    void rollbackTransaction() override;

private:
    std::shared_ptr<DavSession> m_session;
    QString m_connectionString;
    DavTarget m_root;
    QList<DavProperty> m_rootProperties;
};

} // namespace webdav
