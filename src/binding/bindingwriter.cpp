#include "binding/bindingwriter.h"

#include "binding/registrationitems.h"
#include "hosting/sinkhosting.h"
#include "mailboxes/storefolders.h"

namespace {

const QString EventMethod = QStringLiteral("onsyncsave");
// Hidden items, the registration itself among them, do not raise the event.
const QString Criteria = QStringLiteral(" WHERE \"DAV:ishidden\" = FALSE");

} // namespace

std::optional<platform::PlatformError>
ServerBindingWriter::installSink(const QString &appName, const QString &identity,
                                 const QString &password, const QString &configuration)
{
    return SinkHosting::installSinkApplication(appName, identity, password, configuration,
                                               m_platform, m_errorLog);
}

std::optional<platform::PlatformError> ServerBindingWriter::uninstallSink(const QString &appName)
{
    return SinkHosting::uninstallSinkApplication(appName, m_platform, m_errorLog);
}

std::optional<platform::PlatformError>
ServerBindingWriter::createItem(const QString &mailboxUrl, const QString &folder,
                                const QString &itemName, const QString &matchScope,
                                const QString &priority, bool logFailure)
{
    platform::PlatformError failure(0, QString());
    if (!RegistrationItems::createRegistrationItem(mailboxUrl, folder, itemName, EventMethod,
                                                   m_sinkClass, matchScope, Criteria, priority,
                                                   logFailure, m_platform, m_errorLog, &failure)
             .isEmpty())
        return std::nullopt;
    return failure;
}

std::optional<platform::PlatformError> ServerBindingWriter::deleteItem(const QString &mailboxUrl,
                                                                       const QString &folder,
                                                                       const QString &itemName,
                                                                       bool logFailure)
{
    platform::PlatformError failure(0, QString());
    if (RegistrationItems::deleteRegistrationItem(mailboxUrl, folder, itemName, logFailure,
                                                  m_platform, m_errorLog, &failure))
        return std::nullopt;
    return failure;
}

namespace {

// Opens the mailbox and reads what the write would open: the folder for a create, the item
// for a delete. Every store call here reads.
std::optional<platform::PlatformError> probeWrite(platform::Platform &platform,
                                                  const QString &mailboxUrl, const QString &folder,
                                                  const QString &itemName)
{
    std::unique_ptr<platform::StoreConnection> connection;
    std::unique_ptr<platform::StoreRecord> record;
    std::optional<platform::PlatformError> failure;
    try {
        connection = platform.createStoreConnection();
        connection->setConnectionString(mailboxUrl);
        connection->open(mailboxUrl, QString(), QString());
        QString url = StoreFolders::folderUrl(*connection, mailboxUrl, folder);
        if (!itemName.isEmpty())
            url += QLatin1Char('/') + itemName;
        record = connection->openRecord(url, platform::RecordMode::Read,
                                        platform::CreateOption::FailIfNotExists,
                                        platform::OptionsUnspecified);
    } catch (const platform::PlatformError &error) {
        failure = error;
    }
    StoreFolders::closeQuietly(record.get());
    if (connection)
        StoreFolders::closeQuietly(*connection);
    return failure;
}

} // namespace

std::optional<platform::PlatformError>
PlanBindingWriter::createItem(const QString &mailboxUrl, const QString &folder, const QString &,
                              const QString &, const QString &, bool)
{
    // The item is written whether one is there or not; the folder must be.
    return probeWrite(m_platform, mailboxUrl, folder, QString());
}

std::optional<platform::PlatformError> PlanBindingWriter::deleteItem(const QString &mailboxUrl,
                                                                     const QString &folder,
                                                                     const QString &itemName, bool)
{
    return probeWrite(m_platform, mailboxUrl, folder, itemName);
}
