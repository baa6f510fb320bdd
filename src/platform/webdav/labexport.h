#pragma once

#include "platform/webdav/webdavsettings.h"

#include <QString>

namespace webdav {

// How much of a lab's store an export laid out.
struct DavExport
{
    int mailboxes = 0;
    int folders = 0;
    int items = 0;
};

// Lays out a lab's store for a WebDAV server: below `folder`, the document root the server
// at `server.baseUrl` serves, a collection exadmin/<domain folder>/mbx/<name> per mailbox,
// its folders (the inbox under its own, possibly localised, name) and its items. The server
// keeps properties in a database of its own, so they go over HTTP: each root's
// urn:schemas:httpmail:inbox (the inbox's URL on the lab's first store host) and each item's
// properties. A mailbox's other names and the other domain folders are symbolic links.
// Throws PlatformError naming the file, folder or URL at fault.
DavExport exportLabStore(const QString &labPath, const QString &folder,
                         const WebDavSettings &server);

} // namespace webdav
