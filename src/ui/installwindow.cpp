#include "ui/installwindow.h"

#include "ui/qtscreen.h"
#include "ui_installwindow.h"

#include <QCloseEvent>

InstallWindow::InstallWindow(InstallForm &form, QWidget *parent)
    : QWidget(parent), m_form(form), m_ui(std::make_unique<Ui::InstallWindow>())
{
    m_ui->setupUi(this);
    // Which lab or server this window works on, small and out of the way.
    m_ui->environmentLabel->setText(form.platform().description());
    m_ui->environmentLabel->setToolTip(form.platform().description());
    bindShell();
    bindMailboxLists();
    bindRuleArea();
    sync();
}

InstallWindow::~InstallWindow() = default;

void InstallWindow::sync()
{
    if (windowTitle() != m_form.caption)
        setWindowTitle(m_form.caption);
    m_binding.sync();
}

void InstallWindow::attachScreen(QtScreen &screen)
{
    m_screen = &screen;
    screen.setWindow(this);
    screen.beforeEvents = [this] {
        sync();
    };
    // A walk's percentage changes 101 times however many rows it has: each change is
    // shown at once, the rows between them only at the screen's bounded rate.
    screen.mustShowNow = [this, shown = QString()]() mutable {
        if (m_form.progressBox.text() == shown)
            return false;
        shown = m_form.progressBox.text();
        return true;
    };
}

void InstallWindow::bindShell()
{
    Ui::InstallWindow &ui = *m_ui;
    m_binding.bind(ui.installSinkCheck, m_form.installSinkCheck);
    m_binding.bind(ui.uninstallSinkCheck, m_form.uninstallSinkCheck);
    m_binding.bind(ui.identityEdit, m_form.identityEdit);
    m_binding.bind(ui.passwordEdit, m_form.passwordEdit);
    m_binding.bind(ui.errorLogEdit, m_form.errorLogEdit);
    for (auto [widget, model] : {std::pair{ui.conditionLabel, &m_form.conditionLabel},
                                 {ui.passwordLabel, &m_form.passwordLabel},
                                 {ui.identityLabel, &m_form.identityLabel},
                                 {ui.actionLabel, &m_form.actionLabel},
                                 {ui.targetLabel, &m_form.targetLabel},
                                 {ui.priorityLabel, &m_form.priorityLabel},
                                 {ui.conditionExampleLabel, &m_form.conditionExampleLabel},
                                 {ui.targetExampleLabel, &m_form.targetExampleLabel}})
        m_binding.bind(widget, *model);
    m_binding.bind(ui.applyButton, m_form.applyButton, [this] { m_form.onApplyClicked(); });
    m_binding.bind(ui.exitButton, m_form.exitButton, [this] {
        m_form.onExitClicked();
        close();
    });
    m_binding.bind(ui.clearErrorLogButton, m_form.clearErrorLogButton,
                   [this] { m_form.onClearErrorLogClicked(); });
    ui.progressBox->setModel(&m_form.progressBox);
    m_binding.bindCustom(ui.progressBox, m_form.progressBox,
                         [box = ui.progressBox] { box->update(); });
}

void InstallWindow::activateFirstTime()
{
    if (m_form.firstActivationDone)
        return;
    m_form.screen().setWaitCursor(true);
    sync();
    m_form.onActivate();
    m_form.screen().setWaitCursor(false);
    sync();
    if (m_form.unloaded)
        close();
}

void InstallWindow::closeEvent(QCloseEvent *event)
{
    if (!m_form.unloaded)
        m_form.onUnload();
    event->accept();
}
