#include "ui/installwindow.h"
#include "ui_installwindow.h"

void InstallWindow::bindMailboxLists()
{
    Ui::InstallWindow &ui = *m_ui;
    m_binding.bind(ui.registerStoresCheck, m_form.lists.registerStoresCheck);
    m_binding.bind(ui.registerMailboxesCheck, m_form.lists.registerMailboxesCheck);
    m_binding.bind(ui.unregisterMailboxesCheck, m_form.lists.unregisterMailboxesCheck);
    m_binding.bind(ui.unregisterStoresCheck, m_form.lists.unregisterStoresCheck);
    m_binding.bind(ui.showDisabledCheck, m_form.lists.showDisabledCheck);
    // Ticking or unticking "Show disabled" refills the lists, as a click on the box does.
    m_form.lists.showDisabledCheck.onToggled = [this] {
        m_form.lists.onShowDisabledToggled();
    };
    m_binding.bind(ui.unboundStoreList, m_form.lists.unboundStoreList);
    m_binding.bind(ui.boundStoreList, m_form.lists.boundStoreList);
    m_binding.bind(ui.unboundMailboxList, m_form.lists.unboundMailboxList);
    m_binding.bind(ui.boundMailboxList, m_form.lists.boundMailboxList);
    m_binding.bind(ui.selectAllUnboundStoresButton, m_form.lists.selectAllUnboundStoresButton,
                   [this] { m_form.lists.onSelectAllUnboundStoresClicked(); });
    m_binding.bind(ui.selectAllUnboundMailboxesButton, m_form.lists.selectAllUnboundMailboxesButton,
                   [this] { m_form.lists.onSelectAllUnboundMailboxesClicked(); });
    m_binding.bind(ui.selectAllBoundMailboxesButton, m_form.lists.selectAllBoundMailboxesButton,
                   [this] { m_form.lists.onSelectAllBoundMailboxesClicked(); });
    m_binding.bind(ui.selectAllBoundStoresButton, m_form.lists.selectAllBoundStoresButton,
                   [this] { m_form.lists.onSelectAllBoundStoresClicked(); });
}
