#pragma once

// What the window lets the administrator do with the sink's hosting application.
enum class InstallState {
    Installed,     // the application exists: only uninstalling is offered
    Installable,   // no application, the sink library is there: installing is offered
    NotInstallable // no application and no sink library: nothing can be installed
};
