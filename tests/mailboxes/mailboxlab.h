#pragma once

#include "platform/lab/labfile.h"
#include "platform/platformerror.h"
#include "shell/installform.h"
#include "shell/recordingscreen.h"

#include <functional>
#include <memory>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

// Test helpers of the mailbox directory: a small lab built in a temporary folder, with an
// InstallForm on it that holds the shared state start-up would have set.

namespace mailboxtest {

inline const QString Domain = QStringLiteral("corp.example.local");
inline const QString FolderURL =
    QStringLiteral("http://exch01.corp.example.local/exadmin/") + Domain + QStringLiteral("/mbx");
inline const QString FileFolderURL =
    QStringLiteral("file://./backofficestorage/") + Domain + QStringLiteral("/mbx");
inline const QString ItemName = QStringLiteral("Kestrelon.reg");

// Remembers every URL the probe opens, then lets the lab's store answer.
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
                                                      platform::CreateOption createOption,
                                                      int options) override
    {
        records.append(url);
        return m_inner->openRecord(url, mode, createOption, options);
    }
    void beginTransaction() override { m_inner->beginTransaction(); }
    void commitTransaction() override { m_inner->commitTransaction(); }
    void rollbackTransaction() override { m_inner->rollbackTransaction(); }

    QStringList opened;  // connections, by mailbox URL
    QStringList records; // records, by URL

private:
    std::unique_ptr<platform::StoreConnection> m_inner;
};

// An answer without rows.
class EmptyRowSet : public platform::DirectoryRowSet
{
public:
    bool atEnd() const override { return true; }
    int rowCount() const override { return 0; }
    QVariant field(const QString &) const override
    {
        throw platform::PlatformError(platform::error::NotOpen, QStringLiteral("at end"));
    }
    void moveNext() override {}
    void moveLast() override {}
    void close() override {}
};

// A directory that answers its first queries from the lab, then fails or answers nothing.
class ScriptedDirectory : public platform::DirectoryConnection
{
public:
    enum class Then { Fail, AnswerNothing };

    ScriptedDirectory(std::unique_ptr<platform::DirectoryConnection> inner, int answered, Then then)
        : m_inner(std::move(inner)), m_answered(answered), m_then(then)
    {
    }

    void open(const QString &connectionString, const QString &user,
              const QString &password) override
    {
        m_inner->open(connectionString, user, password);
    }
    bool isOpen() const override { return m_inner->isOpen(); }
    void close() override { m_inner->close(); }
    std::unique_ptr<platform::DirectoryRowSet>
    execute(const QString &commandText, const platform::SearchProperties &properties) override
    {
        queries.append(commandText);
        if (queries.size() <= m_answered)
            return m_inner->execute(commandText, properties);
        if (m_then == Then::AnswerNothing)
            return std::make_unique<EmptyRowSet>();
        throw platform::PlatformError(platform::error::ServerUnreachable,
                                      QStringLiteral("The server is not operational."));
    }

    QStringList queries;

private:
    std::unique_ptr<platform::DirectoryConnection> m_inner;
    int m_answered;
    Then m_then;
};

// Lets a test look at the window's model each time the walk lets events through.
class WatchingScreen : public RecordingScreen
{
public:
    void doEvents() override
    {
        RecordingScreen::doEvents();
        if (onEvents)
            onEvents();
    }

    std::function<void()> onEvents;
};

// A scenario with this server's mailbox store and nothing else; tests add their users.
inline lab::Scenario baseScenario()
{
    lab::Scenario scenario;
    lab::SystemMailboxSpec store;
    store.storeName = QStringLiteral("Mailbox Store (EXCH01)");
    store.guid = QStringLiteral("{7A1C2E34-5B6D-4F70-8192-A3B4C5D6E7F8}");
    store.homeServer = lab::homeServerValue(QStringLiteral("EXCH01"));
    lab::addSystemMailbox(scenario, store);
    return scenario;
}

inline lab::MailboxUser user(const QString &cn, const QString &alias, const QString &mail)
{
    lab::MailboxUser u;
    u.cn = cn;
    u.alias = alias;
    u.mail = mail;
    u.homeServer = lab::homeServerValue(QStringLiteral("EXCH01"));
    return u;
}

// Sets the shared state as start-up does on EXCH01 in corp.example.local.
inline void prepareSharedState(InstallForm &form)
{
    form.ShortComputerName = QStringLiteral("exch01");
    form.DomainDNSName = Domain;
    form.ComputerName = QStringLiteral("exch01.") + Domain;
    form.FolderURL = FolderURL;
    form.FileFolderURL = FileFolderURL;
    form.globals.GCPath = QStringLiteral("GC://dc01.") + Domain;
    form.globals.DirectoryConnection = form.platform().createDirectoryConnection();
    form.globals.DirectoryConnection->open(QStringLiteral("Active Directory Provider"), QString(),
                                           QString());
    form.globals.StoreConnection =
        std::make_unique<RecordingStore>(form.platform().createStoreConnection());
}

// A lab file of its own and the main window's model on it.
class MailboxLab
{
public:
    // With a screen of its own, or with the given one (a QtScreen for the real window).
    explicit MailboxLab(const lab::Scenario &scenario, Screen *windowScreen = nullptr)
    {
        QVERIFY(m_dir.isValid());
        path = m_dir.filePath(QStringLiteral("lab.sqlite"));
        lab::createLab(path, scenario);
        platform = lab::openLab(path);
        form = std::make_unique<InstallForm>(*platform, windowScreen ? *windowScreen : screen);
        prepareSharedState(*form);
    }

    RecordingStore &store()
    {
        return static_cast<RecordingStore &>(*form->globals.StoreConnection);
    }

    // Puts a scripted directory in front of the lab's; the form owns it.
    ScriptedDirectory &scriptDirectory(int answered, ScriptedDirectory::Then then)
    {
        auto scripted = std::make_unique<ScriptedDirectory>(
            std::move(form->globals.DirectoryConnection), answered, then);
        ScriptedDirectory &directory = *scripted;
        form->globals.DirectoryConnection = std::move(scripted);
        return directory;
    }

    QString path;
    WatchingScreen screen;
    std::unique_ptr<platform::Platform> platform;
    std::unique_ptr<InstallForm> form;

private:
    QTemporaryDir m_dir;
};

} // namespace mailboxtest
