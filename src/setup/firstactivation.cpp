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
    if (!environment.batchMode || unloaded)
        return;

    // Batch mode rewrites what is bound and binds nothing new.
    lists.registerStoresCheck.setValue(0);
    lists.registerMailboxesCheck.setValue(0);
    selectAllThenTick(lists.boundStoreList, lists.unregisterStoresCheck);
    selectAllThenTick(lists.boundMailboxList, lists.unregisterMailboxesCheck);
    if (lists.unregisterMailboxesCheck.value() == 1 || lists.unregisterStoresCheck.value() == 1) {
        if (bindings.batchPreview)
            bindings.previewApply(*bindings.batchPreview);
        else
            bindings.onApplyClicked();
    }
    onExitClicked();
}
