#pragma once

#include "platform/store.h"
#include "shell/errorlog.h"

#include <QList>
#include <QString>

// Which store URL forms of a mailbox are tried, in which order, to learn whether it
// carries the sink's registration item.
namespace RegistrationProbe {

// The folder that holds a store-wide registration, below a system mailbox's root.
inline const QString StoreWideFolder = QStringLiteral("StoreEvents/GlobalEvents");
inline const QString InboxFolder = QStringLiteral("inbox");
// The hidden item that binds the sink: "Kestrelon.reg".
inline const QString ItemName = QStringLiteral("Kestrelon.reg");

// Where this server's mailboxes live: the shared state the URL forms are built from.
struct MailboxRoots
{
    QString fullComputerName; // host of the http form
    QString httpMailboxRoot;  // http root: ".../exadmin/<domain folder>/mbx"
    QString fileMailboxRoot;  // local root: "file://./backofficestorage/<domain folder>/mbx"
};

struct Attempt
{
    QString url;
    bool logFailure = false;
};

// The URL forms a mailbox can be reached by, in the order they are tried; only the last
// one that can run logs its failure.
QList<Attempt> attempts(const MailboxRoots &roots, const QString &alias, const QString &localPart,
                        const QString &addressDomain);

// Tries the attempts in turn while none opened the mailbox. 1: the item is in the folder,
// 0: the mailbox opened without it, -1: no attempt opened the mailbox.
qint16 probe(const QList<Attempt> &attempts, const QString &folder, const QString &itemName,
             platform::StoreConnection &connection, ErrorLog &errorLog);

} // namespace RegistrationProbe
