#pragma once

#include "platform/platform.h"
#include "platform/platformerror.h"
#include "shell/errorlog.h"

#include <QString>

// The hidden items that bind the sink to a mailbox's inbox or to a whole store: create
// and delete. Each call opens a store connection of its own and releases it before it
// returns; store failures never escape, they become the result and, with logErrors, one
// error-log entry whose subject is the mailbox URL the caller gave. A caller that keeps its
// own account of each attempt passes failure to receive the store's error.
namespace RegistrationItems {

// Where the store's event service looks for the properties below.
inline const QString EventsNamespace =
    QStringLiteral("http://schemas.microsoft.com/exchange/events/");
inline const QString ContentClassProperty = QStringLiteral("DAV:contentclass");
inline const QString ContentClass = QStringLiteral("urn:content-class:storeeventreg");
inline const QString HiddenProperty = QStringLiteral("DAV:ishidden");

// Writes itemName into the mailbox's folder ("inbox" in any letter case is the mailbox's
// own, possibly localised, inbox), replacing an item of that name, inside a transaction so
// that a failure leaves no half-written item. Returns the folder's URL, or "" on failure.
QString createRegistrationItem(const QString &mailboxUrl, const QString &folder,
                               const QString &itemName, const QString &eventMethod,
                               const QString &sinkClass, const QString &matchScope,
                               const QString &criteria, const QString &priority, bool logErrors,
                               platform::Platform &platform, ErrorLog &errorLog,
                               platform::PlatformError *failure = nullptr);

// Deletes itemName from the mailbox's folder. True when it was there and is gone; a
// missing item is a failure like any other.
bool deleteRegistrationItem(const QString &mailboxUrl, const QString &folder,
                            const QString &itemName, bool logErrors, platform::Platform &platform,
                            ErrorLog &errorLog, platform::PlatformError *failure = nullptr);

} // namespace RegistrationItems
