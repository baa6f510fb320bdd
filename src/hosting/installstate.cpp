#include "hosting/sinkhosting.h"
#include "platform/platformerror.h"
#include "rule/spacetrim.h"
#include "setup/installform.h"

namespace {

// Runs a step whose failure should not cost the administrator the window: the failure
// becomes one log entry under the subject and the refresh goes on.
template<typename Step> void logFailureOf(ErrorLog &errorLog, const QString &subject, Step step)
{
    try {
        step();
    } catch (const platform::PlatformError &e) {
        errorLog.add(subject, e.number, e.description);
    }
}

void setTargetLocked(RuleRow &row, bool locked)
{
    row.targetEdit.setLocked(locked);
    row.targetEdit.setForeColor(locked ? ColorRole::GrayText : ColorRole::WindowText);
}

} // namespace

void InstallForm::refreshInstallState()
{
    rule.editorReady = false;
    QString identity;
    if (SinkHosting::readSinkApplication(ProductName, identity, m_platform, rule, errorLog)) {
        showInstallState(InstallState::Installed);
        identityEdit.setText(identity);
    } else {
        const QString library = SinkHosting::libraryPath(m_platform.machine(), ProductName);
        if (m_platform.machine().ordinaryFileExists(library)) {
            showInstallState(InstallState::Installable);
            logFailureOf(errorLog, QStringLiteral("Proposing the identity"),
                         [this] { proposeIdentity(); });
        } else {
            errorLog.addText(QStringLiteral("[") + errorLog.timestamp() +
                             QStringLiteral("] File ") + library +
                             QStringLiteral(" not found. COM+ object installation is "
                                            "impossible.\r\n\r\n"));
            showInstallState(InstallState::NotInstallable);
        }
    }
    if (runsOnClusterNode)
        logFailureOf(errorLog, QStringLiteral("Finding the cluster name"),
                     [this] { findClusterName(); });
    refreshMailboxLists();
    showErrorLogIfAny();
    rule.editorReady = true;
}

void InstallForm::showInstallState(InstallState state)
{
    const bool installed = state == InstallState::Installed;
    const bool installable = state == InstallState::Installable;

    installSinkCheck.setValue(installable ? 1 : 0);
    installSinkCheck.setEnabled(installable);
    if (state == InstallState::NotInstallable) {
        registerStoresCheck.setEnabled(false);
        registerMailboxesCheck.setEnabled(false);
    }
    // The password lives in the box only until the install that needs it.
    passwordEdit.setText(QString());
    passwordEdit.setEnabled(installable);
    identityEdit.setEnabled(installable);
    if (installable) {
        identityEdit.setVisible(true);
        passwordEdit.setVisible(true);
        passwordLabel.setCaption(QStringLiteral("Password:"));
        passwordLabel.setVisible(true);
        identityLabel.setVisible(true);
    } else if (installed) {
        passwordEdit.setVisible(false);
        passwordLabel.setCaption(QStringLiteral("Password: ********"));
    }
    for (LabelModel *caption :
         {&passwordLabel, &identityLabel, &conditionLabel, &actionLabel, &targetLabel,
          &priorityLabel, &conditionExampleLabel, &targetExampleLabel})
        caption->setEnabled(installable);

    for (int i = 0; i < RuleEditor::RowCount; ++i) {
        RuleRow &row = rule.rows[i];
        const bool used = installable && !trimSpaces(row.conditionEdit.text()).isEmpty();
        row.conditionEdit.setEnabled(installable);
        row.actionList.setEnabled(used);
        setTargetLocked(row, !(used && rule.action(i) == RuleEditor::MoveToFolder));
        row.browseRecipientButton.setEnabled(used && rule.action(i) == RuleEditor::ForwardTo);
        row.targetEdit.setToolTip(row.targetEdit.text());
    }
    rule.priorityEdit.setEnabled(installable);

    uninstallSinkCheck.setValue(0);
    uninstallSinkCheck.setEnabled(installed);
}
