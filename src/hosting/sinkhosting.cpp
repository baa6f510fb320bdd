#include "hosting/sinkhosting.h"

#include "platform/platformerror.h"
#include "rule/sinkconfiguration.h"
#include "rule/spacetrim.h"

namespace SinkHosting {

namespace {

using platform::CatalogCollection;
using platform::CatalogObject;
using platform::ComponentCatalog;
using platform::PlatformError;

// Runs the body on a fresh catalog and its populated applications. A failure ends the
// body and becomes one log entry, written after every catalog object is released.
template<typename Body>
std::optional<PlatformError> onCatalog(platform::Platform &platform, ErrorLog &errorLog, Body body)
{
    try {
        std::unique_ptr<platform::ComponentCatalog> catalog = platform.createCatalog();
        std::unique_ptr<CatalogCollection> applications =
            catalog->getCollection(QStringLiteral("Applications"));
        applications->populate();
        body(*catalog, *applications);
    } catch (const PlatformError &e) {
        errorLog.add(QString(), e.number, e.description);
        return e;
    }
    return std::nullopt;
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

} // namespace

QString libraryPath(platform::MachineFacts &machine, const QString &appName)
{
    return machine.currentDirectory() + QLatin1Char('\\') + appName + QStringLiteral(".dll");
}

std::optional<PlatformError> installSinkApplication(const QString &appName, const QString &identity,
                                                    const QString &password,
                                                    const QString &configuration,
                                                    platform::Platform &platform,
                                                    ErrorLog &errorLog)
{
    const auto install = [&](ComponentCatalog &catalog, CatalogCollection &applications) {
        CatalogObject *application = applications.add();
        application->setValue(QStringLiteral("Name"), appName);
        application->setValue(QStringLiteral("ApplicationAccessChecksEnabled"), false);
        const QString account = trimSpaces(identity);
        if (!account.isEmpty() && !trimSpaces(password).isEmpty()) {
            application->setValue(QStringLiteral("Identity"), account);
            application->setValue(QStringLiteral("Password"), trimSpaces(password));
        }
        applications.saveChanges();

        catalog.installComponent(appName, libraryPath(platform.machine(), appName), QString(),
                                 QString());
        catalog.refreshComponents();
        if (configuration.isEmpty())
            return;
        std::unique_ptr<CatalogCollection> components =
            populatedComponents(applications, *application);
        if (CatalogObject *sink = findSinkComponent(*components, appName)) {
            sink->setValue(QStringLiteral("ConstructionEnabled"), true);
            sink->setValue(QStringLiteral("ConstructorString"), configuration);
            components->saveChanges();
        }
    };
    return onCatalog(platform, errorLog, install);
}

std::optional<PlatformError>
uninstallSinkApplication(const QString &appName, platform::Platform &platform, ErrorLog &errorLog)
{
    const auto uninstall = [&](ComponentCatalog &, CatalogCollection &applications) {
        const int found = findApplication(applications, appName);
        if (found >= 0) {
            applications.remove(found);
            applications.saveChanges();
        }
    };
    return onCatalog(platform, errorLog, uninstall);
}

bool readSinkApplication(const QString &appName, QString &identity, platform::Platform &platform,
                         RuleEditor &editor, ErrorLog &errorLog)
{
    bool exists = false;
    QString configuration;
    onCatalog(platform, errorLog, [&](ComponentCatalog &catalog, CatalogCollection &applications) {
        const int found = findApplication(applications, appName);
        if (found < 0)
            return;
        exists = true;
        const CatalogObject &application = *applications.item(found);
        identity = application.value(QStringLiteral("Identity")).toString();
        catalog.refreshComponents();
        std::unique_ptr<CatalogCollection> components =
            populatedComponents(applications, application);
        const CatalogObject *sink = findSinkComponent(*components, appName);
        if (!sink)
            return;
        const QVariant constructor = sink->value(QStringLiteral("ConstructorString"));
        if (sink->value(QStringLiteral("ConstructionEnabled")).toBool() && !constructor.isNull())
            configuration = constructor.toString();
    });
    // The editor shows the stored rule, or its own rows with the defaults filled in.
    loadSinkConfiguration(editor, configuration);
    return exists;
}

} // namespace SinkHosting
