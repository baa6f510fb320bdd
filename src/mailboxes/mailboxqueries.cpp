#include "mailboxes/mailboxqueries.h"

namespace MailboxQueries {

QString mailboxesOfServer(const QString &gcPath, const QString &homeServerValue)
{
    return QStringLiteral("SELECT adspath, cn, msExchHomeServerName,mailNickName,mail,homeMDB,"
                          "userAccountControl,msExchMailboxGUID FROM '") +
           gcPath +
           QStringLiteral("' WHERE objectcategory='person' AND MsExchMailboxGuid='*' And "
                          "msExchHomeServerName='") +
           homeServerValue + QStringLiteral("' ORDER BY cn");
}

} // namespace MailboxQueries
