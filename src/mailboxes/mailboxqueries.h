#pragma once

#include <QString>

// The directory query that lists the mailboxes homed on one server.
namespace MailboxQueries {

// Every mailbox-enabled person whose home-server value is the given one, by cn.
QString mailboxesOfServer(const QString &gcPath, const QString &homeServerValue);

} // namespace MailboxQueries
