#pragma once

#include "binding/applyjournal.h"
#include "hosting/sinkinstallation.h"
#include "mailboxes/mailboxlists.h"
#include "platform/platformerror.h"
#include "rule/ruleeditor.h"
#include "shell/controls.h"
#include "shell/errorlog.h"
#include "shell/programenvironment.h"
#include "shell/screen.h"

#include <functional>
#include <optional>

class BindingWriter;

// The apply behind "CHANGE" and its preview: installs the sink, unbinds and binds the chosen
// mailboxes, uninstalls; and the guards that keep a register or unregister box unticked
// while its list has no selection.
class BindingApply
{
public:
    BindingApply(ProgramEnvironment &environment, Screen &screen, ErrorLog &errorLog,
                 MailboxLists &lists, RuleEditor &rule, SinkInstallation &sink);
    BindingApply(const BindingApply &) = delete;
    BindingApply &operator=(const BindingApply &) = delete;

    ButtonModel applyButton{QStringLiteral("applyButton")};
    ButtonModel previewButton{QStringLiteral("previewButton")};

    void onApplyClicked();
    // Runs the apply's steps as CHANGE would with the controls as they are, asking the
    // store what exists and changing nothing (neither the server nor the window); plan
    // receives the account of what CHANGE would do.
    void previewApply(ApplyJournal &plan);
    // "Preview…": what CHANGE would do now, as previewApply plans it, shown by showPlan.
    void onPreviewClicked();
    void onRegisterStoresToggled();
    void onRegisterMailboxesToggled();
    void onUnregisterMailboxesToggled();
    void onUnregisterStoresToggled();

    // Reads the server back into the window once an apply has changed it.
    std::function<void()> reload;
    std::function<void(const QString &listing)> showPlan;
    // When set, a batch run only plans its apply, into this account.
    ApplyJournal *batchPreview = nullptr;
    // When set, every apply keeps its account there (a batch run's report).
    ApplyJournal *applyJournal = nullptr;
    // Told after each list entry the apply has finished: how many of how many.
    std::function<void(int done, int total)> bindingProgress;

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

    ProgramEnvironment &m_environment;
    Screen &m_screen;
    ErrorLog &m_errorLog;
    MailboxLists &m_lists;
    RuleEditor &m_rule;
    SinkInstallation &m_sink;
    bool m_applying = false;
};
