#include "hosting/sinkhosting.h"

#include "platform/platformerror.h"
#include "rule/sinkconfiguration.h"
#include "rule/spacetrim.h"

#include <optional>

namespace SinkHosting {

namespace {

using platform::CatalogCollection;
using platform::CatalogObject;
using platform::PlatformError;

std::unique_ptr<CatalogCollection> populatedApplications(platform::ComponentCatalog &catalog)
{
    std::unique_ptr<CatalogCollection> applications =
        catalog.getCollection(QStringLiteral("Applications"));
    applications->populate();
    return applications;
}

// The index of the first application named appName in any letter case, or -1.
int findApplication(CatalogCollection &applications, const QString &appName)
{
    for (int i = 0; i < applications.count(); ++i) {
        const CatalogObject *application = applications.item(i);
        if (application && application->name().compare(appName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// The application's components, read afresh. The key is its "ID" in upper case.
std::unique_ptr<CatalogCollection> populatedComponents(CatalogCollection &applications,
                                                       const CatalogObject &application)
{
    std::unique_ptr<CatalogCollection> components = applications.getCollection(
        QStringLiteral("Components"), application.value(QStringLiteral("ID")).toString().toUpper());
    components->populate();
    return components;
}

// The sink: the first component whose name begins with "appName." in exactly that case.
CatalogObject *findSinkComponent(CatalogCollection &components, const QString &appName)
{
    const QString prefix = appName + QLatin1Char('.');
    for (int i = 0; i < components.count(); ++i) {
        CatalogObject *component = components.item(i);
        if (component && component->name().left(prefix.size()) == prefix)
            return component;
    }
    return nullptr;
}

void logFailure(ErrorLog &errorLog, const std::optional<PlatformError> &failure)
{
    if (failure)
        errorLog.add(QString(), failure->number, failure->description);
}

} // namespace

QString libraryPath(platform::MachineFacts &machine, const QString &appName)
{
    return machine.currentDirectory() + QLatin1Char('\\') + appName + QStringLiteral(".dll");
}

void installSinkApplication(const QString &appName, const QString &identity,
                            const QString &password, const QString &configuration,
                            platform::Platform &platform, ErrorLog &errorLog)
{
    std::optional<PlatformError> failure;
    try {
        std::unique_ptr<platform::ComponentCatalog> catalog = platform.createCatalog();
        std::unique_ptr<CatalogCollection> applications = populatedApplications(*catalog);
        CatalogObject *application = applications->add();
        application->setValue(QStringLiteral("Name"), appName);
        application->setValue(QStringLiteral("ApplicationAccessChecksEnabled"), false);
        const QString account = trimSpaces(identity);
        if (!account.isEmpty() && !trimSpaces(password).isEmpty()) {
            application->setValue(QStringLiteral("Identity"), account);
            application->setValue(QStringLiteral("Password"), trimSpaces(password));
        }
        applications->saveChanges();

        catalog->installComponent(appName, libraryPath(platform.machine(), appName), QString(),
                                  QString());
        catalog->refreshComponents();
        if (!configuration.isEmpty()) {
            std::unique_ptr<CatalogCollection> components =
                populatedComponents(*applications, *application);
            if (CatalogObject *sink = findSinkComponent(*components, appName)) {
                sink->setValue(QStringLiteral("ConstructionEnabled"), true);
                sink->setValue(QStringLiteral("ConstructorString"), configuration);
                components->saveChanges();
            }
        }
    } catch (const PlatformError &e) {
        failure = e;
    }
    logFailure(errorLog, failure);
}

void uninstallSinkApplication(const QString &appName, platform::Platform &platform,
                              ErrorLog &errorLog)
{
    std::optional<PlatformError> failure;
    try {
        std::unique_ptr<platform::ComponentCatalog> catalog = platform.createCatalog();
        std::unique_ptr<CatalogCollection> applications = populatedApplications(*catalog);
        const int found = findApplication(*applications, appName);
        if (found >= 0) {
            applications->remove(found);
            applications->saveChanges();
        }
    } catch (const PlatformError &e) {
        failure = e;
    }
    logFailure(errorLog, failure);
}

bool readSinkApplication(const QString &appName, QString &identity, platform::Platform &platform,
                         RuleEditor &editor, ErrorLog &errorLog)
{
    bool exists = false;
    QString configuration;
    std::optional<PlatformError> failure;
    try {
        std::unique_ptr<platform::ComponentCatalog> catalog = platform.createCatalog();
        std::unique_ptr<CatalogCollection> applications = populatedApplications(*catalog);
        const int found = findApplication(*applications, appName);
        if (found >= 0) {
            exists = true;
            const CatalogObject &application = *applications->item(found);
            identity = application.value(QStringLiteral("Identity")).toString();
            catalog->refreshComponents();
            std::unique_ptr<CatalogCollection> components =
                populatedComponents(*applications, application);
            if (const CatalogObject *sink = findSinkComponent(*components, appName)) {
                const QVariant constructor = sink->value(QStringLiteral("ConstructorString"));
                if (sink->value(QStringLiteral("ConstructionEnabled")).toBool() &&
                    !constructor.isNull())
                    configuration = constructor.toString();
            }
        }
    } catch (const PlatformError &e) {
        failure = e;
    }
    // The editor shows the stored rule, or its own rows with the defaults filled in.
    loadSinkConfiguration(editor, configuration);
    logFailure(errorLog, failure);
    return exists;
}

} // namespace SinkHosting
