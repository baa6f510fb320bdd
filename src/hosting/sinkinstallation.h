#pragma once

#include "hosting/installstate.h"
#include "rule/ruleeditor.h"
#include "shell/controls.h"
#include "shell/errorlog.h"
#include "shell/programenvironment.h"

// The sink's hosting application as the window shows it: the install and uninstall boxes,
// the identity and password the install runs under, and the rule area's editable state.
class SinkInstallation
{
public:
    // The class the store calls on each save: "Kestrelon.KestrelonCls".
    static QString sinkClass();

    SinkInstallation(ProgramEnvironment &environment, ErrorLog &errorLog, RuleEditor &rule);
    SinkInstallation(const SinkInstallation &) = delete;
    SinkInstallation &operator=(const SinkInstallation &) = delete;

    CheckBoxModel installSinkCheck{QStringLiteral("installSinkCheck")};
    CheckBoxModel uninstallSinkCheck{QStringLiteral("uninstallSinkCheck")};
    TextBoxModel identityEdit{QStringLiteral("identityEdit")};
    TextBoxModel passwordEdit{QStringLiteral("passwordEdit")};
    LabelModel identityLabel{QStringLiteral("identityLabel")};
    LabelModel passwordLabel{QStringLiteral("passwordLabel")};

    // Reads the installed application back (its identity, and its rule into the editor),
    // shows the state it finds and, when installing is offered, proposes an identity.
    InstallState readInstallState();
    void showInstallState(InstallState state);
    // Puts the running account as "DOMAIN\account" into identityEdit (empty: no domain).
    void proposeIdentity();
    // This computer's LAN group (domain or workgroup), or "" when it cannot be learnt.
    QString workstationDomain();

private:
    ProgramEnvironment &m_environment;
    ErrorLog &m_errorLog;
    RuleEditor &m_rule;
};
