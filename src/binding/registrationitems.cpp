#include "binding/registrationitems.h"

#include "mailboxes/storefolders.h"
#include "platform/platformerror.h"

#include <memory>

namespace RegistrationItems {

namespace {

std::unique_ptr<platform::StoreConnection> openConnection(platform::Platform &platform,
                                                          const QString &mailboxUrl)
{
    auto connection = platform.createStoreConnection();
    connection->setConnectionString(mailboxUrl);
    connection->open(mailboxUrl, QString(), QString());
    return connection;
}

// Undoes an uncommitted transaction and closes everything, whatever state it is in.
void release(std::unique_ptr<platform::StoreRecord> &record, platform::StoreConnection *connection,
             bool inTransaction)
{
    StoreFolders::closeQuietly(record.get());
    record.reset();
    if (!connection)
        return;
    if (inTransaction) {
        try {
            connection->rollbackTransaction();
        } catch (const platform::PlatformError &) {
            // Closing below drops the transaction too.
        }
    }
    StoreFolders::closeQuietly(*connection);
}

} // namespace

QString createRegistrationItem(const QString &mailboxUrl, const QString &folder,
                               const QString &itemName, const QString &eventMethod,
                               const QString &sinkClass, const QString &matchScope,
                               const QString &criteria, const QString &priority, bool logErrors,
                               platform::Platform &platform, ErrorLog &errorLog,
                               platform::PlatformError *failure)
{
    std::unique_ptr<platform::StoreConnection> connection;
    std::unique_ptr<platform::StoreRecord> record;
    bool inTransaction = false;
    QString folderUrl;
    try {
        connection = openConnection(platform, mailboxUrl);
        folderUrl = StoreFolders::folderUrl(*connection, mailboxUrl, folder);
        connection->beginTransaction();
        inTransaction = true;
        record = connection->openRecord(
            folderUrl + QLatin1Char('/') + itemName, platform::RecordMode::ReadWrite,
            platform::CreateOption::Overwrite, platform::DelayFetchFields);
        record->setField(ContentClassProperty, ContentClass);
        record->setField(EventsNamespace + QStringLiteral("EventMethod"), eventMethod);
        record->setField(EventsNamespace + QStringLiteral("SinkClass"), sinkClass);
        record->setField(EventsNamespace + QStringLiteral("MatchScope"), matchScope);
        record->setField(EventsNamespace + QStringLiteral("criteria"), criteria);
        record->setField(EventsNamespace + QStringLiteral("priority"), priority);
        record->setField(HiddenProperty, true);
        record->update();
        record->close();
        connection->commitTransaction();
        inTransaction = false;
    } catch (const platform::PlatformError &error) {
        release(record, connection.get(), inTransaction);
        if (logErrors)
            errorLog.add(mailboxUrl, error.number, error.description);
        if (failure)
            *failure = error;
        return QString();
    }
    release(record, connection.get(), false);
    return folderUrl;
}

bool deleteRegistrationItem(const QString &mailboxUrl, const QString &folder,
                            const QString &itemName, bool logErrors, platform::Platform &platform,
                            ErrorLog &errorLog, platform::PlatformError *failure)
{
    std::unique_ptr<platform::StoreConnection> connection;
    std::unique_ptr<platform::StoreRecord> record;
    try {
        connection = openConnection(platform, mailboxUrl);
        const QString itemUrl =
            StoreFolders::folderUrl(*connection, mailboxUrl, folder) + QLatin1Char('/') + itemName;
        record = connection->openRecord(itemUrl, platform::RecordMode::ReadWrite,
                                        platform::CreateOption::FailIfNotExists,
                                        platform::OptionsUnspecified);
        record->deleteRecord();
    } catch (const platform::PlatformError &error) {
        release(record, connection.get(), false);
        if (logErrors)
            errorLog.add(mailboxUrl, error.number, error.description);
        if (failure)
            *failure = error;
        return false;
    }
    release(record, connection.get(), false);
    return true;
}

} // namespace RegistrationItems
