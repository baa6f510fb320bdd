#pragma once

#include "platform/platform.h"
#include "rule/ruleeditor.h"
#include "shell/controls.h"
#include "shell/errorlog.h"
#include "shell/globals.h"
#include "shell/screen.h"

#include <array>

// The main window's behaviour: the shared program state, the controls it reads and
// writes, and its event handlers. Handlers are defined in the .cpp files of the
// subsystem that owns them; the Qt view mirrors this state and forwards events.
class InstallForm
{
public:
    static inline const QString ProductName = QStringLiteral("Kestrelon");

    InstallForm(platform::Platform &platform, Screen &screen, QString commandLine = {});
    InstallForm(const InstallForm &) = delete;
    InstallForm &operator=(const InstallForm &) = delete;

    platform::Platform &platform() { return m_platform; }
    Screen &screen() { return m_screen; }

    // Shared program state, built by Form_Load.
    bool blnBatchMode = false;
    QString FolderURL;
    QString FileFolderURL;
    QString ComputerName;
    QString ShortComputerName;
    bool blnNotFirstTime = false;
    bool blnIsClusterNode = false;
    QString ClusterName;
    QString DomainDNSName;
    Globals globals;

    // The argument text after the program name.
    QString commandLine;

    // Window and controls.
    QString caption;
    CheckBoxModel Check1{QStringLiteral("Check1")};
    CheckBoxModel Check2{QStringLiteral("Check2")};
    CheckBoxModel Check3{QStringLiteral("Check3")};
    CheckBoxModel Check4{QStringLiteral("Check4")};
    CheckBoxModel Check5{QStringLiteral("Check5")};
    CheckBoxModel Check6{QStringLiteral("Check6")};
    CheckBoxModel Check7{QStringLiteral("Check7")};
    ListBoxModel SysMbxInstList{QStringLiteral("SysMbxInstList")};
    ListBoxModel SysMbxUninstList{QStringLiteral("SysMbxUninstList")};
    ListBoxModel MbxInstList{QStringLiteral("MbxInstList")};
    ListBoxModel MbxUninstList{QStringLiteral("MbxUninstList")};
    ButtonModel Command1{QStringLiteral("Command1")};
    ButtonModel Command2{QStringLiteral("Command2")};
    ButtonModel Command3{QStringLiteral("Command3")};
    ButtonModel Command4{QStringLiteral("Command4")};
    ButtonModel Command5{QStringLiteral("Command5")};
    ButtonModel Command6{QStringLiteral("Command6")};
    ButtonModel Command7{QStringLiteral("Command7")};
    TextBoxModel txtErr{QStringLiteral("txtErr")};
    TextBoxModel txtIdent{QStringLiteral("txtIdent")};
    TextBoxModel txtPwd{QStringLiteral("txtPwd")};
    ProgressBoxModel Picture1{QStringLiteral("Picture1")};
    // Label1 condition caption, Label2 "Password:", Label3 "Identity:", Label5 "Action:",
    // Label6 "Target:", Label8 "Event sink priority:", Label9 and Label10 the examples.
    LabelModel Label1{QStringLiteral("Label1")};
    LabelModel Label2{QStringLiteral("Label2")};
    LabelModel Label3{QStringLiteral("Label3")};
    LabelModel Label5{QStringLiteral("Label5")};
    LabelModel Label6{QStringLiteral("Label6")};
    LabelModel Label8{QStringLiteral("Label8")};
    LabelModel Label9{QStringLiteral("Label9")};
    LabelModel Label10{QStringLiteral("Label10")};
    RuleEditor rule;
    ErrorLog errorLog{txtErr};

    // Start-up and the shell.
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    QString GetLogonUserName();
    void GetClusterName();
    void Command2_Click();
    void Command3_Click();
    // Shows txtErr and Command3 exactly when the log holds text.
    void showErrorLogIfAny();
    void UpdateStatus(qint32 &increment, ProgressBoxModel &box);
    // Set by Form_Unload: the window is to close and the program to end.
    bool unloaded = false;

    // Mailbox directory.
    void GetUsersWithMailboxes();
    void Check7_Click();
    void ToggleSelectAll(ButtonModel &button, ListBoxModel &list);
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();

private:
    platform::Platform &m_platform;
    Screen &m_screen;
};
