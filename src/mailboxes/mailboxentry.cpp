#include "mailboxes/mailboxentry.h"

namespace MailboxEntry {

QString text(const QString &cn, bool disabled, const QString &server, const QString &mail,
             const QString &alias)
{
    return cn + (disabled ? DisabledMark : QString()) + Separator + server + Separator + mail +
           Separator + alias;
}

QString serverName(const QString &homeServerValue)
{
    static const QString marker = QStringLiteral("CN=");
    const qsizetype at = homeServerValue.lastIndexOf(marker, -1, Qt::CaseInsensitive);
    if (at < 0 || at + marker.size() + 1 >= homeServerValue.size())
        return QString();
    return homeServerValue.mid(at + marker.size());
}

AddressParts splitAddress(const QString &address)
{
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    if (at <= 0)
        return {address, address};
    return {address.left(at), address.mid(at + 1)};
}

bool isSystemMailboxAlias(const QString &alias)
{
    return alias.startsWith(QLatin1String("SystemMailbox{"), Qt::CaseInsensitive);
}

bool isAccountDisabled(qint32 userAccountControl)
{
    return (userAccountControl & 2) != 0;
}

} // namespace MailboxEntry
