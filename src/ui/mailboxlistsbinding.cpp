#include "ui/installwindow.h"
#include "ui_installwindow.h"

void InstallWindow::bindMailboxLists()
{
    Ui::InstallWindow &ui = *m_ui;
    m_binding.bind(ui.registerStoresCheck, m_form.registerStoresCheck);
    m_binding.bind(ui.registerMailboxesCheck, m_form.registerMailboxesCheck);
    m_binding.bind(ui.unregisterMailboxesCheck, m_form.unregisterMailboxesCheck);
    m_binding.bind(ui.unregisterStoresCheck, m_form.unregisterStoresCheck);
    m_binding.bind(ui.showDisabledCheck, m_form.showDisabledCheck);
    // Ticking or unticking "Show disabled" refills the lists, as a click on the box does.
    m_form.showDisabledCheck.onToggled = [this] {
        m_form.onShowDisabledToggled();
    };
    m_binding.bind(ui.unboundStoreList, m_form.unboundStoreList);
    m_binding.bind(ui.boundStoreList, m_form.boundStoreList);
    m_binding.bind(ui.unboundMailboxList, m_form.unboundMailboxList);
    m_binding.bind(ui.boundMailboxList, m_form.boundMailboxList);
    m_binding.bind(ui.selectAllUnboundStoresButton, m_form.selectAllUnboundStoresButton,
                   [this] { m_form.onSelectAllUnboundStoresClicked(); });
    m_binding.bind(ui.selectAllUnboundMailboxesButton, m_form.selectAllUnboundMailboxesButton,
                   [this] { m_form.onSelectAllUnboundMailboxesClicked(); });
    m_binding.bind(ui.selectAllBoundMailboxesButton, m_form.selectAllBoundMailboxesButton,
                   [this] { m_form.onSelectAllBoundMailboxesClicked(); });
    m_binding.bind(ui.selectAllBoundStoresButton, m_form.selectAllBoundStoresButton,
                   [this] { m_form.onSelectAllBoundStoresClicked(); });
}
