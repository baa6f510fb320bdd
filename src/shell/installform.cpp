#include "shell/installform.h"

InstallForm::InstallForm(platform::Platform &platform, Screen &screen, QString commandLine)
    : commandLine(std::move(commandLine)), rule(screen), m_platform(platform), m_screen(screen)
{
    caption = QStringLiteral("Kestrelon setup");
    Check1.setCaption(QStringLiteral("Install COM+ object"));
    Check2.setCaption(QStringLiteral("Register store-wide"));
    Check3.setCaption(QStringLiteral("Register per-mailbox"));
    Check4.setCaption(QStringLiteral("Unregister per-mailbox"));
    Check5.setCaption(QStringLiteral("Unregister store-wide"));
    Check6.setCaption(QStringLiteral("Uninstall COM+ object "));
    Check7.setCaption(QStringLiteral("Show disabled"));
    Command1.setCaption(QStringLiteral("CHANGE"));
    Command2.setCaption(QStringLiteral("Exit"));
    Command3.setCaption(QStringLiteral("Clear Error Log"));
    for (ButtonModel *selectAll : {&Command4, &Command5, &Command6, &Command7})
        selectAll->setCaption(QStringLiteral("Select All"));
    Label1.setCaption(QStringLiteral("SPAM header or IMF SCL score:"));
    Label2.setCaption(QStringLiteral("Password:"));
    Label3.setCaption(QStringLiteral("Identity:"));
    Label5.setCaption(QStringLiteral("Action:"));
    Label6.setCaption(QStringLiteral("Target:"));
    Label8.setCaption(QStringLiteral("Event sink priority:"));
    Label9.setCaption(
        QStringLiteral("Example 1: Subject: [SPAM]                Example 2: IMFSCL: {> 3}"));
    Label10.setCaption(QStringLiteral("Example: Inbox\\Spam"));

    // The log and its button show only while the log holds text.
    txtErr.setVisible(false);
    Command3.setVisible(false);
    Picture1.setVisible(false);
}

void InstallForm::Command3_Click()
{
    Command3.setVisible(false);
    errorLog.clear();
    txtErr.setVisible(false);
}

void InstallForm::showErrorLogIfAny()
{
    const bool any = !errorLog.isEmpty();
    txtErr.setVisible(any);
    Command3.setVisible(any);
}
