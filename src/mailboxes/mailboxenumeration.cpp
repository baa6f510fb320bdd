#include "mailboxes/listaids.h"
#include "mailboxes/mailboxentry.h"
#include "mailboxes/mailboxlists.h"
#include "mailboxes/mailboxqueries.h"
#include "mailboxes/registrationprobe.h"
#include "shell/basicnumbers.h"
#include "shell/progress.h"
#include "shell/waitcursor.h"

namespace {

// The most rows the directory returns for the mailbox query, and the code it reports when a
// search stops there.
constexpr qint16 SizeLimit = 30000;
constexpr qint32 SizeLimitExceeded = static_cast<qint32>(0x80072023u);

} // namespace

// A walk that lets events through between rows. While it lives it keeps the connections
// from being released; it is superseded once a newer walk has started or every walk was
// stopped, and must then leave the lists alone.
class MailboxLists::Walk
{
public:
    explicit Walk(MailboxLists &lists)
        : m_lists(lists), m_use(lists.m_environment), m_number(++lists.m_newestWalk)
    {
    }
    Walk(const Walk &) = delete;
    Walk &operator=(const Walk &) = delete;

    bool superseded() const { return m_lists.m_newestWalk != m_number; }

private:
    MailboxLists &m_lists;
    ProgramEnvironment::Use m_use;
    quint64 m_number;
};

MailboxLists::MailboxLists(ProgramEnvironment &environment, Screen &screen, ErrorLog &errorLog)
    : m_environment(environment), m_screen(screen), m_errorLog(errorLog)
{
    registerStoresCheck.setCaption(QStringLiteral("Register store-wide"));
    registerMailboxesCheck.setCaption(QStringLiteral("Register per-mailbox"));
    unregisterMailboxesCheck.setCaption(QStringLiteral("Unregister per-mailbox"));
    unregisterStoresCheck.setCaption(QStringLiteral("Unregister store-wide"));
    showDisabledCheck.setCaption(QStringLiteral("Show disabled"));
    for (ButtonModel *selectAll : {&selectAllUnboundStoresButton, &selectAllUnboundMailboxesButton,
                                   &selectAllBoundMailboxesButton, &selectAllBoundStoresButton})
        selectAll->setCaption(QStringLiteral("Select All"));
    progressBox.setVisible(false);
}

// Query A: the home-server value that names this server (or, on a cluster node, its
// virtual server), and that name as the directory writes it; "" when none does.
QString MailboxLists::homeServerOfThisServer(QString &serverName)
{
    const QString query = QStringLiteral("SELECT msExchHomeServerName FROM '") +
                          m_environment.globalCatalogPath +
                          QStringLiteral("' WHERE objectcategory='person' AND "
                                         "MsExchMailboxGuid='*' And "
                                         "mailNickName='SystemMailbox{*' ORDER BY cn");
    const platform::SearchProperties properties{
        {QStringLiteral("Timeout"), QVariant::fromValue<qint16>(120)}};
    std::unique_ptr<platform::DirectoryRowSet> rows =
        m_environment.directoryConnection().execute(query, properties);
    QString homeServer;
    while (!rows->atEnd()) {
        const QString value =
            BasicNumbers::textOf(rows->field(QStringLiteral("msExchHomeServerName")));
        const QString name = MailboxEntry::serverName(value);
        const bool thisServer =
            name.compare(m_environment.shortComputerName, Qt::CaseInsensitive) == 0 ||
            (m_environment.runsOnClusterNode &&
             name.compare(m_environment.clusterName, Qt::CaseInsensitive) == 0);
        if (thisServer) {
            homeServer = value;
            serverName = name;
            rows->moveLast();
            break;
        }
        rows->moveNext();
    }
    rows->close();
    return homeServer;
}

// Query B: this server's mailboxes into the four lists, with the progress box shown.
// False when a newer walk superseded this one.
bool MailboxLists::listMailboxesOf(const Walk &walk, const QString &homeServer,
                                   const QString &serverName)
{
    const QString query =
        MailboxQueries::mailboxesOfServer(m_environment.globalCatalogPath, homeServer);
    const platform::SearchProperties properties{
        {QStringLiteral("searchscope"), QVariant::fromValue<qint32>(2)},
        {QStringLiteral("cache results"), true},
        {QStringLiteral("Chase Referrals"), QVariant::fromValue<qint32>(96)},
        {QStringLiteral("Page Size"), QVariant::fromValue<qint16>(100)},
        {QStringLiteral("Size Limit"), QVariant::fromValue<qint16>(SizeLimit)},
        {QStringLiteral("Timeout"), QVariant::fromValue<qint16>(120)}};
    std::unique_ptr<platform::DirectoryRowSet> rows =
        m_environment.directoryConnection().execute(query, properties);

    if (!rows->atEnd()) {
        const RegistrationProbe::MailboxRoots roots{m_environment.fullComputerName,
                                                    m_environment.httpMailboxRoot,
                                                    m_environment.fileMailboxRoot};

        m_progressCount = 0;
        progressBox.setScaleWidth(rows->rowCount());
        progressBox.setVisible(true);
        while (!rows->atEnd()) {
            advanceProgress(m_progressCount, 1, progressBox);
            m_screen.doEvents();
            if (walk.superseded()) {
                rows->close();
                return false;
            }

            const auto text = [&rows](const char *attribute) {
                return BasicNumbers::textOf(rows->field(QLatin1String(attribute)));
            };
            const QString alias = text("mailNickName");
            const QString cn = text("cn");
            const QString mail = text("mail");
            const auto probe = [&](const QString &folder) {
                const MailboxEntry::AddressParts address = MailboxEntry::splitAddress(mail);
                return RegistrationProbe::probe(
                    RegistrationProbe::attempts(roots, alias, address.localPart, address.domain),
                    folder, RegistrationProbe::ItemName, m_environment.storeConnection(),
                    m_errorLog);
            };

            if (MailboxEntry::isSystemMailboxAlias(alias)) {
                // The store-wide binding lives below the system mailbox's root, reached by
                // the same URL forms as a user's inbox.
                const bool bound = probe(RegistrationProbe::StoreWideFolder) == 1;
                (bound ? boundStoreList : unboundStoreList)
                    .addItem(MailboxEntry::text(cn, false, serverName, mail, alias));
            } else if (MailboxEntry::isAccountDisabled(BasicNumbers::longOf(
                           rows->field(QStringLiteral("userAccountControl"))))) {
                if (showDisabledCheck.value() != 0)
                    unboundMailboxList.addItem(
                        MailboxEntry::text(cn, true, serverName, mail, alias));
            } else {
                const bool bound = probe(RegistrationProbe::InboxFolder) == 1;
                (bound ? boundMailboxList : unboundMailboxList)
                    .addItem(MailboxEntry::text(cn, false, serverName, mail, alias));
            }
            rows->moveNext();
        }
        // The lists are cut where the directory stopped: say so once, for a larger server.
        if (rows->rowCount() >= SizeLimit)
            m_errorLog.add(m_environment.globalCatalogPath, SizeLimitExceeded,
                           QStringLiteral("The size limit for this request was exceeded: the "
                                          "directory returned %1 mailboxes of this server "
                                          "and stopped, so the lists may miss others")
                               .arg(SizeLimit));

        progressBox.clearDrawing();
        progressBox.setVisible(false);
        for (ListBoxModel *list :
             {&unboundStoreList, &unboundMailboxList, &boundMailboxList, &boundStoreList})
            ListAids::setHorizontalExtent(*list, m_screen);
    }
    rows->close();
    return true;
}

void MailboxLists::refreshMailboxLists()
{
    for (ListBoxModel *list :
         {&boundStoreList, &unboundStoreList, &boundMailboxList, &unboundMailboxList})
        list->clear();
    registerStoresCheck.setValue(0);
    unregisterStoresCheck.setValue(0);

    const Walk walk(*this);
    QString serverName;
    const QString homeServer = homeServerOfThisServer(serverName);
    if (!homeServer.isEmpty() && !listMailboxesOf(walk, homeServer, serverName))
        return;

    for (auto [box, list] : {std::pair{&registerStoresCheck, &unboundStoreList},
                             {&registerMailboxesCheck, &unboundMailboxList},
                             {&unregisterMailboxesCheck, &boundMailboxList},
                             {&unregisterStoresCheck, &boundStoreList}}) {
        box->setValue(0);
        box->setEnabled(list->count() > 0);
    }
}

void MailboxLists::onShowDisabledToggled()
{
    const WaitCursor wait(m_screen);
    refreshMailboxLists();
}
