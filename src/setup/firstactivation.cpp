#include "setup/installform.h"

namespace {

// Selects every entry from the first to the last, then ticks the box, so that the box's
// selection guard sees the selection; an empty list leaves the box alone.
void selectAllThenTick(ListBoxModel &list, CheckBoxModel &check)
{
    if (list.count() == 0)
        return;
    for (int i = 0; i < list.count(); ++i)
        list.setSelected(i, true);
    check.setValue(1);
}

} // namespace

void InstallForm::onActivate()
{
    if (firstActivationDone)
        return;
    firstActivationDone = true;

    refreshInstallState();
    if (!batchMode || unloaded)
        return;

    // Batch mode rewrites what is bound and binds nothing new.
    registerStoresCheck.setValue(0);
    registerMailboxesCheck.setValue(0);
    selectAllThenTick(boundStoreList, unregisterStoresCheck);
    selectAllThenTick(boundMailboxList, unregisterMailboxesCheck);
    if (unregisterMailboxesCheck.value() == 1 || unregisterStoresCheck.value() == 1) {
        if (batchPreview)
            previewApply(*batchPreview);
        else
            onApplyClicked();
    }
    onExitClicked();
}
