#include "labfixture.h"
#include "platform/platformerror.h"

#include <QDateTime>
#include <QTest>

using platform::CreateOption;
using platform::RecordMode;

namespace {

const QString fileRoot = QStringLiteral("file://./backofficestorage/corp.example.local/mbx/");
const QString httpRoot =
    QStringLiteral("http://exch01.corp.example.local/exadmin/corp.example.local/mbx/");

lab::Scenario storeScenario()
{
    lab::Scenario s;
    s.machine.storeDomainFolders = {QStringLiteral("corp.example.local"),
                                    QStringLiteral("example.com")};
    s.machine.storeHosts = {QStringLiteral("exch01.corp.example.local")};
    lab::Mailbox both;
    both.names = {QStringLiteral("jdoe"), QStringLiteral("jane.doe")};
    both.folders = {{QStringLiteral("Inbox"), {lab::registrationItem(QStringLiteral("SHALLOW"))}},
                    {QStringLiteral("Archive/2024"),
                     {{QStringLiteral("old.eml"), {{QStringLiteral("a"), QStringLiteral("b")}}}}}};
    lab::Mailbox fileOnly;
    fileOnly.names = {QStringLiteral("fonly")};
    fileOnly.httpForm = false;
    lab::Mailbox httpOnly;
    httpOnly.names = {QStringLiteral("honly")};
    httpOnly.fileForm = false;
    lab::Mailbox german;
    german.names = {QStringLiteral("hhuber")};
    german.inboxName = QStringLiteral("Posteingang");
    lab::Mailbox locked;
    locked.names = {QStringLiteral("locked")};
    locked.writable = false;
    locked.folders = {
        {QStringLiteral("Inbox"), {lab::registrationItem(QStringLiteral("SHALLOW"))}}};
    s.mailboxes = {both, fileOnly, httpOnly, german, locked};
    return s;
}

qint32 errorOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const platform::PlatformError &e) {
        return e.number;
    }
    return 0;
}

} // namespace

class TestLabStore : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_lab = std::make_unique<LabFixture>(storeScenario()); }
    void cleanup() { m_lab.reset(); }

    void openUrl_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("opens");
        QTest::newRow("file form") << fileRoot + "jdoe" << true;
        QTest::newRow("http form") << httpRoot + "jdoe" << true;
        QTest::newRow("second name") << fileRoot + "jane.doe" << true;
        QTest::newRow("name ignores case") << httpRoot + "JDOE" << true;
        QTest::newRow("host ignores case")
            << "http://EXCH01.Corp.Example.Local/exadmin/corp.example.local/mbx/jdoe" << true;
        QTest::newRow("other domain folder")
            << "file://./backofficestorage/example.com/mbx/jdoe" << true;
        QTest::newRow("trailing slash") << fileRoot + "jdoe/" << true;
        QTest::newRow("file-only by file") << fileRoot + "fonly" << true;
        QTest::newRow("file-only by http") << httpRoot + "fonly" << false;
        QTest::newRow("http-only by http") << httpRoot + "honly" << true;
        QTest::newRow("http-only by file") << fileRoot + "honly" << false;
        QTest::newRow("unknown mailbox") << fileRoot + "nobody" << false;
        QTest::newRow("unknown domain folder")
            << "file://./backofficestorage/other.local/mbx/jdoe" << false;
        QTest::newRow("unknown host")
            << "http://exch02.corp.example.local/exadmin/corp.example.local/mbx/jdoe" << false;
    }

    void openUrl()
    {
        QFETCH(QString, url);
        QFETCH(bool, opens);
        auto connection = m_lab->platform->createStoreConnection();
        try {
            connection->open(url, QString(), QString());
            QVERIFY2(opens, "a URL that should reach no mailbox opened");
            QVERIFY(connection->isOpen());
        } catch (const platform::PlatformError &e) {
            QVERIFY2(!opens, qPrintable(e.description));
            QCOMPARE(e.number, platform::error::ObjectNotFound);
            QVERIFY(e.description.contains(url));
            QVERIFY(!connection->isOpen());
        }
    }

    void unparsableUrls_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("empty path") << "file://./backofficestorage/";
        QTest::newRow("no mbx") << "file://./backofficestorage/corp.example.local/jdoe";
        QTest::newRow("ftp") << "ftp://exch01/exadmin/corp.example.local/mbx/jdoe";
        QTest::newRow("no exadmin")
            << "http://exch01.corp.example.local/public/corp.example.local/mbx/jdoe";
        QTest::newRow("double slash") << "file://./backofficestorage/corp.example.local/mbx//jdoe";
        QTest::newRow("plain word") << "jdoe";
    }

    void unparsableUrls()
    {
        QFETCH(QString, url);
        auto connection = m_lab->platform->createStoreConnection();
        try {
            connection->open(url, QString(), QString());
            QFAIL("an unparsable URL opened");
        } catch (const platform::PlatformError &e) {
            QVERIFY2(e.description.contains(url), qPrintable(e.description));
        }
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
    }

    void inboxField_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("inbox");
        QTest::newRow("file") << fileRoot + "jdoe" << fileRoot + "jdoe/Inbox";
        QTest::newRow("http as given") << httpRoot + "JDoe" << httpRoot + "JDoe/Inbox";
        QTest::newRow("localised") << fileRoot + "hhuber" << fileRoot + "hhuber/Posteingang";
    }

    void inboxField()
    {
        QFETCH(QString, root);
        QFETCH(QString, inbox);
        auto connection = m_lab->platform->createStoreConnection();
        connection->open(root, QString(), QString());
        auto record =
            connection->openRecord(root, RecordMode::Read, CreateOption::FailIfNotExists, -1);
        QVERIFY(record->fieldCount() >= 1);
        QCOMPARE(record->field(QStringLiteral("urn:schemas:httpmail:inbox")).toString(), inbox);
        auto folder =
            connection->openRecord(inbox, RecordMode::Read, CreateOption::FailIfNotExists, -1);
        QVERIFY(folder->isOpen());
    }

    void failIfMissing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("exists");
        QTest::newRow("item") << "Inbox/Kestrelon.reg" << true;
        QTest::newRow("names ignore case") << "INBOX/kestrelon.REG" << true;
        QTest::newRow("nested folder") << "Archive/2024" << true;
        QTest::newRow("intermediate folder") << "Archive" << true;
        QTest::newRow("item in nested folder") << "archive/2024/old.eml" << true;
        QTest::newRow("missing item") << "Inbox/Other.reg" << false;
        QTest::newRow("missing folder") << "Outbox/Kestrelon.reg" << false;
        QTest::newRow("missing nested folder") << "Archive/2025/old.eml" << false;
    }

    void failIfMissing()
    {
        QFETCH(QString, path);
        QFETCH(bool, exists);
        auto connection = m_lab->platform->createStoreConnection();
        connection->open(fileRoot + "jdoe", QString(), QString());
        const QString url = fileRoot + "jdoe/" + path;
        const qint32 error = errorOf([&] {
            connection->openRecord(url, RecordMode::Read, CreateOption::FailIfNotExists, -1);
        });
        QCOMPARE(error, exists ? 0 : platform::error::ObjectNotFound);
    }

    void registrationItemProperties()
    {
        auto connection = m_lab->platform->createStoreConnection();
        connection->open(httpRoot + "jdoe", QString(), QString());
        auto item = connection->openRecord(httpRoot + "jdoe/Inbox/Kestrelon.reg", RecordMode::Read,
                                           CreateOption::FailIfNotExists, -1);
        QCOMPARE(item->fieldCount(), 7);
        QCOMPARE(item->field(QStringLiteral("DAV:contentclass")).toString(),
                 QStringLiteral("urn:content-class:storeeventreg"));
        QCOMPARE(
            item->field(QStringLiteral("http://schemas.microsoft.com/exchange/events/MatchScope"))
                .toString(),
            QStringLiteral("SHALLOW"));
        QCOMPARE(item->field(QStringLiteral("DAV:ishidden")), QVariant(true));
        QCOMPARE(errorOf([&] { item->field(QStringLiteral("dav:ishidden")); }),
                 platform::error::ItemNotFound);
    }

    void otherMailboxRefused()
    {
        auto connection = m_lab->platform->createStoreConnection();
        connection->open(fileRoot + "jdoe", QString(), QString());
        QCOMPARE(errorOf([&] {
                     connection->openRecord(fileRoot + "hhuber", RecordMode::Read,
                                            CreateOption::FailIfNotExists, -1);
                 }),
                 platform::error::ObjectNotFound);
        QVERIFY(errorOf([&] {
                    connection->openRecord(fileRoot + "jane.doe/Inbox", RecordMode::Read,
                                           CreateOption::FailIfNotExists, -1);
                }) == 0);
    }

    void closedConnection()
    {
        auto connection = m_lab->platform->createStoreConnection();
        QCOMPARE(errorOf([&] {
                     connection->openRecord(fileRoot + "jdoe", RecordMode::Read,
                                            CreateOption::FailIfNotExists, -1);
                 }),
                 platform::error::NotOpen);
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
            auto connection = m_lab->platform->createStoreConnection();
            connection->open(fileRoot + "jdoe", QString(), QString());
            auto record =
                connection->openRecord(url, RecordMode::ReadWrite, CreateOption::Overwrite, -1);
            record->setField(QStringLiteral("p"), value);
            record->update();
        }
        // Read back through a second opening of the file, so nothing comes from memory.
        auto reopened = lab::openLab(m_lab->path());
        auto connection = reopened->createStoreConnection();
        connection->open(fileRoot + "jdoe", QString(), QString());
        auto record =
            connection->openRecord(url, RecordMode::Read, CreateOption::FailIfNotExists, -1);
        const QVariant back = record->field(QStringLiteral("p"));
        QCOMPARE(back.typeId(), value.typeId());
        QCOMPARE(back, value.typeId() == QMetaType::QString ? QVariant(value.toString()) : value);
    }

    void unsupportedTypeRefused()
    {
        auto connection = m_lab->platform->createStoreConnection();
        connection->open(fileRoot + "jdoe", QString(), QString());
        auto record = connection->openRecord(fileRoot + "jdoe/Inbox/x", RecordMode::ReadWrite,
                                             CreateOption::Overwrite, -1);
        QCOMPARE(errorOf([&] {
                     record->setField(QStringLiteral("list"), QStringList{QStringLiteral("a")});
                 }),
                 platform::error::InvalidArgument);
    }

    void overwriteReplaces()
    {
        auto connection = m_lab->platform->createStoreConnection();
        connection->open(fileRoot + "jdoe", QString(), QString());
        const QString url = fileRoot + "jdoe/Inbox/Kestrelon.reg";
        auto record =
            connection->openRecord(url, RecordMode::ReadWrite, CreateOption::Overwrite, 32768);
        QCOMPARE(record->fieldCount(), 0);
        record->setField(QStringLiteral("only"), QStringLiteral("new"));
        record->update();
        record->close();
        auto back =
            connection->openRecord(url, RecordMode::Read, CreateOption::FailIfNotExists, -1);
        QCOMPARE(back->fieldCount(), 1);
        QCOMPARE(back->field(QStringLiteral("only")).toString(), QStringLiteral("new"));
        QCOMPARE(errorOf([&] { back->field(QStringLiteral("DAV:contentclass")); }),
                 platform::error::ItemNotFound);
    }

    void overwriteNeedsFolder()
    {
        auto connection = m_lab->platform->createStoreConnection();
        connection->open(fileRoot + "jdoe", QString(), QString());
        QCOMPARE(errorOf([&] {
                     connection->openRecord(fileRoot + "jdoe/Nowhere/new.reg",
                                            RecordMode::ReadWrite, CreateOption::Overwrite, -1);
                 }),
                 platform::error::ObjectNotFound);
    }

    void overwriteWithoutUpdateChangesNothing()
    {
        auto connection = m_lab->platform->createStoreConnection();
        connection->open(fileRoot + "jdoe", QString(), QString());
        const QString url = fileRoot + "jdoe/Inbox/Kestrelon.reg";
        connection->openRecord(url, RecordMode::ReadWrite, CreateOption::Overwrite, -1)->close();
        QCOMPARE(connection->openRecord(url, RecordMode::Read, CreateOption::FailIfNotExists, -1)
                     ->fieldCount(),
                 7);
    }

    void deleteRecord()
    {
        auto connection = m_lab->platform->createStoreConnection();
        connection->open(fileRoot + "jdoe", QString(), QString());
        const QString url = fileRoot + "jdoe/Inbox/Kestrelon.reg";
        connection->openRecord(url, RecordMode::ReadWrite, CreateOption::FailIfNotExists, -1)
            ->deleteRecord();
        QCOMPARE(errorOf([&] {
                     connection->openRecord(url, RecordMode::Read, CreateOption::FailIfNotExists,
                                            -1);
                 }),
                 platform::error::ObjectNotFound);
        auto other = lab::openLab(m_lab->path());
        auto otherConnection = other->createStoreConnection();
        otherConnection->open(fileRoot + "jdoe", QString(), QString());
        QCOMPARE(errorOf([&] {
                     otherConnection->openRecord(url, RecordMode::Read,
                                                 CreateOption::FailIfNotExists, -1);
                 }),
                 platform::error::ObjectNotFound);
    }

    void readOnlyRecordRefusesWrites()
    {
        auto connection = m_lab->platform->createStoreConnection();
        connection->open(fileRoot + "jdoe", QString(), QString());
        auto record = connection->openRecord(fileRoot + "jdoe/Inbox/Kestrelon.reg",
                                             RecordMode::Read, CreateOption::FailIfNotExists, -1);
        QVERIFY(errorOf([&] { record->deleteRecord(); }) != 0);
    }

    void transactionRollback_data()
    {
        QTest::addColumn<int>("ending");
        QTest::newRow("explicit rollback") << 0;
        QTest::newRow("close") << 1;
        QTest::newRow("destruction") << 2;
    }

    void transactionRollback()
    {
        QFETCH(int, ending);
        const QString url = fileRoot + "jdoe/Inbox/Kestrelon.reg";
        {
            auto connection = m_lab->platform->createStoreConnection();
            connection->open(fileRoot + "jdoe", QString(), QString());
            connection->beginTransaction();
            auto record =
                connection->openRecord(url, RecordMode::ReadWrite, CreateOption::Overwrite, 32768);
            record->setField(QStringLiteral("x"), 1);
            record->update();
            auto added = connection->openRecord(fileRoot + "jdoe/Inbox/added",
                                                RecordMode::ReadWrite, CreateOption::Overwrite, -1);
            added->update();
            if (ending == 0)
                connection->rollbackTransaction();
            else if (ending == 1)
                connection->close();
        }
        auto connection = m_lab->platform->createStoreConnection();
        connection->open(fileRoot + "jdoe", QString(), QString());
        QCOMPARE(connection->openRecord(url, RecordMode::Read, CreateOption::FailIfNotExists, -1)
                     ->fieldCount(),
                 7);
        QCOMPARE(errorOf([&] {
                     connection->openRecord(fileRoot + "jdoe/Inbox/added", RecordMode::Read,
                                            CreateOption::FailIfNotExists, -1);
                 }),
                 platform::error::ObjectNotFound);
    }

    void transactionCommit()
    {
        const QString url = fileRoot + "jdoe/Inbox/committed";
        {
            auto connection = m_lab->platform->createStoreConnection();
            connection->open(fileRoot + "jdoe", QString(), QString());
            connection->beginTransaction();
            auto record =
                connection->openRecord(url, RecordMode::ReadWrite, CreateOption::Overwrite, -1);
            record->setField(QStringLiteral("x"), true);
            record->update();
            connection->commitTransaction();
        }
        auto other = lab::openLab(m_lab->path());
        auto connection = other->createStoreConnection();
        connection->open(fileRoot + "jdoe", QString(), QString());
        QCOMPARE(connection->openRecord(url, RecordMode::Read, CreateOption::FailIfNotExists, -1)
                     ->field(QStringLiteral("x")),
                 QVariant(true));
    }

    void failingWriteLeavesStore()
    {
        const QString url = fileRoot + "locked/Inbox/Kestrelon.reg";
        const QByteArray before = fileBytes();
        auto connection = m_lab->platform->createStoreConnection();
        connection->open(fileRoot + "locked", QString(), QString());
        connection->beginTransaction();
        auto record =
            connection->openRecord(url, RecordMode::ReadWrite, CreateOption::Overwrite, 32768);
        record->setField(QStringLiteral("DAV:contentclass"), QStringLiteral("changed"));
        QCOMPARE(errorOf([&] { record->update(); }), platform::error::AccessDenied);
        auto existing =
            connection->openRecord(url, RecordMode::ReadWrite, CreateOption::FailIfNotExists, -1);
        QCOMPARE(errorOf([&] { existing->deleteRecord(); }), platform::error::AccessDenied);
        connection->close();
        QCOMPARE(fileBytes(), before);
        connection->open(fileRoot + "locked", QString(), QString());
        auto back =
            connection->openRecord(url, RecordMode::Read, CreateOption::FailIfNotExists, -1);
        QCOMPARE(back->field(QStringLiteral("DAV:contentclass")).toString(),
                 QStringLiteral("urn:content-class:storeeventreg"));
    }

    void changesOfAnotherProgramAreSeen()
    {
        auto connection = m_lab->platform->createStoreConnection();
        const QString url = fileRoot + "fonly/Inbox/fresh";
        connection->open(fileRoot + "fonly", QString(), QString());
        QVERIFY(errorOf([&] {
                    connection->openRecord(url, RecordMode::Read, CreateOption::FailIfNotExists,
                                           -1);
                }) != 0);
        connection->close();
        {
            auto other = lab::openLab(m_lab->path());
            auto writer = other->createStoreConnection();
            writer->open(fileRoot + "fonly", QString(), QString());
            writer->openRecord(url, RecordMode::ReadWrite, CreateOption::Overwrite, -1)->update();
        }
        connection->open(fileRoot + "fonly", QString(), QString());
        QCOMPARE(errorOf([&] {
                     connection->openRecord(url, RecordMode::Read, CreateOption::FailIfNotExists,
                                            -1);
                 }),
                 0);
    }

private:
    QByteArray fileBytes() const
    {
        QFile file(m_lab->path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::unique_ptr<LabFixture> m_lab;
};

QTEST_GUILESS_MAIN(TestLabStore)
#include "tst_labstore.moc"
