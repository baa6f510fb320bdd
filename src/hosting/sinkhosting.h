#pragma once

#include "platform/platform.h"
#include "platform/platformerror.h"
#include "rule/ruleeditor.h"
#include "shell/errorlog.h"

#include <optional>
#include <QString>

// The sink's hosting application in the component catalog: install, uninstall, read back.
// Each operation works on a catalog of its own and owns its failures: a failing catalog
// call ends it with one error-log entry (empty subject, number and description), and the
// install and uninstall also return that error, for callers that keep their own account.
namespace SinkHosting {

// The sink library's path: the current directory, "\", appName, ".dll".
QString libraryPath(platform::MachineFacts &machine, const QString &appName);

// Creates the application appName (identity and password, trimmed, only when both are
// given), installs the library's components into it and gives the first component named
// "appName.<class>" the configuration as its construction string (none when empty).
// The password goes to the catalog only; nothing here keeps or logs it.
std::optional<platform::PlatformError>
installSinkApplication(const QString &appName, const QString &identity, const QString &password,
                       const QString &configuration, platform::Platform &platform,
                       ErrorLog &errorLog);

// Removes the first application whose name is appName in any letter case; none: nothing.
std::optional<platform::PlatformError>
uninstallSinkApplication(const QString &appName, platform::Platform &platform, ErrorLog &errorLog);

// Whether an application named appName (any letter case) exists; identity receives its
// identity when it does. Its sink component's construction string (or the empty text when
// there is none or the catalog failed) is always loaded into the rule editor.
bool readSinkApplication(const QString &appName, QString &identity, platform::Platform &platform,
                         RuleEditor &editor, ErrorLog &errorLog);

} // namespace SinkHosting
