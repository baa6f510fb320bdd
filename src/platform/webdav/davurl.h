#pragma once

#include <QString>
#include <QUrl>

namespace webdav {

// A store URL as the program writes it, placed on the server: `url` to send, `path` the
// decoded path the server's answers name it by (no trailing slash).
struct DavTarget
{
    QUrl url;
    QString path;
};

// Maps "http[s]://host/seg/seg..." (plain text: spaces, '#', '%' are part of names) onto the
// base URL when one is set, percent-encoding each segment. A file:// URL throws ObjectNotFound
// (that form only exists on the mail server itself); anything else InvalidArgument.
DavTarget davTarget(const QString &storeUrl, const QString &baseUrl);

} // namespace webdav
