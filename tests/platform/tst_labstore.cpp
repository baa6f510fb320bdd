#include "labhelpers.h"

#include <QDateTime>
#include <QTest>

using platform::CreateOption;
using platform::RecordMode;
using Connection = std::unique_ptr<platform::StoreConnection>;

namespace {

lab::Mailbox mailbox(const QString &name, bool fileForm = true, bool httpForm = true)
{
    lab::Mailbox box;
    box.names = {name};
    box.fileForm = fileForm;
    box.httpForm = httpForm;
    return box;
}

lab::Scenario storeScenario()
{
    lab::Scenario s;
    s.machine.storeDomainFolders = {"corp.example.local", "example.com"};
    s.machine.storeHosts = {"exch01.corp.example.local"};
    lab::Mailbox both = mailbox("jdoe");
    both.names.append("jane.doe");
    both.folders = {{"Inbox", {lab::registrationItem("SHALLOW")}},
                    {"Archive/2024", {{"old.eml", {{"a", "b"}}}}}};
    lab::Mailbox german = mailbox("hhuber");
    german.inboxName = QStringLiteral("Posteingang");
    lab::Mailbox locked = mailbox("locked");
    locked.writable = false;
    locked.folders = {{"Inbox", {lab::registrationItem("SHALLOW")}}};
    s.mailboxes = {both, mailbox("fonly", true, false), mailbox("honly", false, true), german,
                   locked};
    return s;
}

const QString registration = fileRoot + "jdoe/Inbox/Kestrelon.reg";

std::unique_ptr<platform::StoreRecord> read(platform::StoreConnection &c, const QString &url)
{
    return c.openRecord(url, RecordMode::Read, CreateOption::FailIfNotExists, -1);
}

std::unique_ptr<platform::StoreRecord> overwrite(platform::StoreConnection &c, const QString &url)
{
    return c.openRecord(url, RecordMode::ReadWrite, CreateOption::Overwrite, 32768);
}

} // namespace

class TestLabStore : public QObject
{
    Q_OBJECT

    // A store connection on a mailbox's file-form root; through a second opening of the lab
    // file when given one, so nothing it reads comes from this opening's memory.
    Connection connect(const QString &mailbox, platform::Platform *other = nullptr)
    {
        Connection c = (other ? other : m_lab->platform.get())->createStoreConnection();
        c->open(fileRoot + mailbox, QString(), QString());
        return c;
    }

private slots:
    void init() { m_lab = std::make_unique<TestLab>(storeScenario()); }
    void cleanup() { m_lab.reset(); }

    void openUrl_data()
    {
        // error: 0 opens; 1 any refusal naming the URL (it does not parse).
        QTest::addColumn<QString>("url");
        QTest::addColumn<qint32>("error");
        const qint32 missing = platform::error::ObjectNotFound;
        const auto row = [](const char *name, const QString &url, qint32 error) {
            QTest::newRow(name) << url << error;
        };
        const QString file = "file://./backofficestorage/";
        const QString http = "http://exch01.corp.example.local/";
        row("file form", fileRoot + "jdoe", 0);
        row("http form", httpRoot + "jdoe", 0);
        row("second name", fileRoot + "jane.doe", 0);
        row("name ignores case", httpRoot + "JDOE", 0);
        row("host ignores case",
            "http://EXCH01.Corp.Example.Local/exadmin/corp.example.local/mbx/jdoe", 0);
        row("other domain folder", file + "example.com/mbx/jdoe", 0);
        row("trailing slash", fileRoot + "jdoe/", 0);
        row("file-only by file", fileRoot + "fonly", 0);
        row("file-only by http", httpRoot + "fonly", missing);
        row("http-only by http", httpRoot + "honly", 0);
        row("http-only by file", fileRoot + "honly", missing);
        row("unknown mailbox", fileRoot + "nobody", missing);
        row("unknown domain folder", file + "other.local/mbx/jdoe", missing);
        row("unknown host", QString(httpRoot).replace("exch01", "exch02") + "jdoe", missing);
        row("empty path", file, 1);
        row("no mbx", file + "corp.example.local/jdoe", 1);
        row("ftp", "ftp://exch01/exadmin/corp.example.local/mbx/jdoe", 1);
        row("no exadmin", http + "public/corp.example.local/mbx/jdoe", 1);
        row("double slash", fileRoot + "/jdoe", 1);
        row("plain word", "jdoe", 1);
    }

    void openUrl()
    {
        QFETCH(QString, url);
        QFETCH(qint32, error);
        auto connection = m_lab->platform->createStoreConnection();
        const platform::PlatformError e =
            failureOf([&] { connection->open(url, QString(), QString()); });
        QCOMPARE(connection->isOpen(), error == 0);
        if (error == 0)
            QVERIFY2(e.number == 0, qPrintable(e.description));
        else if (error == 1)
            QVERIFY(e.number != 0);
        else
            QCOMPARE(e.number, error);
        QCOMPARE(e.description.contains(url), error != 0);
    }

    void openUsesConnectionString()
    {
        auto connection = m_lab->platform->createStoreConnection();
        connection->setConnectionString(httpRoot + "jdoe");
        connection->open(QString(), QString(), QString());
        QVERIFY(connection->isOpen());
        QCOMPARE(connection->connectionString(), httpRoot + "jdoe");
        connection->close();
        QVERIFY(!connection->isOpen());
        QCOMPARE(errorOf([&] { read(*connection, fileRoot + "jdoe"); }), platform::error::NotOpen);
    }

    void inboxField()
    {
        // The inbox URL is the root as given, with the mailbox's own inbox name.
        for (const auto &[root, inbox] : {std::pair{fileRoot + "jdoe", fileRoot + "jdoe/Inbox"},
                                          {httpRoot + "JDoe", httpRoot + "JDoe/Inbox"},
                                          {fileRoot + "hhuber", fileRoot + "hhuber/Posteingang"}}) {
            auto connection = m_lab->platform->createStoreConnection();
            connection->open(root, QString(), QString());
            auto record = read(*connection, root);
            QVERIFY(record->fieldCount() >= 1);
            QCOMPARE(record->field("urn:schemas:httpmail:inbox").toString(), inbox);
            QVERIFY(read(*connection, inbox)->isOpen());
        }
    }

    void failIfMissing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("exists");
        const auto row = [](const char *name, const QString &path, bool exists) {
            QTest::newRow(name) << path << exists;
        };
        row("item", "jdoe/Inbox/Kestrelon.reg", true);
        row("names ignore case", "jdoe/INBOX/kestrelon.REG", true);
        row("nested folder", "jdoe/Archive/2024", true);
        row("intermediate folder", "jdoe/Archive", true);
        row("item in nested folder", "jdoe/archive/2024/old.eml", true);
        row("missing item", "jdoe/Inbox/Other.reg", false);
        row("missing folder", "jdoe/Outbox/Kestrelon.reg", false);
        row("missing nested folder", "jdoe/Archive/2025/old.eml", false);
        row("same mailbox by its other name", "jane.doe/Inbox", true);
        row("another mailbox", "hhuber", false);
    }

    void failIfMissing()
    {
        QFETCH(QString, path);
        QFETCH(bool, exists);
        auto connection = connect("jdoe");
        QCOMPARE(errorOf([&] { read(*connection, fileRoot + path); }),
                 exists ? 0 : platform::error::ObjectNotFound);
    }

    void registrationItemProperties()
    {
        auto connection = m_lab->platform->createStoreConnection();
        connection->open(httpRoot + "jdoe", QString(), QString());
        auto item = read(*connection, httpRoot + "jdoe/Inbox/Kestrelon.reg");
        QCOMPARE(item->fieldCount(), 7);
        QCOMPARE(item->field("DAV:contentclass").toString(),
                 QStringLiteral("urn:content-class:storeeventreg"));
        QCOMPARE(item->field("http://schemas.microsoft.com/exchange/events/MatchScope").toString(),
                 QStringLiteral("SHALLOW"));
        QCOMPARE(item->field("DAV:ishidden"), QVariant(true));
        QCOMPARE(errorOf([&] { item->field("dav:ishidden"); }), platform::error::ItemNotFound);
    }

    void typedRoundTrip_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::newRow("string") << QVariant(QStringLiteral(" WHERE \"DAV:ishidden\" = FALSE"));
        QTest::newRow("empty string") << QVariant(QString());
        QTest::newRow("bool true") << QVariant(true);
        QTest::newRow("bool false") << QVariant(false);
        QTest::newRow("int") << QVariant(int(-7));
        QTest::newRow("int64") << QVariant(qint64(1) << 40);
        QTest::newRow("double") << QVariant(2.5);
        QTest::newRow("datetime") << QVariant(
            QDateTime(QDate(2026, 12, 5), QTime(18, 1, 2, 345), Qt::UTC));
    }

    void typedRoundTrip()
    {
        QFETCH(QVariant, value);
        const QString url = fileRoot + "jdoe/Inbox/typed.eml";
        {
            auto connection = connect("jdoe");
            auto record = overwrite(*connection, url);
            record->setField(QStringLiteral("p"), value);
            record->update();
        }
        auto reopened = lab::openLab(m_lab->path());
        const QVariant back = read(*connect("jdoe", reopened.get()), url)->field("p");
        QCOMPARE(back.typeId(), value.typeId());
        QCOMPARE(back, value.typeId() == QMetaType::QString ? QVariant(value.toString()) : value);
    }

    void overwriteReplaces()
    {
        auto connection = connect("jdoe");
        // Opened for overwrite but never updated: the item stays as it was.
        overwrite(*connection, registration)->close();
        QCOMPARE(read(*connection, registration)->fieldCount(), 7);

        auto record = overwrite(*connection, registration);
        QCOMPARE(record->fieldCount(), 0);
        QCOMPARE(errorOf([&] { record->setField("list", QStringList{"a"}); }),
                 platform::error::InvalidArgument);
        record->setField(QStringLiteral("only"), QStringLiteral("new"));
        record->update();
        record->close();
        auto back = read(*connection, registration);
        QCOMPARE(back->fieldCount(), 1);
        QCOMPARE(back->field("only").toString(), QStringLiteral("new"));
        QCOMPARE(errorOf([&] { back->field("DAV:contentclass"); }), platform::error::ItemNotFound);

        QCOMPARE(errorOf([&] { overwrite(*connection, fileRoot + "jdoe/Nowhere/new.reg"); }),
                 platform::error::ObjectNotFound);
    }

    void deleteRecord()
    {
        auto connection = connect("jdoe");
        QVERIFY(errorOf([&] { read(*connection, registration)->deleteRecord(); }) != 0);
        QCOMPARE(errorOf([&] { read(*connection, registration); }), 0);
        connection
            ->openRecord(registration, RecordMode::ReadWrite, CreateOption::FailIfNotExists, -1)
            ->deleteRecord();
        QCOMPARE(errorOf([&] { read(*connection, registration); }),
                 platform::error::ObjectNotFound);
        auto other = lab::openLab(m_lab->path());
        QCOMPARE(errorOf([&] { read(*connect("jdoe", other.get()), registration); }),
                 platform::error::ObjectNotFound);
    }

    void transaction_data()
    {
        QTest::addColumn<int>("ending");
        QTest::newRow("explicit rollback") << 0;
        QTest::newRow("close rolls back") << 1;
        QTest::newRow("destruction rolls back") << 2;
        QTest::newRow("commit") << 3;
    }

    void transaction()
    {
        QFETCH(int, ending);
        const QString added = fileRoot + "jdoe/Inbox/added";
        {
            auto connection = connect("jdoe");
            connection->beginTransaction();
            auto record = overwrite(*connection, registration);
            record->setField(QStringLiteral("x"), true);
            record->update();
            overwrite(*connection, added)->update();
            if (ending == 0)
                connection->rollbackTransaction();
            else if (ending == 1)
                connection->close();
            else if (ending == 3)
                connection->commitTransaction();
        }
        // Read on the same file connection, which would see a transaction left running; a
        // commit is read through a second opening too, so it is on disk.
        auto other = lab::openLab(m_lab->path());
        for (platform::Platform *p : {m_lab->platform.get(), other.get()}) {
            auto connection = connect("jdoe", p);
            auto record = read(*connection, registration);
            QCOMPARE(record->fieldCount(), ending == 3 ? 1 : 7);
            if (ending == 3)
                QCOMPARE(record->field("x"), QVariant(true));
            QCOMPARE(errorOf([&] { read(*connection, added); }),
                     ending == 3 ? 0 : platform::error::ObjectNotFound);
        }
    }

    void failingWriteLeavesStore()
    {
        const QString url = fileRoot + "locked/Inbox/Kestrelon.reg";
        const QByteArray before = readAll(m_lab->path());
        auto connection = connect("locked");
        connection->beginTransaction();
        auto record = overwrite(*connection, url);
        record->setField(QStringLiteral("DAV:contentclass"), QStringLiteral("changed"));
        QCOMPARE(errorOf([&] { record->update(); }), platform::error::AccessDenied);
        auto existing =
            connection->openRecord(url, RecordMode::ReadWrite, CreateOption::FailIfNotExists, -1);
        QCOMPARE(errorOf([&] { existing->deleteRecord(); }), platform::error::AccessDenied);
        connection->close();
        QCOMPARE(readAll(m_lab->path()), before);
        connection->open(fileRoot + "locked", QString(), QString());
        QCOMPARE(read(*connection, url)->field("DAV:contentclass").toString(),
                 QStringLiteral("urn:content-class:storeeventreg"));
    }

    void changesOfAnotherProgramAreSeen()
    {
        const QString url = fileRoot + "fonly/Inbox/fresh";
        auto connection = connect("fonly");
        QVERIFY(errorOf([&] { read(*connection, url); }) != 0);
        connection->close();
        {
            auto other = lab::openLab(m_lab->path());
            overwrite(*connect("fonly", other.get()), url)->update();
        }
        connection->open(fileRoot + "fonly", QString(), QString());
        QCOMPARE(errorOf([&] { read(*connection, url); }), 0);
    }

private:
    std::unique_ptr<TestLab> m_lab;
};

QTEST_GUILESS_MAIN(TestLabStore)
#include "tst_labstore.moc"
