#pragma once

#include "platform/webdav/davclient.h"
#include "platform/webdav/davurl.h"
#include "platform/webdav/davxml.h"

#include <QList>

namespace webdav {

// What a store connection and the records opened over it share: the server, whether the
// connection is open, and the items a running transaction has written but not yet placed.
class DavSession
{
public:
    explicit DavSession(const WebDavSettings &settings);

    DavTarget target(const QString &storeUrl) const;
    bool isOpen() const { return m_open; }
    void setOpen(bool open) { m_open = open; }
    void requireOpen(const QString &url, const char *operation) const;

    // The resource's properties (PROPFIND, Depth 0); ObjectNotFound when it does not exist.
    QList<DavProperty> properties(const DavTarget &target);
    // ObjectNotFound unless the resource exists; asks for one property, the server's quickest
    // answer.
    void requireExists(const DavTarget &target);
    // Writes an item with exactly these properties, replacing any item of its name. It is
    // written under a temporary name and moved into place complete, at once or, inside a
    // transaction, at the commit; a failure deletes what was written and leaves the old item.
    void writeItem(const DavTarget &target, const QList<std::pair<QString, QVariant>> &fields);
    // Sets properties of an existing resource in one PROPPATCH.
    void patch(const DavTarget &target, const QList<std::pair<QString, QVariant>> &fields);
    void remove(const DavTarget &target);

    void beginTransaction();
    void commitTransaction();
    // Deletes the items written in the transaction; also what closing the connection does.
    void rollbackTransaction();
    bool inTransaction() const { return m_inTransaction; }

private:
    struct Pending
    {
        DavTarget written;
        DavTarget destination;
    };
    DavResponse propfind(const DavTarget &target, const QByteArray &body);
    // Errors name `named`: the item a temporary one is written for.
    void patch(const DavTarget &target, const QList<std::pair<QString, QVariant>> &fields,
               const QUrl &named);
    void move(const Pending &item);
    void removeQuietly(const DavTarget &target);

    WebDavSettings m_settings;
    DavClient m_client;
    bool m_open = false;
    bool m_inTransaction = false;
    QList<Pending> m_pending;
};

} // namespace webdav
