#include "setup/installform.h"

#include "platform/configuredplatform.h"

InstallForm::InstallForm(platform::Platform &platform, Screen &screen, QString commandLine)
    : environment(platform, std::move(commandLine)), rule(screen),
      lists(environment, screen, errorLog), sink(environment, errorLog, rule),
      bindings(environment, screen, errorLog, lists, rule, sink), m_screen(screen)
{
    exitButton.setCaption(QStringLiteral("Exit"));
    clearErrorLogButton.setCaption(QStringLiteral("Clear Error Log"));
    errorLog.showIfAny();
    bindings.reload = [this] {
        refreshInstallState();
    };

    // The window keeps painting while the directory waits on its server, and what a search
    // had to leave out goes into the log.
    platform::setDirectoryHooks(
        platform, {[this] { m_screen.doEvents(); },
                   [this](const QString &subject, qint32 number, const QString &text) {
                       errorLog.add(subject, number, text);
                   }});
}

InstallForm::~InstallForm()
{
    platform::setDirectoryHooks(environment.platform(), {});
}

void InstallForm::onClearErrorLogClicked()
{
    errorLog.clear();
}
