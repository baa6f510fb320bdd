#pragma once

#include "setup/installform.h"
#include "ui/controlbinding.h"

#include <QWidget>

class QtScreen;

namespace Ui {
class InstallWindow;
}

// The main window: the Designer layout bound to the InstallForm model.
class InstallWindow : public QWidget
{
    Q_OBJECT
public:
    explicit InstallWindow(InstallForm &form, QWidget *parent = nullptr);
    ~InstallWindow() override;

    // Copies the model's changes into the widgets.
    void sync();
    // Makes the screen serve this window: it finds controls and parents message boxes
    // here, syncs the window before letting events through, and shows every new
    // percentage of a walk at once.
    void attachScreen(QtScreen &screen);
    // Runs the window's first activation under the wait cursor; later calls do nothing.
    // The program calls it once the window is on the screen and onLoad has run.
    void activateFirstTime();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The first size fits the screen's available area; what does not fit scrolls.
    void fitToScreen();
    void bindShell();
    void bindMailboxLists();
    void bindRuleArea();

    InstallForm &m_form;
    std::unique_ptr<Ui::InstallWindow> m_ui;
    ControlBinding m_binding;
    // The attached screen, which the window's dialogs serve while they are open.
    QtScreen *m_screen = nullptr;
    bool m_fittedToScreen = false;
};
