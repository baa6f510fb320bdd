#pragma once

#include "shell/installform.h"
#include "ui/controlbinding.h"

#include <QWidget>

namespace Ui {
class InstallForm;
}

// The main window: the Designer layout bound to the InstallForm model.
class InstallFormView : public QWidget
{
    Q_OBJECT
public:
    explicit InstallFormView(InstallForm &form, QWidget *parent = nullptr);
    ~InstallFormView() override;

    // Copies the model's changes into the widgets.
    void sync();
    // Runs the window's first activation under the wait cursor; later calls do nothing.
    // The program calls it once the window is on the screen and Form_Load has run.
    void activateFirstTime();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void bindShell();
    void bindMailboxLists();
    void bindRuleArea();

    InstallForm &m_form;
    std::unique_ptr<Ui::InstallForm> m_ui;
    ControlBinding m_binding;
};
