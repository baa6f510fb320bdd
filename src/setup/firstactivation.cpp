#include "setup/installform.h"

void InstallForm::onActivate()
{
    if (firstActivationDone)
        return;
    firstActivationDone = true;

    refreshInstallState();
}
