#pragma once

#include <QString>

// The pieces of one mailbox list entry and the texts they are read from.
namespace MailboxEntry {

inline const QString DisabledMark = QStringLiteral(" [***DISABLED***]");
inline const QString Separator = QStringLiteral(" / ");

// "cn [***DISABLED***] / server / mail / alias"; empty segments keep their separators.
QString text(const QString &cn, bool disabled, const QString &server, const QString &mail,
             const QString &alias);

// The server name at the end of a home-server value: the text after its last "CN="
// (any case); empty when there is none or fewer than two characters follow it.
QString serverName(const QString &homeServerValue);

// An e-mail address split at its first "@"; without one, or with "@" first, both parts
// are the whole address.
struct AddressParts
{
    QString localPart;
    QString domain;
};
AddressParts splitAddress(const QString &address);

// System mailboxes, one per mailbox store, carry aliases "SystemMailbox{...}".
bool isSystemMailboxAlias(const QString &alias);

// userAccountControl's "account disabled" bit.
bool isAccountDisabled(qint32 userAccountControl);

} // namespace MailboxEntry
