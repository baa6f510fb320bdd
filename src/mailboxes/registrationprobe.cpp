#include "mailboxes/registrationprobe.h"

#include "mailboxes/storefolders.h"

namespace RegistrationProbe {

QList<Attempt> attempts(const MailboxRoots &roots, const QString &alias, const QString &localPart,
                        const QString &addressDomain)
{
    QList<Attempt> tried;
    if (!addressDomain.isEmpty() && !alias.isEmpty()) {
        tried.append({QStringLiteral("file://./backofficestorage/") + addressDomain +
                          QStringLiteral("/mbx/") + alias,
                      false});
        tried.append({QStringLiteral("http://") + roots.fullComputerName +
                          QStringLiteral("/exadmin/") + addressDomain + QStringLiteral("/mbx/") +
                          alias,
                      false});
    }
    if (!alias.isEmpty()) {
        tried.append({roots.httpMailboxRoot + QLatin1Char('/') + alias, false});
        tried.append({roots.fileMailboxRoot + QLatin1Char('/') + alias, localPart.isEmpty()});
    }
    if (!localPart.isEmpty()) {
        tried.append({roots.httpMailboxRoot + QLatin1Char('/') + localPart, false});
        tried.append({roots.fileMailboxRoot + QLatin1Char('/') + localPart, true});
    }
    return tried;
}

qint16 probe(const QList<Attempt> &attempts, const QString &folder, const QString &itemName,
             platform::StoreConnection &connection, ErrorLog &errorLog)
{
    qint16 answer = -1;
    for (const Attempt &attempt : attempts) {
        if (answer != -1)
            break;
        QString url = attempt.url;
        answer = StoreFolders::folderItemExists(url, folder, itemName, attempt.logFailure,
                                                connection, errorLog);
    }
    return answer;
}

} // namespace RegistrationProbe
