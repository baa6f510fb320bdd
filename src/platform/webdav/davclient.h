#pragma once

#include "platform/webdav/webdavsettings.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QUrl>

Q_DECLARE_LOGGING_CATEGORY(webdavLog)

namespace webdav {

// Error number of an HTTP status the store has no code of its own for (500, 507, ...).
inline constexpr qint32 HttpFailure = 1006;

struct DavReply
{
    int status = 0;
    QString reason;
    QByteArray body;
};

// Sends WebDAV requests one at a time and waits for each, over one kept-alive connection.
// libcurl's easy interface: it runs in the calling thread and reads answers in blocks, where
// Qt's HTTP client of this Qt version costs a thread hop and a read call per header byte.
class DavClient
{
public:
    explicit DavClient(WebDavSettings settings);
    ~DavClient();
    DavClient(const DavClient &) = delete;
    DavClient &operator=(const DavClient &) = delete;

    // The server's answer, whatever its status. Throws PlatformError naming the URL when no
    // answer came (refused, timed out, TLS failed) and when the server refuses the account.
    DavReply send(const QByteArray &method, const QUrl &url, const QByteArray &body = {},
                  const QList<std::pair<QByteArray, QByteArray>> &headers = {});

    // Throws the PlatformError of an unwanted status: 404 and 409 (no such item or folder)
    // ObjectNotFound, 403 AccessDenied, others HttpFailure.
    [[noreturn]] static void failStatus(const DavReply &reply, const QByteArray &method,
                                        const QUrl &url);

private:
    WebDavSettings m_settings;
    void *m_curl; // one handle per connection, so its connection is reused
};

} // namespace webdav
