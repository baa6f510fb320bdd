#include "mailboxes/folders.h"
#include "mailboxlab.h"

#include <QtTest>

using namespace mailboxtest;

namespace {

// A store whose failures a test chooses, for the paths a lab cannot produce.
class ScriptedStore : public platform::StoreConnection
{
public:
    class Record : public platform::StoreRecord
    {
    public:
        Record(QString url, QVariantMap fields, bool failClose)
            : m_url(std::move(url)), m_fields(std::move(fields)), m_failClose(failClose)
        {
        }
        QString url() const override { return m_url; }
        bool isOpen() const override { return m_open; }
        int fieldCount() const override { return int(m_fields.size()); }
        QVariant field(const QString &name) const override
        {
            if (!m_fields.contains(name))
                throw platform::PlatformError(platform::error::ItemNotFound, name);
            return m_fields.value(name);
        }
        void setField(const QString &, const QVariant &) override {}
        void update() override {}
        void close() override
        {
            m_open = false;
            if (m_failClose)
                throw platform::PlatformError(platform::error::NotOpen, QStringLiteral("close"));
        }
        void deleteRecord() override {}

    private:
        QString m_url;
        QVariantMap m_fields;
        bool m_failClose;
        bool m_open = true;
    };

    QString connectionString() const override { return m_connectionString; }
    void setConnectionString(const QString &url) override { m_connectionString = url; }
    void open(const QString &, const QString &, const QString &) override
    {
        if (failOpen)
            throw platform::PlatformError(platform::error::ObjectNotFound,
                                          QStringLiteral("no such mailbox"));
        m_open = true;
    }
    bool isOpen() const override { return m_open; }
    void close() override
    {
        m_open = false;
        if (failClose)
            throw platform::PlatformError(platform::error::NotOpen, QStringLiteral("close"));
    }
    std::unique_ptr<platform::StoreRecord> openRecord(const QString &url, platform::RecordMode,
                                                      platform::CreateOption, int) override
    {
        records.append(url);
        if (!existing.contains(url))
            throw platform::PlatformError(platform::error::ObjectNotFound, url);
        return std::make_unique<Record>(url, existing.value(url), failClose);
    }
    void beginTransaction() override {}
    void commitTransaction() override {}
    void rollbackTransaction() override {}

    bool failOpen = false;
    bool failClose = false;
    QMap<QString, QVariantMap> existing; // url -> fields
    QStringList records;

private:
    QString m_connectionString;
    bool m_open = false;
};

lab::Scenario probeScenario()
{
    lab::Scenario scenario = baseScenario();
    lab::SystemMailboxSpec bound;
    bound.storeName = QStringLiteral("Second Mailbox Store (EXCH01)");
    bound.guid = QStringLiteral("{0B9E8D7C-6A5F-4E3D-2C1B-0A9F8E7D6C5B}");
    bound.homeServer = lab::homeServerValue(QStringLiteral("EXCH01"));
    bound.storeWideBound = true;
    lab::addSystemMailbox(scenario, bound);

    lab::MailboxUser jane = user(QStringLiteral("Jane Doe"), QStringLiteral("jdoe"), QString());
    jane.bound = true;
    lab::addMailboxUser(scenario, jane);
    lab::addMailboxUser(scenario, user(QStringLiteral("Carol Chen"), QStringLiteral("cchen"),
                                       QStringLiteral("cchen@corp.example.local")));
    lab::MailboxUser hans = user(QStringLiteral("Hans Huber"), QStringLiteral("hhuber"), QString());
    hans.inboxName = QStringLiteral("Posteingang");
    hans.bound = true;
    lab::addMailboxUser(scenario, hans);
    return scenario;
}

} // namespace

// The inbox probe over a lab's store and over a store that fails where asked.
class TestFolderItemExists : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void probe_data();
    void probe();
    void storeWideFolderIsNotOpenedAsRecord();
    void emptyInboxFieldFailsAsUnopened_data();
    void emptyInboxFieldFailsAsUnopened();
    void failuresNeverEscape();
    void rootWithoutFieldsKeepsTheRootAsInbox();

private:
    std::unique_ptr<MailboxLab> m_lab;
};

void TestFolderItemExists::initTestCase()
{
    m_lab = std::make_unique<MailboxLab>(probeScenario());
}

void TestFolderItemExists::probe_data()
{
    QTest::addColumn<QString>("mailbox");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("logErrors");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("urlAfter");
    QTest::addColumn<int>("logEntries");

    const QString jdoe = FileFolderURL + QStringLiteral("/jdoe");
    const QString hans = FolderURL + QStringLiteral("/hhuber");
    const QString carol = FileFolderURL + QStringLiteral("/cchen");
    const QString nobody = FileFolderURL + QStringLiteral("/nobody");
    const QString boundStore =
        FileFolderURL + QStringLiteral("/SystemMailbox{0B9E8D7C-6A5F-4E3D-2C1B-0A9F8E7D6C5B}");
    const QString plainStore =
        FileFolderURL + QStringLiteral("/SystemMailbox{7A1C2E34-5B6D-4F70-8192-A3B4C5D6E7F8}");

    QTest::newRow("inbox") << jdoe << "inbox" << true << 1 << jdoe + "/Inbox/" + ItemName << 0;
    QTest::newRow("Inbox") << jdoe << "Inbox" << true << 1 << jdoe + "/Inbox/" + ItemName << 0;
    QTest::newRow("INBOX") << jdoe << "INBOX" << false << 1 << jdoe + "/Inbox/" + ItemName << 0;
    QTest::newRow("localised inbox")
        << hans << "inbox" << true << 1 << hans + "/Posteingang/" + ItemName << 0;
    QTest::newRow("inbox without the item, logging asked")
        << carol << "inbox" << true << 0 << carol + "/Inbox/" + ItemName << 0;
    QTest::newRow("inbox without the item, no logging")
        << carol << "inbox" << false << 0 << carol + "/Inbox/" + ItemName << 0;
    QTest::newRow("missing mailbox, logging asked")
        << nobody << "inbox" << true << -1 << nobody << 1;
    QTest::newRow("missing mailbox, no logging") << nobody << "inbox" << false << -1 << nobody << 0;
    QTest::newRow("store-wide binding present")
        << boundStore << "StoreEvents/GlobalEvents" << true << 1
        << boundStore + "/StoreEvents/GlobalEvents/" + ItemName << 0;
    QTest::newRow("store-wide binding absent")
        << plainStore << "StoreEvents/GlobalEvents" << true << 0
        << plainStore + "/StoreEvents/GlobalEvents/" + ItemName << 0;
    QTest::newRow("folder path taken as given, missing folder")
        << jdoe << "No/Such" << true << 0 << jdoe + "/No/Such/" + ItemName << 0;
    QTest::newRow("missing mailbox with a folder path")
        << nobody << "StoreEvents/GlobalEvents" << true << -1 << nobody << 1;
}

void TestFolderItemExists::probe()
{
    QFETCH(QString, mailbox);
    QFETCH(QString, folder);
    QFETCH(bool, logErrors);
    QFETCH(int, result);
    QFETCH(QString, urlAfter);
    QFETCH(int, logEntries);

    InstallForm &form = *m_lab->form;
    form.errorLog.clear();
    QString url = mailbox;
    const qint16 answer = Folders::FolderItemExists(url, folder, ItemName, logErrors,
                                                    *form.globals.StoreConnection, form.errorLog);
    QCOMPARE(int(answer), result);
    QCOMPARE(url, urlAfter);
    QVERIFY(!form.globals.StoreConnection->isOpen());
    const QString log = form.txtErr.text();
    QCOMPARE(int(log.count(QStringLiteral(" - ERROR: "))), logEntries);
    if (logEntries > 0)
        QVERIFY2(log.contains(QStringLiteral("] ") + mailbox + QStringLiteral(" - ERROR: ")),
                 qPrintable(log));
}

void TestFolderItemExists::storeWideFolderIsNotOpenedAsRecord()
{
    InstallForm &form = *m_lab->form;
    RecordingStore &store = m_lab->store();
    store.records.clear();
    const QString root =
        FileFolderURL + QStringLiteral("/SystemMailbox{0B9E8D7C-6A5F-4E3D-2C1B-0A9F8E7D6C5B}");
    QString url = root;
    QCOMPARE(Folders::FolderItemExists(url, QStringLiteral("StoreEvents/GlobalEvents"), ItemName,
                                       true, store, form.errorLog),
             qint16(1));
    QCOMPARE(store.records,
             QStringList{root + QStringLiteral("/StoreEvents/GlobalEvents/") + ItemName});
}

void TestFolderItemExists::emptyInboxFieldFailsAsUnopened_data()
{
    QTest::addColumn<QVariant>("inbox");
    QTest::newRow("null") << QVariant();
    QTest::newRow("empty text") << QVariant(QString());
}

void TestFolderItemExists::emptyInboxFieldFailsAsUnopened()
{
    QFETCH(QVariant, inbox);
    ScriptedStore store;
    const QString root = QStringLiteral("file://./backofficestorage/d/mbx/x");
    store.existing.insert(root, {{Folders::InboxProperty, inbox}, {QStringLiteral("x"), 1}});
    TextBoxModel txtErr;
    ErrorLog log(txtErr);
    QString url = root;
    QCOMPARE(Folders::FolderItemExists(url, QStringLiteral("inbox"), ItemName, true, store, log),
             qint16(-1));
    QCOMPARE(url, root);
    QCOMPARE(int(txtErr.text().count(QStringLiteral(" - ERROR: 94 "))), 1);
    QVERIFY(!store.isOpen());
}

void TestFolderItemExists::failuresNeverEscape()
{
    ScriptedStore store;
    store.failClose = true;
    const QString root = QStringLiteral("http://h/exadmin/d/mbx/x");
    const QString inbox = root + QStringLiteral("/Inbox");
    store.existing.insert(root, {{Folders::InboxProperty, inbox}});
    store.existing.insert(inbox + QLatin1Char('/') + ItemName, {});
    TextBoxModel txtErr;
    ErrorLog log(txtErr);
    QString url = root;
    qint16 answer = 0;
    try {
        answer =
            Folders::FolderItemExists(url, QStringLiteral("inbox"), ItemName, true, store, log);
    } catch (...) {
        QFAIL("a store failure escaped");
    }
    // Closing the root record after reading the inbox is inside the probe's trap: the
    // failure there leaves the mailbox unopened as far as the answer goes.
    QCOMPARE(answer, qint16(-1));
    QCOMPARE(int(txtErr.text().count(QStringLiteral(" - ERROR: "))), 1);

    store.failOpen = true;
    url = root;
    QCOMPARE(Folders::FolderItemExists(url, QStringLiteral("inbox"), ItemName, false, store, log),
             qint16(-1));
    QCOMPARE(int(txtErr.text().count(QStringLiteral(" - ERROR: "))), 1);
}

void TestFolderItemExists::rootWithoutFieldsKeepsTheRootAsInbox()
{
    ScriptedStore store;
    const QString root = QStringLiteral("http://h/exadmin/d/mbx/x");
    store.existing.insert(root, {});
    TextBoxModel txtErr;
    ErrorLog log(txtErr);
    QString url = root;
    QCOMPARE(Folders::FolderItemExists(url, QStringLiteral("inbox"), ItemName, true, store, log),
             qint16(0));
    QCOMPARE(url, root + QLatin1Char('/') + ItemName);
    QCOMPARE(store.records, (QStringList{root, root + QLatin1Char('/') + ItemName}));
    QVERIFY(txtErr.text().isEmpty());
}

QTEST_GUILESS_MAIN(TestFolderItemExists)
#include "tst_folderitemexists.moc"
