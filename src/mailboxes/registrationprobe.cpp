#include "mailboxes/registrationprobe.h"

#include "mailboxes/folders.h"

namespace RegistrationProbe {

QList<Attempt> attempts(const MailboxRoots &roots, const QString &alias, const QString &localPart,
                        const QString &addressDomain)
{
    QList<Attempt> tried;
    if (!addressDomain.isEmpty() && !alias.isEmpty()) {
        tried.append({QStringLiteral("file://./backofficestorage/") + addressDomain +
                          QStringLiteral("/mbx/") + alias,
                      false});
        tried.append({QStringLiteral("http://") + roots.computerName + QStringLiteral("/exadmin/") +
                          addressDomain + QStringLiteral("/mbx/") + alias,
                      false});
    }
    if (!alias.isEmpty()) {
        tried.append({roots.folderURL + QLatin1Char('/') + alias, false});
        tried.append({roots.fileFolderURL + QLatin1Char('/') + alias, localPart.isEmpty()});
    }
    if (!localPart.isEmpty()) {
        tried.append({roots.folderURL + QLatin1Char('/') + localPart, false});
        tried.append({roots.fileFolderURL + QLatin1Char('/') + localPart, true});
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
        answer = Folders::FolderItemExists(url, folder, itemName, attempt.logFailure, connection,
                                           errorLog);
    }
    return answer;
}

} // namespace RegistrationProbe
