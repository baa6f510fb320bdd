#pragma once

#include "platform/store.h"
#include "shell/errorlog.h"

#include <QString>

// The inbox probe: whether a named item exists in a mailbox's inbox or in a folder below
// the mailbox root.
namespace StoreFolders {

// 1: the item exists; 0: the mailbox and its folder opened, the item did not;
// -1: the mailbox or its inbox did not open. mailboxUrl is left holding the last URL
// built. Only a -1 is logged, and only with logErrors. Store failures never escape.
qint16 folderItemExists(QString &mailboxUrl, const QString &folder, const QString &itemName,
                        bool logErrors, platform::StoreConnection &connection, ErrorLog &errorLog);

// The URL of a mailbox's folder on an open connection: "inbox" (any letter case) is the
// mailbox root's inbox property when the root has fields, else the root itself; any other
// folder is the root, "/", folder. Throws PlatformError when the root cannot be read or
// names no inbox.
QString folderUrl(platform::StoreConnection &connection, const QString &mailboxUrl,
                  const QString &folder);

// Closing is cleanup on every path: a failure there must not hide the answer, so these
// close what is open and swallow the store's complaint.
void closeQuietly(platform::StoreRecord *record);
void closeQuietly(platform::StoreConnection &connection);

// The property of a mailbox root that holds its inbox's URL.
inline const QString InboxProperty = QStringLiteral("urn:schemas:httpmail:inbox");

} // namespace StoreFolders
