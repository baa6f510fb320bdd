#include "mailboxes/storefolders.h"

#include "platform/platformerror.h"

#include <memory>
#include <optional>

namespace StoreFolders {

namespace {

// A mailbox root without an inbox URL: logged as the null it is, with the number and
// text the log uses for a missing value.
constexpr qint32 InvalidUseOfNull = 94;

std::unique_ptr<platform::StoreRecord> openForReading(platform::StoreConnection &connection,
                                                      const QString &url)
{
    return connection.openRecord(url, platform::RecordMode::Read,
                                 platform::CreateOption::FailIfNotExists,
                                 platform::OptionsUnspecified);
}

QString inboxUrlOf(const platform::StoreRecord &root)
{
    const QVariant inbox = root.field(InboxProperty);
    if (inbox.isNull() || inbox.toString().isEmpty())
        throw platform::PlatformError(InvalidUseOfNull, QStringLiteral("Invalid use of Null"));
    return inbox.toString();
}

} // namespace

void closeQuietly(platform::StoreRecord *record)
{
    try {
        if (record && record->isOpen())
            record->close();
    } catch (const platform::PlatformError &) {
    }
}

void closeQuietly(platform::StoreConnection &connection)
{
    try {
        if (connection.isOpen())
            connection.close();
    } catch (const platform::PlatformError &) {
    }
}

QString folderUrl(platform::StoreConnection &connection, const QString &mailboxUrl,
                  const QString &folder)
{
    if (folder.compare(QLatin1String("inbox"), Qt::CaseInsensitive) != 0)
        return mailboxUrl + QLatin1Char('/') + folder;
    const std::unique_ptr<platform::StoreRecord> root = openForReading(connection, mailboxUrl);
    QString url = mailboxUrl;
    try {
        if (root->fieldCount() > 0)
            url = inboxUrlOf(*root);
    } catch (const platform::PlatformError &) {
        closeQuietly(root.get());
        throw;
    }
    root->close();
    return url;
}

qint16 folderItemExists(QString &mailboxUrl, const QString &folder, const QString &itemName,
                        bool logErrors, platform::StoreConnection &connection, ErrorLog &errorLog)
{
    qint16 result = -1;
    std::unique_ptr<platform::StoreRecord> record;
    std::optional<platform::PlatformError> pending;
    try {
        connection.setConnectionString(mailboxUrl);
        connection.open(mailboxUrl, QString(), QString());
        mailboxUrl = folderUrl(connection, mailboxUrl, folder);
        result = 0;
        mailboxUrl += QLatin1Char('/') + itemName;
        record = openForReading(connection, mailboxUrl);
        result = 1;
    } catch (const platform::PlatformError &error) {
        pending = error;
    }
    closeQuietly(record.get());
    record.reset();
    closeQuietly(connection);

    // A missing item (0) is an answer, not a failure worth the administrator's time.
    if (result == -1 && pending && logErrors)
        errorLog.add(mailboxUrl, pending->number, pending->description);
    return result;
}

} // namespace StoreFolders
