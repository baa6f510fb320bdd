#include "binding/applyreport.h"
#include "binding/bindingattempts.h"
#include "binding/bindingwriter.h"
#include "platform/platformerror.h"
#include "rule/sinkconfiguration.h"
#include "rule/spacetrim.h"
#include "setup/installform.h"
#include "shell/waitcursor.h"

#include <optional>
#include <QScopedValueRollback>

QString InstallForm::registrationItemName()
{
    return ProductName + QStringLiteral(".reg");
}

void InstallForm::onApplyClicked()
{
    ServerBindingWriter writer(m_platform, errorLog, sinkClass());
    runApply(writer, applyJournal);
}

void InstallForm::previewApply(ApplyJournal &plan)
{
    PlanBindingWriter writer(m_platform);
    plan.preview = true;
    runApply(writer, &plan);
}

void InstallForm::onPreviewClicked()
{
    ApplyJournal plan;
    previewApply(plan);
    if (showPlan)
        showPlan(ApplyReport::planText(plan));
}

void InstallForm::runApply(BindingWriter &writer, ApplyJournal *journal)
{
    // The reload at the end lets clicks through while it walks; a second CHANGE then would
    // apply to half-filled lists and take the wait cursor away from the first.
    if (m_applying)
        return;
    const QScopedValueRollback<bool> applying(m_applying, true);
    WaitCursor waitCursor(m_screen);
    const bool plan = writer.isPlan();
    if (!plan) {
        errorLog.clear();
        errorLogEdit.setVisible(false);
        clearErrorLogButton.setVisible(false);
    }
    if (installSinkCheck.value() == 1) {
        if (trimSpaces(identityEdit.text()).isEmpty() ||
            trimSpaces(passwordEdit.text()).isEmpty()) {
            const QString message = QStringLiteral("Please fill the Identity and Password fields");
            if (journal)
                journal->stoppedBy = message;
            m_screen.messageBox(message, Screen::Icon::Exclamation, caption);
            return;
        }
        const std::optional<QString> configuration = buildSinkConfiguration(rule, caption);
        if (!configuration) {
            if (journal)
                journal->stoppedBy =
                    QStringLiteral("Please fill the Spam header and Target folder fields");
            return;
        }
        const auto failure = writer.installSink(ProductName, identityEdit.text(),
                                                passwordEdit.text(), *configuration);
        if (journal)
            journal->sinkSteps.append({true, trimSpaces(identityEdit.text()), failure});
    }
    if (journal)
        describeRule(*journal);

    {
        // Thousands of items, each written in a transaction of its own: the store may group
        // their commits.
        std::optional<platform::WriteBurst> burst;
        if (!plan)
            burst.emplace(m_platform);
        ApplyPass pass{writer, journal, 0,
                       visitCount(unregisterStoresCheck, boundStoreList, registerStoresCheck,
                                  unboundStoreList) +
                           visitCount(unregisterMailboxesCheck, boundMailboxList,
                                      registerMailboxesCheck, unboundMailboxList)};
        applyBindingPass(pass, RegistrationProbe::StoreWideFolder, QStringLiteral("ANY"),
                         unregisterStoresCheck, boundStoreList, registerStoresCheck,
                         unboundStoreList);
        applyBindingPass(pass, RegistrationProbe::InboxFolder, QStringLiteral("SHALLOW"),
                         unregisterMailboxesCheck, boundMailboxList, registerMailboxesCheck,
                         unboundMailboxList);
        try {
            if (burst)
                burst->finish();
        } catch (const platform::PlatformError &error) {
            errorLog.add(QString(), error.number, error.description);
        }
    }

    if (uninstallSinkCheck.value() == 1) {
        const auto failure = writer.uninstallSink(ProductName);
        if (journal)
            journal->sinkSteps.append({false, QString(), failure});
    }

    if (!plan)
        refreshInstallState();
}

void InstallForm::describeRule(ApplyJournal &journal) const
{
    journal.rule.clear();
    for (int i = 0; i < RuleEditor::RowCount; ++i) {
        const RuleRow &row = rule.rows[i];
        if (trimSpaces(row.conditionEdit.text()).isEmpty())
            continue;
        const int action = rule.action(i);
        const QString actionText = action >= 0 && action < row.actionList.count()
                                       ? row.actionList.entry(action)
                                       : QString();
        journal.rule << row.conditionEdit.text() + QStringLiteral(" -> ") + actionText +
                            QLatin1Char(' ') + row.targetEdit.text();
    }
    journal.priority = rule.priorityEdit.text();
}

int InstallForm::visitCount(const CheckBoxModel &unregisterCheck, const ListBoxModel &boundList,
                            const CheckBoxModel &registerCheck,
                            const ListBoxModel &unboundList) const
{
    // A batch run visits every bound entry, the chosen ones twice (unbind, then bind).
    if (batchMode)
        return boundList.count();
    return (unregisterCheck.value() == 1 ? boundList.selectedCount() : 0) +
           (registerCheck.value() == 1 ? unboundList.selectedCount() : 0);
}

void InstallForm::applyBindingPass(ApplyPass &pass, const QString &folder,
                                   const QString &matchScope, const CheckBoxModel &unregisterCheck,
                                   const ListBoxModel &boundList,
                                   const CheckBoxModel &registerCheck,
                                   const ListBoxModel &unboundList)
{
    const RegistrationProbe::MailboxRoots roots{fullComputerName, httpMailboxRoot, fileMailboxRoot};
    const QString itemName = registrationItemName();
    const bool stores = &boundList == &boundStoreList;
    // Where each bound entry's account went, so that a batch run's bind joins its unbind.
    QList<qsizetype> journalIndex(pass.journal && batchMode ? boundList.count() : 0, -1);
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
            ApplyJournal::Entry *entry = account(listName, boundList.entry(i),
                                                 batchMode ? ApplyJournal::Action::Rewrite
                                                           : ApplyJournal::Action::Unregister);
            if (entry && batchMode)
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
            if (!batchMode)
                step();
        }
    }

    // A batch run rewrites every existing binding, so that each item carries the current
    // priority; outside it only the chosen unbound entries are bound.
    const ListBoxModel &registerList = batchMode ? boundList : unboundList;
    if (!batchMode && registerCheck.value() != 1)
        return;
    const QString listName =
        batchMode ? (stores ? QStringLiteral("boundStores") : QStringLiteral("boundMailboxes"))
                  : (stores ? QStringLiteral("unboundStores") : QStringLiteral("unboundMailboxes"));
    for (int i = 0; i < registerList.count(); ++i) {
        if (!batchMode && !registerList.selected(i))
            continue;
        ApplyJournal::Entry *entry = nullptr;
        if (pass.journal && batchMode && journalIndex[i] >= 0)
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
                                       rule.priorityEdit.text(), attempt.logFailure);
            done = !failure;
            if (entry)
                entry->attempts.append(record(true, attempt.url, failure));
        }
        step();
    }
}

ApplyJournal::Attempt InstallForm::record(bool create, const QString &url,
                                          const std::optional<platform::PlatformError> &failure,
                                          bool skipped)
{
    if (skipped)
        return {create, url, ApplyJournal::Outcome::Skipped, 0, QString()};
    if (!failure)
        return {create, url, ApplyJournal::Outcome::Done, 0, QString()};
    return {create, url, ApplyJournal::Outcome::Failed, failure->number, failure->description};
}

QString InstallForm::sinkClass()
{
    return ProductName + QLatin1Char('.') + ProductName + QStringLiteral("Cls");
}

void InstallForm::guardSelection(CheckBoxModel &check, const ListBoxModel &list,
                                 const QString &message)
{
    if (check.value() != 1 || list.selectedCount() > 0)
        return;
    m_screen.messageBox(message, Screen::Icon::Information, caption);
    check.setValue(0);
}

void InstallForm::onRegisterStoresToggled()
{
    guardSelection(registerStoresCheck, unboundStoreList,
                   QStringLiteral("Please select the mailbox(es) for registration"));
}

void InstallForm::onRegisterMailboxesToggled()
{
    guardSelection(registerMailboxesCheck, unboundMailboxList,
                   QStringLiteral("Please select the mailbox(es) for registration"));
}

void InstallForm::onUnregisterMailboxesToggled()
{
    guardSelection(unregisterMailboxesCheck, boundMailboxList,
                   QStringLiteral("Please select the mailbox(es) for unregistration"));
}

void InstallForm::onUnregisterStoresToggled()
{
    guardSelection(unregisterStoresCheck, boundStoreList,
                   QStringLiteral("Please select the mailbox(es) for unregistration"));
}
