#include "hosting/sinkhosting.h"
#include "hosting/sinkinstallation.h"
#include "platform/platformerror.h"
#include "rule/spacetrim.h"

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

SinkInstallation::SinkInstallation(ProgramEnvironment &environment, ErrorLog &errorLog,
                                   RuleEditor &rule)
    : m_environment(environment), m_errorLog(errorLog), m_rule(rule)
{
    installSinkCheck.setCaption(QStringLiteral("Install COM+ object"));
    uninstallSinkCheck.setCaption(QStringLiteral("Uninstall COM+ object "));
    passwordLabel.setCaption(QStringLiteral("Password:"));
    identityLabel.setCaption(QStringLiteral("Identity:"));
}

QString SinkInstallation::sinkClass()
{
    return ProgramEnvironment::ProductName + QLatin1Char('.') + ProgramEnvironment::ProductName +
           QStringLiteral("Cls");
}

InstallState SinkInstallation::readInstallState()
{
    const QString &product = ProgramEnvironment::ProductName;
    platform::Platform &platform = m_environment.platform();
    QString identity;
    if (SinkHosting::readSinkApplication(product, identity, platform, m_rule, m_errorLog)) {
        showInstallState(InstallState::Installed);
        identityEdit.setText(identity);
        return InstallState::Installed;
    }
    const QString library = SinkHosting::libraryPath(platform.machine(), product);
    if (platform.machine().ordinaryFileExists(library)) {
        showInstallState(InstallState::Installable);
        logFailureOf(m_errorLog, QStringLiteral("Proposing the identity"),
                     [this] { proposeIdentity(); });
        return InstallState::Installable;
    }
    m_errorLog.addText(
        QStringLiteral("[") + m_errorLog.timestamp() + QStringLiteral("] File ") + library +
        QStringLiteral(" not found. COM+ object installation is impossible.\r\n\r\n"));
    showInstallState(InstallState::NotInstallable);
    return InstallState::NotInstallable;
}

void SinkInstallation::showInstallState(InstallState state)
{
    const bool installed = state == InstallState::Installed;
    const bool installable = state == InstallState::Installable;

    installSinkCheck.setValue(installable ? 1 : 0);
    installSinkCheck.setEnabled(installable);
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
    for (LabelModel *caption : {&passwordLabel, &identityLabel, &m_rule.conditionLabel,
                                &m_rule.actionLabel, &m_rule.targetLabel, &m_rule.priorityLabel,
                                &m_rule.conditionExampleLabel, &m_rule.targetExampleLabel})
        caption->setEnabled(installable);

    for (int i = 0; i < RuleEditor::RowCount; ++i) {
        RuleRow &row = m_rule.rows[i];
        const bool used = installable && !trimSpaces(row.conditionEdit.text()).isEmpty();
        row.conditionEdit.setEnabled(installable);
        row.actionList.setEnabled(used);
        setTargetLocked(row, !(used && m_rule.action(i) == RuleEditor::MoveToFolder));
        row.browseRecipientButton.setEnabled(used && m_rule.action(i) == RuleEditor::ForwardTo);
        row.targetEdit.setToolTip(row.targetEdit.text());
    }
    m_rule.priorityEdit.setEnabled(installable);

    uninstallSinkCheck.setValue(0);
    uninstallSinkCheck.setEnabled(installed);
}
