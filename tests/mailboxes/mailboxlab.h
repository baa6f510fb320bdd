#pragma once

#include "platform/platformerror.h"
#include "support/labfixture.h"

#include <memory>
#include <QStringList>

// The mailbox directory's tests: a small lab built in a temporary folder, with the state
// start-up would have set on EXCH01.

namespace mailboxtest {

inline const QString Domain = QStringLiteral("corp.example.local");
inline const QString HttpMailboxRoot = QStringLiteral("http://exch01.") + Domain +
                                       QStringLiteral("/exadmin/") + Domain +
                                       QStringLiteral("/mbx");
inline const QString FileMailboxRoot =
    QStringLiteral("file://./backofficestorage/") + Domain + QStringLiteral("/mbx");
inline const QString Exch01 = lab::homeServerValue(QStringLiteral("EXCH01"));
inline const QString StoreAlias =
    QStringLiteral("SystemMailbox{7A1C2E34-5B6D-4F70-8192-A3B4C5D6E7F8}");
inline const QString BoundStoreAlias =
    QStringLiteral("SystemMailbox{0B9E8D7C-6A5F-4E3D-2C1B-0A9F8E7D6C5B}");

// Remembers every mailbox URL the probe connects to.
class RecordingStore : public platform::StoreConnection
{
public:
    explicit RecordingStore(std::unique_ptr<platform::StoreConnection> inner)
        : m_inner(std::move(inner))
    {
    }

    QString connectionString() const override { return m_inner->connectionString(); }
    void setConnectionString(const QString &url) override { m_inner->setConnectionString(url); }
    void open(const QString &url, const QString &user, const QString &password) override
    {
        opened.append(url);
        m_inner->open(url, user, password);
    }
    bool isOpen() const override { return m_inner->isOpen(); }
    void close() override { m_inner->close(); }
    std::unique_ptr<platform::StoreRecord> openRecord(const QString &url, platform::RecordMode mode,
                                                      platform::CreateOption create,
                                                      int options) override
    {
        return m_inner->openRecord(url, mode, create, options);
    }
    void beginTransaction() override { m_inner->beginTransaction(); }
    void commitTransaction() override { m_inner->commitTransaction(); }
    void rollbackTransaction() override { m_inner->rollbackTransaction(); }

    QStringList opened;

private:
    std::unique_ptr<platform::StoreConnection> m_inner;
};

// Remembers every query with its search properties; from query number `failFrom` on (1
// for the first) it fails, or with `answerNothing` it asks for a home server none has.
class RecordingDirectory : public platform::DirectoryConnection
{
public:
    explicit RecordingDirectory(std::unique_ptr<platform::DirectoryConnection> inner)
        : m_inner(std::move(inner))
    {
    }

    void open(const QString &source, const QString &user, const QString &password) override
    {
        m_inner->open(source, user, password);
    }
    bool isOpen() const override { return m_inner->isOpen(); }
    void close() override { m_inner->close(); }
    std::unique_ptr<platform::DirectoryRowSet>
    execute(const QString &text, const platform::SearchProperties &properties) override
    {
        queries.append({text, properties});
        if (failFrom > 0 && queries.size() >= failFrom && !answerNothing)
            throw platform::PlatformError(platform::error::ServerUnreachable, "not operational");
        if (failFrom > 0 && queries.size() >= failFrom)
            return m_inner->execute(QString(text).replace(Exch01, "/o=None"), properties);
        return m_inner->execute(text, properties);
    }

    QList<QPair<QString, platform::SearchProperties>> queries;
    int failFrom = 0;
    bool answerNothing = false;

private:
    std::unique_ptr<platform::DirectoryConnection> m_inner;
};

// A user of EXCH01 with the traits named, blank-separated: "bound", "disabled",
// "unreachable" (no mailbox answers), "http-only", "local-part" (the mailbox answers only to
// the address's local part), "localised" (inbox "Posteingang"), "elsewhere" (on EXCH02).
inline lab::MailboxUser person(const QString &cn, const QString &alias, const QString &mail,
                               const QString &traits = QString())
{
    const QStringList t = traits.split(QLatin1Char(' '));
    lab::MailboxUser user;
    user.cn = cn;
    user.alias = alias;
    user.mail = mail;
    user.homeServer = t.contains("elsewhere") ? lab::homeServerValue("EXCH02") : Exch01;
    user.disabled = t.contains("disabled");
    user.bound = t.contains("bound");
    user.hasMailbox = !t.contains("unreachable");
    user.fileForm = !t.contains("http-only");
    if (t.contains("local-part"))
        user.storeNames = {mail.section(QLatin1Char('@'), 0, 0)};
    if (t.contains("localised"))
        user.inboxName = QStringLiteral("Posteingang");
    return user;
}

inline lab::SystemMailboxSpec systemMailbox(const QString &storeName, const QString &alias,
                                            const QString &homeServer = Exch01)
{
    lab::SystemMailboxSpec result;
    result.storeName = storeName;
    result.guid = alias.mid(13);
    result.homeServer = homeServer;
    return result;
}

// This server's mailbox store, unbound, and nothing else; tests add their users.
inline lab::Scenario baseScenario()
{
    lab::Scenario scenario;
    lab::addSystemMailbox(scenario, systemMailbox("Mailbox Store (EXCH01)", StoreAlias));
    return scenario;
}

// Every kind of mailbox: a second store of this server, bound store-wide and addressed at a
// domain the store does not know; another server's store and user; users bound, unbound,
// disabled and bound, and with a localised inbox.
inline lab::Scenario mixedScenario()
{
    lab::Scenario scenario = baseScenario();
    lab::SystemMailboxSpec boundStore =
        systemMailbox("Second Mailbox Store (EXCH01)", BoundStoreAlias);
    boundStore.storeWideBound = true;
    boundStore.mail = BoundStoreAlias + "@nowhere.test";
    lab::addSystemMailbox(scenario, boundStore);
    lab::SystemMailboxSpec otherServer =
        systemMailbox("Mailbox Store (EXCH02)", "SystemMailbox{11111111-2222-3333-4444-5555}",
                      lab::homeServerValue("EXCH02"));
    otherServer.hasMailbox = false;
    lab::addSystemMailbox(scenario, otherServer);
    for (const lab::MailboxUser &user :
         {person("Jane Doe", "jdoe", "", "bound"), person("Carol Chen", "cchen", "cchen@" + Domain),
          person("Dave Dunn", "ddunn", "ddunn@" + Domain, "disabled bound"),
          person("Hans Huber", "hhuber", "", "bound localised"),
          person("Oscar Olsen", "oolsen", "", "unreachable elsewhere")})
        lab::addMailboxUser(scenario, user);
    return scenario;
}

// Each list's aliases, "|" between lists: unbound stores, bound stores, unbound mailboxes,
// bound mailboxes. System mailboxes show as "S" and the GUID's first digit, no alias as "-".
inline QString listAliases(const MailboxLists &lists)
{
    QStringList out;
    for (const ListBoxModel *list : {&lists.unboundStoreList, &lists.boundStoreList,
                                     &lists.unboundMailboxList, &lists.boundMailboxList}) {
        QStringList aliases;
        for (const QString &entry : list->entries()) {
            const QString alias = entry.section(QStringLiteral(" / "), -1);
            aliases << (alias.startsWith(QLatin1String("SystemMailbox"))
                            ? QStringLiteral("S") + alias.mid(14, 1)
                        : alias.isEmpty() ? QStringLiteral("-")
                                          : alias);
        }
        out << aliases.join(QLatin1Char(','));
    }
    return out.join(QLatin1Char('|'));
}

// Sets what start-up would have found on EXCH01, and connections that record what they are
// asked.
inline void prepareExch01(ProgramEnvironment &environment, platform::Platform &platform)
{
    environment.shortComputerName = QStringLiteral("exch01");
    environment.fullComputerName = QStringLiteral("exch01.") + Domain;
    environment.httpMailboxRoot = HttpMailboxRoot;
    environment.fileMailboxRoot = FileMailboxRoot;
    environment.globalCatalogPath = QStringLiteral("GC://dc01.") + Domain;
    auto directory = std::make_unique<RecordingDirectory>(platform.createDirectoryConnection());
    directory->open(QStringLiteral("Active Directory Provider"), QString(), QString());
    environment.useConnections(std::move(directory),
                               std::make_unique<RecordingStore>(platform.createStoreConnection()));
}

inline RecordingStore &recordingStore(const ProgramEnvironment &environment)
{
    return static_cast<RecordingStore &>(*environment.existingStoreConnection());
}

inline RecordingDirectory &recordingDirectory(const ProgramEnvironment &environment)
{
    return static_cast<RecordingDirectory &>(*environment.existingDirectoryConnection());
}

inline int entryCount(const MailboxLists &lists)
{
    return lists.unboundStoreList.count() + lists.boundStoreList.count() +
           lists.unboundMailboxList.count() + lists.boundMailboxList.count();
}

// The mailbox lists alone on a lab prepared as EXCH01.
class MailboxLab : public EnvironmentLab<>
{
public:
    explicit MailboxLab(const lab::Scenario &scenario) : EnvironmentLab(scenario)
    {
        prepareExch01(environment, *platform);
    }

    RecordingStore &store() { return recordingStore(environment); }
    RecordingDirectory &directory() { return recordingDirectory(environment); }
    int entryCount() const { return mailboxtest::entryCount(lists); }

    MailboxLists lists{environment, screen, errorLog};
};

// The whole window model on a lab prepared as EXCH01, for the apply's and the window's tests.
template<typename ScreenType = RecordingScreen> class WindowLab : public LabFixture<ScreenType>
{
public:
    explicit WindowLab(const lab::Scenario &scenario) : LabFixture<ScreenType>(scenario)
    {
        prepareExch01(this->form.environment, *this->platform);
    }
};

} // namespace mailboxtest
