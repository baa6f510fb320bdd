#pragma once

#include "shell/controls.h"
#include "shell/errorlog.h"
#include "shell/programenvironment.h"
#include "shell/screen.h"

// The four mailbox lists with their check boxes, Select All buttons and progress box, and
// the walk that fills them from the directory. "Bound" entries carry the registration item;
// "Store" entries are system mailboxes, bound store-wide.
class MailboxLists
{
public:
    MailboxLists(ProgramEnvironment &environment, Screen &screen, ErrorLog &errorLog);
    MailboxLists(const MailboxLists &) = delete;
    MailboxLists &operator=(const MailboxLists &) = delete;

    ListBoxModel unboundStoreList{QStringLiteral("unboundStoreList")};
    ListBoxModel boundStoreList{QStringLiteral("boundStoreList")};
    ListBoxModel unboundMailboxList{QStringLiteral("unboundMailboxList")};
    ListBoxModel boundMailboxList{QStringLiteral("boundMailboxList")};
    CheckBoxModel registerStoresCheck{QStringLiteral("registerStoresCheck")};
    CheckBoxModel registerMailboxesCheck{QStringLiteral("registerMailboxesCheck")};
    CheckBoxModel unregisterMailboxesCheck{QStringLiteral("unregisterMailboxesCheck")};
    CheckBoxModel unregisterStoresCheck{QStringLiteral("unregisterStoresCheck")};
    CheckBoxModel showDisabledCheck{QStringLiteral("showDisabledCheck")};
    ButtonModel selectAllUnboundStoresButton{QStringLiteral("selectAllUnboundStoresButton")};
    ButtonModel selectAllUnboundMailboxesButton{QStringLiteral("selectAllUnboundMailboxesButton")};
    ButtonModel selectAllBoundMailboxesButton{QStringLiteral("selectAllBoundMailboxesButton")};
    ButtonModel selectAllBoundStoresButton{QStringLiteral("selectAllBoundStoresButton")};
    ProgressBoxModel progressBox{QStringLiteral("progressBox")};

    // Fills the four lists from nothing. A walk started during another supersedes it: the
    // older walk stops at its next yield without touching the lists again.
    void refreshMailboxLists();
    // Stops every walk in progress at its next yield.
    void stopWalks() { ++m_newestWalk; }
    void onShowDisabledToggled();
    void toggleSelectAll(ButtonModel &button, ListBoxModel &list);
    void onSelectAllUnboundStoresClicked();
    void onSelectAllUnboundMailboxesClicked();
    void onSelectAllBoundMailboxesClicked();
    void onSelectAllBoundStoresClicked();

private:
    class Walk;
    QString homeServerOfThisServer(QString &serverName);
    bool listMailboxesOf(const Walk &walk, const QString &homeServer, const QString &serverName);

    ProgramEnvironment &m_environment;
    Screen &m_screen;
    ErrorLog &m_errorLog;
    // The number of the newest walk; a walk whose number is older has been superseded.
    quint64 m_newestWalk = 0;
    qint32 m_progressCount = 0;
};
