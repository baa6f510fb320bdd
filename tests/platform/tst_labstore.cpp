#include "support/labfixture.h"

#include <QTest>

using platform::CreateOption;
using platform::RecordMode;
using Connection = std::unique_ptr<platform::StoreConnection>;

namespace {

const QString fileRoot = QStringLiteral("file://./backofficestorage/corp.example.local/mbx/");
const QString httpRoot =
    QStringLiteral("http://exch01.corp.example.local/exadmin/corp.example.local/mbx/");

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
    lab::Mailbox both = mailbox("jdoe");
    both.folders = {{"Inbox", {lab::registrationItem("SHALLOW")}}};
    lab::Mailbox german = mailbox("hhuber");
    german.inboxName = QStringLiteral("Posteingang");
    lab::Mailbox locked = mailbox("locked");
    locked.writable = false;
    locked.folders = {{"Inbox", {lab::registrationItem("SHALLOW")}}};
    s.mailboxes = {both, mailbox("fonly", true, false), german, locked};
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
        row("file-only by http", httpRoot + "fonly", missing);
        row("unknown domain folder", file + "other.local/mbx/jdoe", missing);
        row("empty path", file, 1);
        // A first folder as long as "exadmin": only its name tells it is no store root.
        row("no exadmin", http + "mailbox/corp.example.local/mbx/jdoe", 1);
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

    void transaction_data()
    {
        QTest::addColumn<int>("ending");
        QTest::newRow("close rolls back") << 1;
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
            if (ending == 1)
                connection->close();
            else
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

private:
    std::unique_ptr<TestLab> m_lab;
};

QTEST_GUILESS_MAIN(TestLabStore)
#include "tst_labstore.moc"
