#include "ui/installformview.h"
#include "ui/qtscreen.h"
#include "ui_installform.h"

void InstallFormView::bindMailboxLists()
{
    Ui::InstallForm &ui = *m_ui;
    m_binding.bind(ui.Check2, m_form.Check2);
    m_binding.bind(ui.Check3, m_form.Check3);
    m_binding.bind(ui.Check4, m_form.Check4);
    m_binding.bind(ui.Check5, m_form.Check5);
    m_binding.bind(ui.Check7, m_form.Check7);
    // Ticking or unticking "Show disabled" refills the lists, as a click on the box does.
    m_form.Check7.onClick = [this] {
        m_form.Check7_Click();
    };
    m_binding.bind(ui.SysMbxInstList, m_form.SysMbxInstList);
    m_binding.bind(ui.SysMbxUninstList, m_form.SysMbxUninstList);
    m_binding.bind(ui.MbxInstList, m_form.MbxInstList);
    m_binding.bind(ui.MbxUninstList, m_form.MbxUninstList);
    m_binding.bind(ui.Command4, m_form.Command4, [this] { m_form.Command4_Click(); });
    m_binding.bind(ui.Command5, m_form.Command5, [this] { m_form.Command5_Click(); });
    m_binding.bind(ui.Command6, m_form.Command6, [this] { m_form.Command6_Click(); });
    m_binding.bind(ui.Command7, m_form.Command7, [this] { m_form.Command7_Click(); });

    // A walk's percentage changes 101 times however many rows it has: each change is
    // shown at once, the rows between them only at the screen's bounded rate.
    if (auto *screen = dynamic_cast<QtScreen *>(&m_form.screen())) {
        screen->mustShowNow = [this, shown = QString()]() mutable {
            if (m_form.Picture1.text() == shown)
                return false;
            shown = m_form.Picture1.text();
            return true;
        };
    }
}
