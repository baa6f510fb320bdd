#pragma once

#include "platform/lab/labdatabase.h"
#include "platform/lab/storeurl.h"
#include "platform/store.h"

#include <memory>

namespace lab {

// A store connection of a lab: opened on a mailbox root URL, it reaches that mailbox only.
class LabStoreConnection : public platform::StoreConnection
{
public:
    explicit LabStoreConnection(std::shared_ptr<LabDatabase> db);
    ~LabStoreConnection() override;

    QString connectionString() const override { return m_connectionString; }
    void setConnectionString(const QString &url) override { m_connectionString = url; }
    void open(const QString &url, const QString &user, const QString &password) override;
    bool isOpen() const override { return m_open; }
    void close() override;

    std::unique_ptr<platform::StoreRecord> openRecord(const QString &url, platform::RecordMode mode,
                                                      platform::CreateOption createOption,
                                                      int options) override;

    void beginTransaction() override;
    void commitTransaction() override;
    void rollbackTransaction() override;

private:
    struct Resolved
    {
        const MailboxInfo *mailbox;
        StoreUrl url;
    };
    Resolved resolve(const QString &url);
    void requireOpen(const char *operation) const;

    std::shared_ptr<LabDatabase> m_db;
    QString m_connectionString;
    QString m_openUrl;
    qint64 m_mailboxId = 0;
    bool m_open = false;
};

} // namespace lab
