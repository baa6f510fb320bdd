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

// The property of a mailbox root that holds its inbox's URL.
inline const QString InboxProperty = QStringLiteral("urn:schemas:httpmail:inbox");

} // namespace StoreFolders
