#pragma once

#include "binding/applyjournal.h"
#include "hosting/installstate.h"
#include "platform/platform.h"
#include "rule/ruleeditor.h"
#include "shell/controls.h"
#include "shell/errorlog.h"
#include "shell/globals.h"
#include "shell/screen.h"

#include <functional>
#include <optional>

class BindingWriter;

// The main window's behaviour: the shared program state, the controls it reads and
// writes, and its event handlers. Handlers are defined in the .cpp files of the
// subsystem that owns them; the Qt view mirrors this state and forwards events.
class InstallForm
{
public:
    static inline const QString ProductName = QStringLiteral("Kestrelon");
    // The hidden item that binds the sink: "Kestrelon.reg".
    static QString registrationItemName();
    // The class the store calls on each save: "Kestrelon.KestrelonCls".
    static QString sinkClass();

    InstallForm(platform::Platform &platform, Screen &screen, QString commandLine = {});
    ~InstallForm();
    InstallForm(const InstallForm &) = delete;
    InstallForm &operator=(const InstallForm &) = delete;

    platform::Platform &platform() { return m_platform; }
    Screen &screen() { return m_screen; }

    // Shared program state, built by onLoad.
    bool batchMode = false;
    QString httpMailboxRoot;
    QString fileMailboxRoot;
    QString fullComputerName;
    QString shortComputerName;
    bool firstActivationDone = false;
    bool runsOnClusterNode = false;
    QString clusterName;
    QString domainDnsName;
    Globals globals;

    // The argument text after the program name.
    QString commandLine;

    // Window and controls.
    QString caption;

    // Sink installation.
    CheckBoxModel installSinkCheck{QStringLiteral("installSinkCheck")};
    CheckBoxModel uninstallSinkCheck{QStringLiteral("uninstallSinkCheck")};
    TextBoxModel identityEdit{QStringLiteral("identityEdit")};
    TextBoxModel passwordEdit{QStringLiteral("passwordEdit")};
    LabelModel identityLabel{QStringLiteral("identityLabel")};
    LabelModel passwordLabel{QStringLiteral("passwordLabel")};

    // Mailbox lists: "bound" ones carry the registration item, "Store" ones are system
    // mailboxes bound store-wide.
    ListBoxModel unboundStoreList{QStringLiteral("unboundStoreList")};
    ListBoxModel boundStoreList{QStringLiteral("boundStoreList")};
    ListBoxModel unboundMailboxList{QStringLiteral("unboundMailboxList")};
    ListBoxModel boundMailboxList{QStringLiteral("boundMailboxList")};
    CheckBoxModel registerStoresCheck{QStringLiteral("registerStoresCheck")};
    CheckBoxModel registerMailboxesCheck{QStringLiteral("registerMailboxesCheck")};
    CheckBoxModel unregisterMailboxesCheck{QStringLiteral("unregisterMailboxesCheck")};
    CheckBoxModel unregisterStoresCheck{QStringLiteral("unregisterStoresCheck")};
    CheckBoxModel showDisabledCheck{QStringLiteral("showDisabledCheck")};
    ButtonModel selectAllUnboundStoresButton{QStringLiteral("selectAllUnboundStoresButton")};
    ButtonModel selectAllUnboundMailboxesButton{QStringLiteral("selectAllUnboundMailboxesButton")};
    ButtonModel selectAllBoundMailboxesButton{QStringLiteral("selectAllBoundMailboxesButton")};
    ButtonModel selectAllBoundStoresButton{QStringLiteral("selectAllBoundStoresButton")};

    // Commands, error log and progress.
    ButtonModel applyButton{QStringLiteral("applyButton")};
    ButtonModel previewButton{QStringLiteral("previewButton")};
    ButtonModel exitButton{QStringLiteral("exitButton")};
    ButtonModel clearErrorLogButton{QStringLiteral("clearErrorLogButton")};
    TextBoxModel errorLogEdit{QStringLiteral("errorLogEdit")};
    ProgressBoxModel progressBox{QStringLiteral("progressBox")};

    // Rule area captions.
    LabelModel conditionLabel{QStringLiteral("conditionLabel")};
    LabelModel actionLabel{QStringLiteral("actionLabel")};
    LabelModel targetLabel{QStringLiteral("targetLabel")};
    LabelModel priorityLabel{QStringLiteral("priorityLabel")};
    LabelModel conditionExampleLabel{QStringLiteral("conditionExampleLabel")};
    LabelModel targetExampleLabel{QStringLiteral("targetExampleLabel")};
    RuleEditor rule;
    ErrorLog errorLog{errorLogEdit};

    // Start-up and the shell.
    void onLoad();
    void onActivate();
    void onUnload();
    QString logonUserName();
    // The running account's person object in the directory, with the attributes given as
    // the query's select list ("a, b"); the account name goes into the query unchanged.
    std::unique_ptr<platform::DirectoryRowSet> queryLogonAccount(const QString &attributes);
    void findClusterName();
    void onExitClicked();
    void onClearErrorLogClicked();
    // Shows errorLogEdit and clearErrorLogButton exactly when the log holds text.
    void showErrorLogIfAny();
    // Moves the walk's count on by step and redraws the box with the new percentage.
    void advanceProgress(qint32 &step, ProgressBoxModel &box);
    // Set by onUnload: the window is to close and the program to end.
    bool unloaded = false;
    // The two connections, created on first use if they are empty.
    platform::DirectoryConnection &directoryConnection();
    platform::StoreConnection &storeConnection();
    // Closes and drops both connections; onUnload's work once no walk uses them.
    void releaseConnections();

    // Sink hosting: reads the installed application back into the window and sets the
    // controls to its install state; then the cluster name, the lists and the log.
    void refreshInstallState();
    void showInstallState(InstallState state);
    // Puts the running account as "DOMAIN\account" into identityEdit (empty: no domain).
    void proposeIdentity();
    // This computer's LAN group (domain or workgroup), or "" when it cannot be learnt.
    QString workstationDomain();

    // Mailbox directory.
    // Fills the four lists from nothing. A walk started during another supersedes it: the
    // older walk stops at its next yield without touching the lists again.
    void refreshMailboxLists();
    // The number of the newest mailbox walk; onUnload moves it on, stopping them all.
    quint64 newestListWalk = 0;
    // Walks in progress, nested in each other's yields; they keep the connections alive.
    int runningWalks = 0;
    void onShowDisabledToggled();
    void toggleSelectAll(ButtonModel &button, ListBoxModel &list);
    void onSelectAllUnboundStoresClicked();
    void onSelectAllUnboundMailboxesClicked();
    void onSelectAllBoundMailboxesClicked();
    void onSelectAllBoundStoresClicked();

    // Event binding: the apply behind "CHANGE", and the guards that keep a register or
    // unregister box unticked while its list has no selection.
    void onApplyClicked();
    // Runs the apply's steps as CHANGE would with the controls as they are, asking the
    // store what exists and changing nothing (neither the server nor the window); plan
    // receives the account of what CHANGE would do.
    void previewApply(ApplyJournal &plan);
    // "Preview…": what CHANGE would do now, as previewApply plans it, shown by showPlan.
    void onPreviewClicked();
    std::function<void(const QString &listing)> showPlan;
    // When set, a batch run only plans its apply, into this account.
    ApplyJournal *batchPreview = nullptr;
    // When set, every apply keeps its account there (a batch run's report).
    ApplyJournal *applyJournal = nullptr;
    // Told after each list entry the apply has finished: how many of how many.
    std::function<void(int done, int total)> bindingProgress;
    void onRegisterStoresToggled();
    void onRegisterMailboxesToggled();
    void onUnregisterMailboxesToggled();
    void onUnregisterStoresToggled();

private:
    // One pass of the apply over a kind of binding: unbinds the chosen bound entries, then
    // binds the chosen unbound ones (in batch mode: rebinds every bound one).
    struct ApplyPass
    {
        BindingWriter &writer;
        ApplyJournal *journal;
        int done;
        int total;
    };
    void runApply(BindingWriter &writer, ApplyJournal *journal);
    void applyBindingPass(ApplyPass &pass, const QString &folder, const QString &matchScope,
                          const CheckBoxModel &unregisterCheck, const ListBoxModel &boundList,
                          const CheckBoxModel &registerCheck, const ListBoxModel &unboundList);
    // How many list entries a pass will finish.
    int visitCount(const CheckBoxModel &unregisterCheck, const ListBoxModel &boundList,
                   const CheckBoxModel &registerCheck, const ListBoxModel &unboundList) const;
    void describeRule(ApplyJournal &journal) const;
    static ApplyJournal::Attempt record(bool create, const QString &url,
                                        const std::optional<platform::PlatformError> &failure,
                                        bool skipped = false);
    void guardSelection(CheckBoxModel &check, const ListBoxModel &list, const QString &message);

    platform::Platform &m_platform;
    Screen &m_screen;
    bool m_applying = false;
};
