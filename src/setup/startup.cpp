#include "platform/platformerror.h"
#include "setup/installform.h"

namespace {

// Runs a step whose failure should not cost the administrator the window: the failure
// becomes one log entry under the subject and the refresh goes on.
template<typename Step> void logFailureOf(ErrorLog &errorLog, const QString &subject, Step step)
{
    try {
        step();
    } catch (const platform::PlatformError &e) {
        errorLog.add(subject, e.number, e.description);
    }
}

} // namespace

void InstallForm::onLoad()
{
    environment.discover();
}

void InstallForm::refreshInstallState()
{
    rule.editorReady = false;
    if (sink.readInstallState() == InstallState::NotInstallable) {
        lists.registerStoresCheck.setEnabled(false);
        lists.registerMailboxesCheck.setEnabled(false);
    }
    if (environment.runsOnClusterNode)
        logFailureOf(errorLog, QStringLiteral("Finding the cluster name"),
                     [this] { environment.findClusterName(); });
    lists.refreshMailboxLists();
    errorLog.showIfAny();
    rule.editorReady = true;
}

void InstallForm::onUnload()
{
    unloaded = true;
    // A walk that runs stops at its next yield; the connections go once no walk holds
    // rows or a probe of theirs.
    lists.stopWalks();
    environment.releaseConnections();
}

void InstallForm::onExitClicked()
{
    onUnload();
}
