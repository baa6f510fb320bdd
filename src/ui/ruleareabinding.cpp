#include "ui/installformview.h"

#include "ui_installform.h"

void InstallFormView::bindRuleArea()
{
    Ui::InstallForm &ui = *m_ui;
    const std::array<QLineEdit *, 4> conditions{ui.txtSpamTag_0, ui.txtSpamTag_1, ui.txtSpamTag_2,
                                                ui.txtSpamTag_3};
    const std::array<QLineEdit *, 4> targets{ui.txtSpamFolder_0, ui.txtSpamFolder_1,
                                             ui.txtSpamFolder_2, ui.txtSpamFolder_3};
    for (int i = 0; i < 4; ++i) {
        m_binding.bind(conditions[i], m_form.rule.rows[i].txtSpamTag);
        m_binding.bind(targets[i], m_form.rule.rows[i].txtSpamFolder);
    }
    m_binding.bind(ui.txtPriority, m_form.rule.txtPriority);
}
