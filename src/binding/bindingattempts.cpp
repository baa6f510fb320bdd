#include "binding/bindingattempts.h"

#include "mailboxes/mailboxentry.h"
#include "rule/spacetrim.h"

namespace BindingAttempts {

EntryParts readEntry(const QString &entry)
{
    EntryParts parts;
    const QString &separator = MailboxEntry::Separator;
    const qsizetype last = entry.lastIndexOf(separator);
    if (last < 0) {
        parts.address = trimSpaces(entry);
    } else {
        parts.alias = trimSpaces(QStringView(entry).mid(last + separator.size()));
        const qsizetype previous = last == 0 ? -1 : entry.lastIndexOf(separator, last - 1);
        const qsizetype begin = previous < 0 ? 0 : previous + separator.size();
        parts.address = trimSpaces(QStringView(entry).mid(begin, last - begin));
    }
    const qsizetype at = parts.address.lastIndexOf(QLatin1Char('@'));
    if (at <= 0) {
        parts.localPart = parts.address;
        parts.addressDomain = parts.address;
    } else {
        parts.localPart = parts.address.left(at);
        parts.addressDomain = parts.address.mid(at + 1);
    }
    return parts;
}

QList<RegistrationProbe::Attempt> deleteAttempts(const RegistrationProbe::MailboxRoots &roots,
                                                 const EntryParts &parts)
{
    const QString slash = QStringLiteral("/");
    QList<RegistrationProbe::Attempt> attempts;
    attempts.append({roots.httpMailboxRoot + slash + parts.localPart, false});
    if (!parts.alias.isEmpty()) {
        attempts.append({roots.httpMailboxRoot + slash + parts.alias, true});
        attempts.append({roots.fileMailboxRoot + slash + parts.alias, true});
    }
    attempts.append({roots.fileMailboxRoot + slash + parts.localPart, false});
    return attempts;
}

QList<RegistrationProbe::Attempt> createAttempts(const RegistrationProbe::MailboxRoots &roots,
                                                 const EntryParts &parts)
{
    const QString slash = QStringLiteral("/");
    const QString mbx = QStringLiteral("/mbx/");
    QList<RegistrationProbe::Attempt> attempts;
    if (!parts.addressDomain.isEmpty() && !parts.localPart.isEmpty()) {
        attempts.append({QStringLiteral("file://./backofficestorage/") + parts.addressDomain + mbx +
                             parts.localPart,
                         false});
        attempts.append({QStringLiteral("http://") + roots.fullComputerName +
                             QStringLiteral("/exadmin/") + parts.addressDomain + mbx +
                             parts.localPart,
                         false});
    }
    if (!parts.localPart.isEmpty()) {
        attempts.append({roots.fileMailboxRoot + slash + parts.localPart, false});
        attempts.append({roots.httpMailboxRoot + slash + parts.localPart, parts.alias.isEmpty()});
    }
    if (!parts.alias.isEmpty()) {
        attempts.append({roots.fileMailboxRoot + slash + parts.alias, false});
        attempts.append({roots.httpMailboxRoot + slash + parts.alias, true});
    }
    return attempts;
}

} // namespace BindingAttempts
