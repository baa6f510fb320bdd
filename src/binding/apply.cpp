#include "binding/applyreport.h"
#include "binding/bindingapply.h"
#include "binding/bindingattempts.h"
#include "binding/bindingwriter.h"
#include "platform/platformerror.h"
#include "rule/sinkconfiguration.h"
#include "rule/spacetrim.h"
#include "shell/waitcursor.h"

#include <optional>
#include <QScopedValueRollback>

BindingApply::BindingApply(ProgramEnvironment &environment, Screen &screen, ErrorLog &errorLog,
                           MailboxLists &lists, RuleEditor &rule, SinkInstallation &sink)
    : m_environment(environment), m_screen(screen), m_errorLog(errorLog), m_lists(lists),
      m_rule(rule), m_sink(sink)
{
    applyButton.setCaption(QStringLiteral("CHANGE"));
    previewButton.setCaption(QStringLiteral("Preview…"));
    lists.registerStoresCheck.onToggled = [this] {
        onRegisterStoresToggled();
    };
    lists.registerMailboxesCheck.onToggled = [this] {
        onRegisterMailboxesToggled();
    };
    lists.unregisterMailboxesCheck.onToggled = [this] {
        onUnregisterMailboxesToggled();
    };
    lists.unregisterStoresCheck.onToggled = [this] {
        onUnregisterStoresToggled();
    };
}

void BindingApply::onApplyClicked()
{
    ServerBindingWriter writer(m_environment.platform(), m_errorLog, SinkInstallation::sinkClass());
    runApply(writer, applyJournal);
}

void BindingApply::previewApply(ApplyJournal &plan)
{
    PlanBindingWriter writer(m_environment.platform());
    plan.preview = true;
    runApply(writer, &plan);
}

void BindingApply::onPreviewClicked()
{
    ApplyJournal plan;
    previewApply(plan);
    if (showPlan)
        showPlan(ApplyReport::planText(plan));
}

void BindingApply::runApply(BindingWriter &writer, ApplyJournal *journal)
{
    // The reload at the end lets clicks through while it walks; a second CHANGE then would
    // apply to half-filled lists and take the wait cursor away from the first.
    if (m_applying)
        return;
    const QScopedValueRollback<bool> applying(m_applying, true);
    // Exit during the apply's reload releases the connections only once the apply is over.
    const ProgramEnvironment::Use use(m_environment);
    WaitCursor waitCursor(m_screen);
    const bool plan = writer.isPlan();
    if (!plan) {
        m_errorLog.clear();
    }
    if (m_sink.installSinkCheck.value() == 1) {
        if (trimSpaces(m_sink.identityEdit.text()).isEmpty() ||
            trimSpaces(m_sink.passwordEdit.text()).isEmpty()) {
            const QString message = QStringLiteral("Please fill the Identity and Password fields");
            if (journal)
                journal->stoppedBy = message;
            m_screen.messageBox(message, Screen::Icon::Exclamation, m_environment.caption);
            return;
        }
        const std::optional<QString> configuration =
            buildSinkConfiguration(m_rule, m_environment.caption);
        if (!configuration) {
            if (journal)
                journal->stoppedBy =
                    QStringLiteral("Please fill the Spam header and Target folder fields");
            return;
        }
        const auto failure =
            writer.installSink(ProgramEnvironment::ProductName, m_sink.identityEdit.text(),
                               m_sink.passwordEdit.text(), *configuration);
        if (journal)
            journal->sinkSteps.append({true, trimSpaces(m_sink.identityEdit.text()), failure});
    }
    if (journal)
        describeRule(*journal);

    {
        // Thousands of items, each written in a transaction of its own: the store may group
        // their commits.
        std::optional<platform::WriteBurst> burst;
        if (!plan)
            burst.emplace(m_environment.platform());
        ApplyPass pass{writer, journal, 0,
                       visitCount(m_lists.unregisterStoresCheck, m_lists.boundStoreList,
                                  m_lists.registerStoresCheck, m_lists.unboundStoreList) +
                           visitCount(m_lists.unregisterMailboxesCheck, m_lists.boundMailboxList,
                                      m_lists.registerMailboxesCheck, m_lists.unboundMailboxList)};
        applyBindingPass(pass, RegistrationProbe::StoreWideFolder, QStringLiteral("ANY"),
                         m_lists.unregisterStoresCheck, m_lists.boundStoreList,
                         m_lists.registerStoresCheck, m_lists.unboundStoreList);
        applyBindingPass(pass, RegistrationProbe::InboxFolder, QStringLiteral("SHALLOW"),
                         m_lists.unregisterMailboxesCheck, m_lists.boundMailboxList,
                         m_lists.registerMailboxesCheck, m_lists.unboundMailboxList);
        try {
            if (burst)
                burst->finish();
        } catch (const platform::PlatformError &error) {
            m_errorLog.add(QString(), error.number, error.description);
        }
    }

    if (m_sink.uninstallSinkCheck.value() == 1) {
        const auto failure = writer.uninstallSink(ProgramEnvironment::ProductName);
        if (journal)
            journal->sinkSteps.append({false, QString(), failure});
    }

    if (!plan && reload)
        reload();
}

void BindingApply::describeRule(ApplyJournal &journal) const
{
    journal.rule.clear();
    for (int i = 0; i < RuleEditor::RowCount; ++i) {
        const RuleRow &row = m_rule.rows[i];
        if (trimSpaces(row.conditionEdit.text()).isEmpty())
            continue;
        const int action = m_rule.action(i);
        const QString actionText = action >= 0 && action < row.actionList.count()
                                       ? row.actionList.entry(action)
                                       : QString();
        journal.rule << row.conditionEdit.text() + QStringLiteral(" -> ") + actionText +
                            QLatin1Char(' ') + row.targetEdit.text();
    }
    journal.priority = m_rule.priorityEdit.text();
}

int BindingApply::visitCount(const CheckBoxModel &unregisterCheck, const ListBoxModel &boundList,
                             const CheckBoxModel &registerCheck,
                             const ListBoxModel &unboundList) const
{
    // A batch run visits every bound entry, the chosen ones twice (unbind, then bind).
    if (m_environment.batchMode)
        return boundList.count();
    return (unregisterCheck.value() == 1 ? boundList.selectedCount() : 0) +
           (registerCheck.value() == 1 ? unboundList.selectedCount() : 0);
}

void BindingApply::applyBindingPass(ApplyPass &pass, const QString &folder,
                                    const QString &matchScope, const CheckBoxModel &unregisterCheck,
                                    const ListBoxModel &boundList,
                                    const CheckBoxModel &registerCheck,
                                    const ListBoxModel &unboundList)
{
    const RegistrationProbe::MailboxRoots roots{m_environment.fullComputerName,
                                                m_environment.httpMailboxRoot,
                                                m_environment.fileMailboxRoot};
    const QString &itemName = RegistrationProbe::ItemName;
    const bool stores = &boundList == &m_lists.boundStoreList;
    // Where each bound entry's account went, so that a batch run's bind joins its unbind.
    QList<qsizetype> journalIndex(pass.journal && m_environment.batchMode ? boundList.count() : 0,
                                  -1);
    const auto account = [&](const QString &list, const QString &text,
                             ApplyJournal::Action action) -> ApplyJournal::Entry * {
        if (!pass.journal)
            return nullptr;
        pass.journal->entries.append({list, text, action, {}});
        return &pass.journal->entries.last();
    };
    const auto step = [&] {
        ++pass.done;
        if (bindingProgress)
            bindingProgress(pass.done, pass.total);
    };

    if (unregisterCheck.value() == 1) {
        const QString listName =
            stores ? QStringLiteral("boundStores") : QStringLiteral("boundMailboxes");
        for (int i = 0; i < boundList.count(); ++i) {
            if (!boundList.selected(i))
                continue;
            ApplyJournal::Entry *entry =
                account(listName, boundList.entry(i),
                        m_environment.batchMode ? ApplyJournal::Action::Rewrite
                                                : ApplyJournal::Action::Unregister);
            if (entry && m_environment.batchMode)
                journalIndex[i] = pass.journal->entries.size() - 1;
            const BindingAttempts::EntryParts parts =
                BindingAttempts::readEntry(boundList.entry(i));
            bool done = false;
            for (const RegistrationProbe::Attempt &attempt :
                 BindingAttempts::deleteAttempts(roots, parts)) {
                if (done) {
                    if (entry)
                        entry->attempts.append(record(false, attempt.url, std::nullopt, true));
                    continue;
                }
                const auto failure =
                    pass.writer.deleteItem(attempt.url, folder, itemName, attempt.logFailure);
                done = !failure;
                if (entry)
                    entry->attempts.append(record(false, attempt.url, failure));
            }
            if (!m_environment.batchMode)
                step();
        }
    }

    // A batch run rewrites every existing binding, so that each item carries the current
    // priority; outside it only the chosen unbound entries are bound.
    const ListBoxModel &registerList = m_environment.batchMode ? boundList : unboundList;
    if (!m_environment.batchMode && registerCheck.value() != 1)
        return;
    const QString listName =
        m_environment.batchMode
            ? (stores ? QStringLiteral("boundStores") : QStringLiteral("boundMailboxes"))
            : (stores ? QStringLiteral("unboundStores") : QStringLiteral("unboundMailboxes"));
    for (int i = 0; i < registerList.count(); ++i) {
        if (!m_environment.batchMode && !registerList.selected(i))
            continue;
        ApplyJournal::Entry *entry = nullptr;
        if (pass.journal && m_environment.batchMode && journalIndex[i] >= 0)
            entry = &pass.journal->entries[journalIndex[i]];
        else
            entry = account(listName, registerList.entry(i), ApplyJournal::Action::Register);
        const BindingAttempts::EntryParts parts = BindingAttempts::readEntry(registerList.entry(i));
        bool done = false;
        for (const RegistrationProbe::Attempt &attempt :
             BindingAttempts::createAttempts(roots, parts)) {
            if (done) {
                if (entry)
                    entry->attempts.append(record(true, attempt.url, std::nullopt, true));
                continue;
            }
            const auto failure =
                pass.writer.createItem(attempt.url, folder, itemName, matchScope,
                                       m_rule.priorityEdit.text(), attempt.logFailure);
            done = !failure;
            if (entry)
                entry->attempts.append(record(true, attempt.url, failure));
        }
        step();
    }
}

ApplyJournal::Attempt BindingApply::record(bool create, const QString &url,
                                           const std::optional<platform::PlatformError> &failure,
                                           bool skipped)
{
    if (skipped)
        return {create, url, ApplyJournal::Outcome::Skipped, 0, QString()};
    if (!failure)
        return {create, url, ApplyJournal::Outcome::Done, 0, QString()};
    return {create, url, ApplyJournal::Outcome::Failed, failure->number, failure->description};
}

void BindingApply::guardSelection(CheckBoxModel &check, const ListBoxModel &list,
                                  const QString &message)
{
    if (check.value() != 1 || list.selectedCount() > 0)
        return;
    m_screen.messageBox(message, Screen::Icon::Information, m_environment.caption);
    check.setValue(0);
}

void BindingApply::onRegisterStoresToggled()
{
    guardSelection(m_lists.registerStoresCheck, m_lists.unboundStoreList,
                   QStringLiteral("Please select the mailbox(es) for registration"));
}

void BindingApply::onRegisterMailboxesToggled()
{
    guardSelection(m_lists.registerMailboxesCheck, m_lists.unboundMailboxList,
                   QStringLiteral("Please select the mailbox(es) for registration"));
}

void BindingApply::onUnregisterMailboxesToggled()
{
    guardSelection(m_lists.unregisterMailboxesCheck, m_lists.boundMailboxList,
                   QStringLiteral("Please select the mailbox(es) for unregistration"));
}

void BindingApply::onUnregisterStoresToggled()
{
    guardSelection(m_lists.unregisterStoresCheck, m_lists.boundStoreList,
                   QStringLiteral("Please select the mailbox(es) for unregistration"));
}
