#pragma once

#include "binding/bindingapply.h"
#include "hosting/sinkinstallation.h"
#include "mailboxes/mailboxlists.h"
#include "platform/platform.h"
#include "rule/ruleeditor.h"
#include "shell/controls.h"
#include "shell/errorlog.h"
#include "shell/programenvironment.h"
#include "shell/screen.h"

// The main window's model: holds the subsystems and wires them together (start-up, the
// first activation, the reload after an apply), with the controls that belong to none of
// them: Exit and the error log. The Qt view mirrors this state and forwards events.
class InstallForm
{
public:
    InstallForm(platform::Platform &platform, Screen &screen, QString commandLine = {});
    ~InstallForm();
    InstallForm(const InstallForm &) = delete;
    InstallForm &operator=(const InstallForm &) = delete;

    platform::Platform &platform() { return environment.platform(); }
    Screen &screen() { return m_screen; }

    ProgramEnvironment environment;
    bool firstActivationDone = false;
    // Set by onUnload: the window is to close and the program to end.
    bool unloaded = false;

    ButtonModel exitButton{QStringLiteral("exitButton")};
    ButtonModel clearErrorLogButton{QStringLiteral("clearErrorLogButton")};
    TextBoxModel errorLogEdit{QStringLiteral("errorLogEdit")};
    ErrorLog errorLog{errorLogEdit, &clearErrorLogButton};

    RuleEditor rule;
    MailboxLists lists;
    SinkInstallation sink;
    BindingApply bindings;

    // Start-up: what the environment discovers, and the directory connection.
    void onLoad();
    // The first activation reads the server into the window; in batch mode it then
    // rewrites every binding and unloads.
    void onActivate();
    // Stops the walks and releases the connections once nothing uses them.
    void onUnload();
    void onExitClicked();
    void onClearErrorLogClicked();
    // Reads the installed application back into the window and sets the controls to its
    // install state; then the cluster name, the lists and the log.
    void refreshInstallState();

private:
    Screen &m_screen;
};
