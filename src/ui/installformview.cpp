#include "ui/installformview.h"

#include "ui_installform.h"

#include <QCloseEvent>

InstallFormView::InstallFormView(InstallForm &form, QWidget *parent)
    : QWidget(parent), m_form(form), m_ui(std::make_unique<Ui::InstallForm>())
{
    m_ui->setupUi(this);
    // Which lab or server this window works on, small and out of the way.
    m_ui->lblEnvironment->setText(form.platform().description());
    m_ui->lblEnvironment->setToolTip(form.platform().description());
    bindShell();
    bindMailboxLists();
    bindRuleArea();
    sync();
}

InstallFormView::~InstallFormView() = default;

void InstallFormView::sync()
{
    if (windowTitle() != m_form.caption)
        setWindowTitle(m_form.caption);
    m_binding.sync();
}

void InstallFormView::bindShell()
{
    Ui::InstallForm &ui = *m_ui;
    m_binding.bind(ui.Check1, m_form.Check1);
    m_binding.bind(ui.Check6, m_form.Check6);
    m_binding.bind(ui.txtIdent, m_form.txtIdent);
    m_binding.bind(ui.txtPwd, m_form.txtPwd);
    m_binding.bind(ui.txtErr, m_form.txtErr);
    for (auto [widget, model] : {std::pair{ui.Label1, &m_form.Label1},
                                 {ui.Label2, &m_form.Label2},
                                 {ui.Label3, &m_form.Label3},
                                 {ui.Label5, &m_form.Label5},
                                 {ui.Label6, &m_form.Label6},
                                 {ui.Label8, &m_form.Label8},
                                 {ui.Label9, &m_form.Label9},
                                 {ui.Label10, &m_form.Label10}})
        m_binding.bind(widget, *model);
    m_binding.bind(ui.Command1, m_form.Command1, {});
    m_binding.bind(ui.Command2, m_form.Command2, [this] {
        m_form.Command2_Click();
        close();
    });
    m_binding.bind(ui.Command3, m_form.Command3, [this] { m_form.Command3_Click(); });
    ui.Picture1->setModel(&m_form.Picture1);
    m_binding.bindCustom(ui.Picture1, m_form.Picture1, [box = ui.Picture1] { box->update(); });
}

void InstallFormView::activateFirstTime()
{
    if (m_form.blnNotFirstTime)
        return;
    m_form.screen().setWaitCursor(true);
    sync();
    m_form.Form_Activate();
    m_form.screen().setWaitCursor(false);
    sync();
    if (m_form.unloaded)
        close();
}

void InstallFormView::closeEvent(QCloseEvent *event)
{
    if (!m_form.unloaded)
        m_form.Form_Unload();
    event->accept();
}
