#include "shell/installform.h"

void InstallForm::Form_Activate()
{
    if (blnNotFirstTime)
        return;
    blnNotFirstTime = true;

    // The part of loading the installed state that exists so far: the cluster's server
    // name, the mailbox lists, and the log of what failed on the way.
    if (blnIsClusterNode)
        GetClusterName();
    GetUsersWithMailboxes();
    showErrorLogIfAny();
}
