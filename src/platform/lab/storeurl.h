#pragma once

#include <QString>
#include <QStringList>

namespace lab {

// A store URL taken apart: which form, the host or domain folder, the mailbox name and the
// folder/item path below the mailbox root.
struct StoreUrl
{
    enum class Form { File, Http };
    Form form = Form::File;
    QString host; // http form only
    QString domainFolder;
    QString mailboxName;
    QStringList path; // percent-decoded segments below the mailbox root
    QString rootUrl;  // the URL as given, up to and including the mailbox name
};

// Parses "file://./backofficestorage/<domain folder>/mbx/<name>[/...]" or
// "http://<host>/exadmin/<domain folder>/mbx/<name>[/...]"; throws InvalidArgument naming
// the URL when it is neither.
StoreUrl parseStoreUrl(const QString &url);

} // namespace lab
