#include "binding/bindingattempts.h"
#include "binding/registrationitems.h"
#include "hosting/sinkhosting.h"
#include "platform/platformerror.h"
#include "rule/sinkconfiguration.h"
#include "rule/spacetrim.h"
#include "setup/installform.h"
#include "shell/waitcursor.h"

#include <QScopedValueRollback>

namespace {

const QString EventMethod = QStringLiteral("onsyncsave");
// Hidden items, the registration itself among them, do not raise the event.
const QString Criteria = QStringLiteral(" WHERE \"DAV:ishidden\" = FALSE");

} // namespace

QString InstallForm::registrationItemName()
{
    return ProductName + QStringLiteral(".reg");
}

void InstallForm::onApplyClicked()
{
    // The reload at the end lets clicks through while it walks; a second CHANGE then would
    // apply to half-filled lists and take the wait cursor away from the first.
    if (m_applying)
        return;
    const QScopedValueRollback<bool> applying(m_applying, true);
    WaitCursor waitCursor(m_screen);
    errorLog.clear();
    errorLogEdit.setVisible(false);
    clearErrorLogButton.setVisible(false);

    if (installSinkCheck.value() == 1) {
        if (trimSpaces(identityEdit.text()).isEmpty() ||
            trimSpaces(passwordEdit.text()).isEmpty()) {
            m_screen.messageBox(QStringLiteral("Please fill the Identity and Password fields"),
                                Screen::Icon::Exclamation, caption);
            return;
        }
        const std::optional<QString> configuration = buildSinkConfiguration(rule, caption);
        if (!configuration)
            return;
        SinkHosting::installSinkApplication(ProductName, identityEdit.text(), passwordEdit.text(),
                                            *configuration, m_platform, errorLog);
    }

    {
        // Thousands of items, each written in a transaction of its own: the store may group
        // their commits.
        platform::WriteBurst burst(m_platform);
        applyBindingPass(RegistrationProbe::StoreWideFolder, QStringLiteral("ANY"),
                         unregisterStoresCheck, boundStoreList, registerStoresCheck,
                         unboundStoreList);
        applyBindingPass(RegistrationProbe::InboxFolder, QStringLiteral("SHALLOW"),
                         unregisterMailboxesCheck, boundMailboxList, registerMailboxesCheck,
                         unboundMailboxList);
        try {
            burst.finish();
        } catch (const platform::PlatformError &error) {
            errorLog.add(QString(), error.number, error.description);
        }
    }

    if (uninstallSinkCheck.value() == 1)
        SinkHosting::uninstallSinkApplication(ProductName, m_platform, errorLog);

    refreshInstallState();
}

void InstallForm::applyBindingPass(const QString &folder, const QString &matchScope,
                                   const CheckBoxModel &unregisterCheck,
                                   const ListBoxModel &boundList,
                                   const CheckBoxModel &registerCheck,
                                   const ListBoxModel &unboundList)
{
    const RegistrationProbe::MailboxRoots roots{fullComputerName, httpMailboxRoot, fileMailboxRoot};
    const QString itemName = registrationItemName();
    if (unregisterCheck.value() == 1) {
        for (int i = 0; i < boundList.count(); ++i) {
            if (!boundList.selected(i))
                continue;
            const BindingAttempts::EntryParts parts =
                BindingAttempts::readEntry(boundList.entry(i));
            for (const RegistrationProbe::Attempt &attempt :
                 BindingAttempts::deleteAttempts(roots, parts)) {
                if (RegistrationItems::deleteRegistrationItem(
                        attempt.url, folder, itemName, attempt.logFailure, m_platform, errorLog))
                    break;
            }
        }
    }

    // A batch run rewrites every existing binding, so that each item carries the current
    // priority; outside it only the chosen unbound entries are bound.
    const ListBoxModel &registerList = batchMode ? boundList : unboundList;
    if (!batchMode && registerCheck.value() != 1)
        return;
    for (int i = 0; i < registerList.count(); ++i) {
        if (!batchMode && !registerList.selected(i))
            continue;
        const BindingAttempts::EntryParts parts = BindingAttempts::readEntry(registerList.entry(i));
        for (const RegistrationProbe::Attempt &attempt :
             BindingAttempts::createAttempts(roots, parts)) {
            const QString created = RegistrationItems::createRegistrationItem(
                attempt.url, folder, itemName, EventMethod, sinkClass(), matchScope, Criteria,
                rule.priorityEdit.text(), attempt.logFailure, m_platform, errorLog);
            if (!created.isEmpty())
                break;
        }
    }
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
