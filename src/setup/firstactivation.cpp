#include "setup/installform.h"

void InstallForm::onActivate()
{
    if (firstActivationDone)
        return;
    firstActivationDone = true;

    // The part of loading the installed state that exists so far: the cluster's server
    // name, the mailbox lists, and the log of what failed on the way.
    if (runsOnClusterNode)
        findClusterName();
    refreshMailboxLists();
    showErrorLogIfAny();
}
