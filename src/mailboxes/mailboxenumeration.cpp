#include "mailboxes/listaids.h"
#include "mailboxes/mailboxentry.h"
#include "mailboxes/mailboxqueries.h"
#include "mailboxes/registrationprobe.h"
#include "setup/installform.h"
#include "shell/basicnumbers.h"
#include "shell/waitcursor.h"

namespace {

// The most rows the directory returns for the mailbox query, and the code it reports when a
// search stops there.
constexpr qint16 SizeLimit = 30000;
constexpr qint32 SizeLimitExceeded = static_cast<qint32>(0x80072023u);

// A walk that lets events through between rows. While it lives it keeps the connections
// from being released; it is superseded once a newer walk has started or the window has
// unloaded, and must then leave the lists alone.
class ListWalk
{
public:
    explicit ListWalk(InstallForm &form) : m_form(form), m_number(++form.newestListWalk)
    {
        ++m_form.runningWalks;
    }
    ~ListWalk()
    {
        if (--m_form.runningWalks == 0 && m_form.unloaded)
            m_form.releaseConnections();
    }
    ListWalk(const ListWalk &) = delete;
    ListWalk &operator=(const ListWalk &) = delete;

    bool superseded() const { return m_form.newestListWalk != m_number; }

private:
    InstallForm &m_form;
    quint64 m_number;
};

// Query A: the home-server value that names this server (or, on a cluster node, its
// virtual server), and that name as the directory writes it; "" when none does.
QString homeServerOfThisServer(InstallForm &form, QString &serverName)
{
    const QString query = QStringLiteral("SELECT msExchHomeServerName FROM '") +
                          form.globals.globalCatalogPath +
                          QStringLiteral("' WHERE objectcategory='person' AND "
                                         "MsExchMailboxGuid='*' And "
                                         "mailNickName='SystemMailbox{*' ORDER BY cn");
    const platform::SearchProperties properties{
        {QStringLiteral("Timeout"), QVariant::fromValue<qint16>(120)}};
    std::unique_ptr<platform::DirectoryRowSet> rows =
        form.directoryConnection().execute(query, properties);
    QString homeServer;
    while (!rows->atEnd()) {
        const QString value =
            BasicNumbers::textOf(rows->field(QStringLiteral("msExchHomeServerName")));
        const QString name = MailboxEntry::serverName(value);
        const bool thisServer =
            name.compare(form.shortComputerName, Qt::CaseInsensitive) == 0 ||
            (form.runsOnClusterNode && name.compare(form.clusterName, Qt::CaseInsensitive) == 0);
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
bool listMailboxesOf(InstallForm &form, const ListWalk &walk, const QString &homeServer,
                     const QString &serverName)
{
    const QString query =
        MailboxQueries::mailboxesOfServer(form.globals.globalCatalogPath, homeServer);
    const platform::SearchProperties properties{
        {QStringLiteral("searchscope"), QVariant::fromValue<qint32>(2)},
        {QStringLiteral("cache results"), true},
        {QStringLiteral("Chase Referrals"), QVariant::fromValue<qint32>(96)},
        {QStringLiteral("Page Size"), QVariant::fromValue<qint16>(100)},
        {QStringLiteral("Size Limit"), QVariant::fromValue<qint16>(SizeLimit)},
        {QStringLiteral("Timeout"), QVariant::fromValue<qint16>(120)}};
    std::unique_ptr<platform::DirectoryRowSet> rows =
        form.directoryConnection().execute(query, properties);

    if (!rows->atEnd()) {
        const RegistrationProbe::MailboxRoots roots{form.fullComputerName, form.httpMailboxRoot,
                                                    form.fileMailboxRoot};
        const QString itemName = InstallForm::registrationItemName();

        form.globals.progressCount = 0;
        form.progressBox.setScaleWidth(rows->rowCount());
        form.progressBox.setVisible(true);
        while (!rows->atEnd()) {
            qint32 step = 1;
            form.advanceProgress(step, form.progressBox);
            form.screen().doEvents();
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
                    folder, itemName, form.storeConnection(), form.errorLog);
            };

            if (MailboxEntry::isSystemMailboxAlias(alias)) {
                // The store-wide binding lives below the system mailbox's root, reached by
                // the same URL forms as a user's inbox.
                const bool bound = probe(RegistrationProbe::StoreWideFolder) == 1;
                (bound ? form.boundStoreList : form.unboundStoreList)
                    .addItem(MailboxEntry::text(cn, false, serverName, mail, alias));
            } else if (MailboxEntry::isAccountDisabled(BasicNumbers::longOf(
                           rows->field(QStringLiteral("userAccountControl"))))) {
                if (form.showDisabledCheck.value() != 0)
                    form.unboundMailboxList.addItem(
                        MailboxEntry::text(cn, true, serverName, mail, alias));
            } else {
                const bool bound = probe(RegistrationProbe::InboxFolder) == 1;
                (bound ? form.boundMailboxList : form.unboundMailboxList)
                    .addItem(MailboxEntry::text(cn, false, serverName, mail, alias));
            }
            rows->moveNext();
        }
        // The lists are cut where the directory stopped: say so once, for a larger server.
        if (rows->rowCount() >= SizeLimit)
            form.errorLog.add(form.globals.globalCatalogPath, SizeLimitExceeded,
                              QStringLiteral("The size limit for this request was exceeded: the "
                                             "directory returned %1 mailboxes of this server "
                                             "and stopped, so the lists may miss others")
                                  .arg(SizeLimit));

        form.progressBox.clearDrawing();
        form.progressBox.setVisible(false);
        for (ListBoxModel *list : {&form.unboundStoreList, &form.unboundMailboxList,
                                   &form.boundMailboxList, &form.boundStoreList})
            ListAids::setHorizontalExtent(*list, form.screen());
    }
    rows->close();
    return true;
}

} // namespace

void InstallForm::refreshMailboxLists()
{
    for (ListBoxModel *list :
         {&boundStoreList, &unboundStoreList, &boundMailboxList, &unboundMailboxList})
        list->clear();
    registerStoresCheck.setValue(0);
    unregisterStoresCheck.setValue(0);

    const ListWalk walk(*this);
    QString serverName;
    const QString homeServer = homeServerOfThisServer(*this, serverName);
    if (!homeServer.isEmpty() && !listMailboxesOf(*this, walk, homeServer, serverName))
        return;

    for (auto [box, list] : {std::pair{&registerStoresCheck, &unboundStoreList},
                             {&registerMailboxesCheck, &unboundMailboxList},
                             {&unregisterMailboxesCheck, &boundMailboxList},
                             {&unregisterStoresCheck, &boundStoreList}}) {
        box->setValue(0);
        box->setEnabled(list->count() > 0);
    }
}

void InstallForm::onShowDisabledToggled()
{
    const WaitCursor wait(screen());
    refreshMailboxLists();
}
