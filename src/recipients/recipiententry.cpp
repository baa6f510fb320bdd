#include "recipients/recipiententry.h"

#include "mailboxes/mailboxentry.h"

namespace {

bool accountTypeIs(const QString &accountType, const char *value)
{
    return accountType.compare(QLatin1String(value), Qt::CaseInsensitive) == 0;
}

} // namespace

QString recipientKindKey(RecipientKind kind)
{
    switch (kind) {
    case RecipientKind::User:
        return QStringLiteral("user");
    case RecipientKind::DisabledUser:
        return QStringLiteral("userdisabled");
    case RecipientKind::Group:
        return QStringLiteral("group");
    case RecipientKind::Contact:
        return QStringLiteral("contact");
    case RecipientKind::PublicFolder:
        return QStringLiteral("pf");
    }
    return {};
}

RecipientKind recipientKind(const QVariant &accountType, const QVariant &accountControl,
                            const QVariant &mapiRecipient)
{
    if (accountType.isNull())
        return mapiRecipient.isNull() ? RecipientKind::PublicFolder : RecipientKind::Contact;
    // The directory writes account types as decimal text; they are compared as text.
    const QString type = accountType.toString();
    if (accountTypeIs(type, "805306368")) {
        // A value that is no number has no bits set.
        return MailboxEntry::isAccountDisabled(qint32(accountControl.toLongLong()))
                   ? RecipientKind::DisabledUser
                   : RecipientKind::User;
    }
    if (accountTypeIs(type, "268435456") || accountTypeIs(type, "268435457"))
        return RecipientKind::Group;
    return RecipientKind::Contact;
}
