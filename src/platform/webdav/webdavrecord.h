#pragma once

#include "platform/store.h"
#include "platform/webdav/davsession.h"

#include <memory>
#include <optional>

namespace webdav {

// A folder or item on the WebDAV server; its fields are the properties the server reports,
// asked for on first use, and update() writes the staged ones: a whole new item when it was
// opened to overwrite.
class WebDavRecord : public platform::StoreRecord
{
public:
    WebDavRecord(std::shared_ptr<DavSession> session, QString url, DavTarget target,
                 std::optional<QList<DavProperty>> properties, bool readWrite, bool overwrite);

    QString url() const override { return m_url; }
    bool isOpen() const override { return m_open; }
    int fieldCount() const override;
    QVariant field(const QString &name) const override;
    void setField(const QString &name, const QVariant &value) override;
    void update() override;
    void close() override { m_open = false; }
    void deleteRecord() override;

private:
    void requireOpen() const;
    void requireWritable(const char *operation) const;
    const QList<std::pair<QString, QVariant>> &fields() const;

    std::shared_ptr<DavSession> m_session;
    QString m_url;
    DavTarget m_target;
    mutable std::optional<QList<std::pair<QString, QVariant>>> m_fields; // unset: not read yet
    QList<std::pair<QString, QVariant>> m_staged;
    bool m_readWrite;
    bool m_overwrite;
    bool m_open = true;
};

} // namespace webdav
