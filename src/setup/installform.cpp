#include "setup/installform.h"

#include "platform/configuredplatform.h"
#include "shell/basicnumbers.h"

InstallForm::InstallForm(platform::Platform &platform, Screen &screen, QString commandLine)
    : commandLine(std::move(commandLine)), rule(screen), m_platform(platform), m_screen(screen)
{
    caption = QStringLiteral("Kestrelon setup");
    installSinkCheck.setCaption(QStringLiteral("Install COM+ object"));
    registerStoresCheck.setCaption(QStringLiteral("Register store-wide"));
    registerMailboxesCheck.setCaption(QStringLiteral("Register per-mailbox"));
    unregisterMailboxesCheck.setCaption(QStringLiteral("Unregister per-mailbox"));
    unregisterStoresCheck.setCaption(QStringLiteral("Unregister store-wide"));
    uninstallSinkCheck.setCaption(QStringLiteral("Uninstall COM+ object "));
    showDisabledCheck.setCaption(QStringLiteral("Show disabled"));
    applyButton.setCaption(QStringLiteral("CHANGE"));
    previewButton.setCaption(QStringLiteral("Preview…"));
    exitButton.setCaption(QStringLiteral("Exit"));
    clearErrorLogButton.setCaption(QStringLiteral("Clear Error Log"));
    for (ButtonModel *selectAll : {&selectAllUnboundStoresButton, &selectAllUnboundMailboxesButton,
                                   &selectAllBoundMailboxesButton, &selectAllBoundStoresButton})
        selectAll->setCaption(QStringLiteral("Select All"));
    conditionLabel.setCaption(QStringLiteral("SPAM header or IMF SCL score:"));
    passwordLabel.setCaption(QStringLiteral("Password:"));
    identityLabel.setCaption(QStringLiteral("Identity:"));
    actionLabel.setCaption(QStringLiteral("Action:"));
    targetLabel.setCaption(QStringLiteral("Target:"));
    priorityLabel.setCaption(QStringLiteral("Event sink priority:"));
    conditionExampleLabel.setCaption(
        QStringLiteral("Example 1: Subject: [SPAM]                Example 2: IMFSCL: {> 3}"));
    targetExampleLabel.setCaption(QStringLiteral("Example: Inbox\\Spam"));

    registerStoresCheck.onToggled = [this] {
        onRegisterStoresToggled();
    };
    registerMailboxesCheck.onToggled = [this] {
        onRegisterMailboxesToggled();
    };
    unregisterMailboxesCheck.onToggled = [this] {
        onUnregisterMailboxesToggled();
    };
    unregisterStoresCheck.onToggled = [this] {
        onUnregisterStoresToggled();
    };

    // The log and its button show only while the log holds text.
    errorLogEdit.setVisible(false);
    clearErrorLogButton.setVisible(false);
    progressBox.setVisible(false);

    // The window keeps painting while the directory waits on its server, and what a search
    // had to leave out goes into the log.
    platform::setDirectoryHooks(
        m_platform, {[this] { m_screen.doEvents(); },
                     [this](const QString &subject, qint32 number, const QString &text) {
                         errorLog.add(subject, number, text);
                     }});
}

InstallForm::~InstallForm()
{
    platform::setDirectoryHooks(m_platform, {});
}

void InstallForm::onClearErrorLogClicked()
{
    clearErrorLogButton.setVisible(false);
    errorLog.clear();
    errorLogEdit.setVisible(false);
}

void InstallForm::showErrorLogIfAny()
{
    const bool any = !errorLog.isEmpty();
    errorLogEdit.setVisible(any);
    clearErrorLogButton.setVisible(any);
}

void InstallForm::advanceProgress(qint32 &step, ProgressBoxModel &box)
{
    globals.progressCount = BasicNumbers::addLong(globals.progressCount, step);
    // A caller that takes more steps than it announced never pushes the bar past 100%.
    if (box.scaleWidth() < globals.progressCount)
        globals.progressCount = BasicNumbers::toLong(box.scaleWidth());
    const double percent = BasicNumbers::roundHalfEven(
        BasicNumbers::divide(globals.progressCount, box.scaleWidth()) * 100);
    box.draw(globals.progressCount, QString::number(qint64(percent)) + QLatin1Char('%'));
}
