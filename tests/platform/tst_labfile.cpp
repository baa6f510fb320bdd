#include "labfixture.h"
#include "platform/platformerror.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void setSchemaVersion(const QString &path, const QString &version)
{
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("edit"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(
            query.exec(QStringLiteral("UPDATE meta SET value = '%1' WHERE key = 'schema_version'")
                           .arg(version)));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("edit"));
}

} // namespace

class TestLabFile : public QObject
{
    Q_OBJECT

private slots:
    void createIsPrivate()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lab.sqlite"));
        lab::createLab(path, lab::Scenario());
        QCOMPARE(QFile::permissions(path) &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
        QVERIFY(QFile::permissions(path) & QFile::ReadOwner);
    }

    void createNeverOverwrites()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lab.sqlite"));
        writeAll(path, "precious");
        try {
            lab::createLab(path, lab::demoScenario());
            QFAIL("createLab wrote over an existing file");
        } catch (const platform::PlatformError &e) {
            QCOMPARE(e.number, platform::error::LabFile);
            QVERIFY(e.description.contains(path));
        }
        QCOMPARE(readAll(path), QByteArray("precious"));
    }

    void refusals_data()
    {
        QTest::addColumn<int>("damage");
        QTest::addColumn<QString>("what");
        QTest::newRow("missing") << 0 << "does not exist";
        QTest::newRow("not SQLite") << 1 << "not an SQLite database";
        QTest::newRow("other schema version") << 2 << "schema version 99";
        QTest::newRow("truncated") << 3 << "truncated";
        QTest::newRow("damaged page") << 4 << "damaged";
        QTest::newRow("SQLite of another program") << 5 << "meta table";
        QTest::newRow("empty file") << 6 << "not an SQLite database";
    }

    void refusals()
    {
        QFETCH(int, damage);
        QFETCH(QString, what);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lab.sqlite"));
        if (damage != 0 && damage != 5)
            lab::createLab(path, lab::generatedScenario(200, 3));
        const QByteArray good = readAll(path);
        switch (damage) {
        case 1:
            writeAll(
                path,
                QByteArray("This is a text file that someone named lab.sqlite\n").repeated(10));
            break;
        case 2:
            setSchemaVersion(path, QStringLiteral("99"));
            break;
        case 3:
            writeAll(path, good.left(good.size() / 2));
            break;
        case 4: {
            // Scribble over the middle of the file, leaving the header intact.
            QByteArray bytes = good;
            for (qsizetype i = 4096 * 3; i < 4096 * 6 && i < bytes.size(); ++i)
                bytes[i] = char(0xA5);
            writeAll(path, bytes);
            break;
        }
        case 5: {
            {
                QSqlDatabase db =
                    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
                db.setDatabaseName(path);
                QVERIFY(db.open());
                QSqlQuery(db).exec(QStringLiteral("CREATE TABLE notes(text TEXT)"));
            }
            QSqlDatabase::removeDatabase(QStringLiteral("other"));
            break;
        }
        case 6:
            writeAll(path, QByteArray());
            break;
        default:
            break;
        }
        const QByteArray before = readAll(path);
        try {
            lab::openLab(path);
            QFAIL("a file that is not a usable lab was opened");
        } catch (const platform::PlatformError &e) {
            QCOMPARE(e.number, platform::error::LabFile);
            QVERIFY2(e.description.contains(path), qPrintable(e.description));
            QVERIFY2(e.description.contains(what), qPrintable(e.description));
        }
        QCOMPARE(readAll(path), before);
        QCOMPARE(QFile::exists(path), damage != 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), damage != 0 ? 1 : 0);
    }

    void openDoesNotModify()
    {
        LabFixture fixture(lab::demoScenario());
        const QByteArray before = readAll(fixture.path());
        auto directory = fixture.platform->createDirectoryConnection();
        directory->open(QString(), QString(), QString());
        directory->execute(
            QStringLiteral("SELECT cn FROM 'GC://dc01.corp.example.local' WHERE cn='*'"), {});
        auto store = fixture.platform->createStoreConnection();
        store->open(QStringLiteral("file://./backofficestorage/corp.example.local/mbx/aarcher"),
                    QString(), QString());
        fixture.platform.reset();
        QCOMPARE(readAll(fixture.path()), before);
    }

    void defaultLabIsCreatedWithTheDemo()
    {
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
        const QString path = lab::defaultLabPath();
        QCOMPARE(path, home.filePath(QStringLiteral("kestrelon/lab.sqlite")));
        QVERIFY(QFile::exists(path));
        const QByteArray first = readAll(path);
        QCOMPARE(lab::defaultLabPath(), path);
        QCOMPARE(readAll(path), first);
        QCOMPARE(lab::openLab(path)->machine().computerName(), QStringLiteral("EXCH01"));
        qunsetenv("XDG_DATA_HOME");
    }

    void machineFacts()
    {
        lab::Scenario s;
        s.machine.localMachineKeys = {QStringLiteral("Cluster"),
                                      QStringLiteral("SOFTWARE\\Kestrelon\\Setup")};
        s.machine.computerNameVariable = QStringLiteral("EXCH01-VAR");
        LabFixture fixture(s);
        platform::MachineFacts &m = fixture.platform->machine();
        QCOMPARE(m.computerName(), QStringLiteral("EXCH01"));
        QCOMPARE(m.domainDnsName(), QStringLiteral("corp.example.local"));
        QCOMPARE(m.globalCatalogHostName(), QStringLiteral("dc01.corp.example.local"));
        QVERIFY(m.localMachineKeyExists(QStringLiteral("cluster")));
        QVERIFY(m.localMachineKeyExists(QStringLiteral("SOFTWARE\\Kestrelon")));
        QVERIFY(!m.localMachineKeyExists(QStringLiteral("Clust")));
        QVERIFY(!m.localMachineKeyExists(QString()));
        QCOMPARE(m.environmentVariable(QStringLiteral("ComputerName")),
                 QStringLiteral("EXCH01-VAR"));
        qputenv("KESTRELON_TEST_VARIABLE", "from the real environment");
        QCOMPARE(m.environmentVariable(QStringLiteral("KESTRELON_TEST_VARIABLE")),
                 QStringLiteral("from the real environment"));
        QCOMPARE(m.currentDirectory(), QDir::currentPath());
        QCOMPARE(m.workstationLanGroup(QString()), QStringLiteral("CORP"));
        QCOMPARE(m.storeRootListing(), QStringList{QStringLiteral("corp.example.local")});
        QCOMPARE(m.logonUserName(), QStringLiteral("Administrator"));
    }

    void machineFailures()
    {
        lab::Scenario s;
        s.machine.domainDnsName.clear();
        s.machine.globalCatalogHost.clear();
        s.machine.lanGroup.clear();
        LabFixture fixture(s);
        platform::MachineFacts &m = fixture.platform->machine();
        QVERIFY_THROWS_EXCEPTION(platform::PlatformError, m.domainDnsName());
        QVERIFY_THROWS_EXCEPTION(platform::PlatformError, m.globalCatalogHostName());
        QVERIFY_THROWS_EXCEPTION(platform::PlatformError,
                                 m.workstationLanGroup(QStringLiteral("x")));
        try {
            m.domainDnsName();
        } catch (const platform::PlatformError &e) {
            QCOMPARE(e.number, platform::error::NotInDomain);
        }
        try {
            m.globalCatalogHostName();
        } catch (const platform::PlatformError &e) {
            QCOMPARE(e.number, platform::error::ServerUnreachable);
        }
    }

    void ordinaryFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exists");
        QTest::newRow("plain file") << "Kestrelon.dll" << true;
        QTest::newRow("hidden file") << ".Kestrelon.dll" << false;
        QTest::newRow("directory") << "folder" << false;
        QTest::newRow("missing") << "Other.dll" << false;
    }

    void ordinaryFiles()
    {
        QFETCH(QString, name);
        QFETCH(bool, exists);
        QTemporaryDir dir;
        writeAll(dir.filePath(QStringLiteral("Kestrelon.dll")), "x");
        writeAll(dir.filePath(QStringLiteral(".Kestrelon.dll")), "x");
        QDir(dir.path()).mkdir(QStringLiteral("folder"));
        LabFixture fixture{lab::Scenario()};
        platform::MachineFacts &m = fixture.platform->machine();
        QCOMPARE(m.ordinaryFileExists(dir.path() + QLatin1Char('/') + name), exists);
        QCOMPARE(m.ordinaryFileExists(dir.path() + QLatin1Char('\\') + name), exists);
    }

    void generatedIsDeterministic()
    {
        const lab::Scenario a = lab::generatedScenario(40, 11);
        const lab::Scenario b = lab::generatedScenario(40, 11);
        const lab::Scenario c = lab::generatedScenario(40, 12);
        QCOMPARE(a.mailboxes.size(), 42);
        QStringList namesA, namesB, namesC;
        int bound = 0;
        for (const auto &o : a.directory)
            namesA.append(o.dn);
        for (const auto &o : b.directory)
            namesB.append(o.dn);
        for (const auto &o : c.directory)
            namesC.append(o.dn);
        for (const auto &m : a.mailboxes) {
            for (const auto &f : m.folders)
                bound += int(f.path == QLatin1String("Inbox") && !f.items.isEmpty());
        }
        QCOMPARE(namesA, namesB);
        QVERIFY(namesA != namesC);
        QCOMPARE(bound, 20);
        // The first generated names, pinned so a change of the generator is noticed.
        QVERIFY(namesA.at(2).startsWith(QStringLiteral("CN=")));
        QVERIFY(namesA.at(2).contains(QStringLiteral(" 00001,CN=Users")));
    }
};

QTEST_GUILESS_MAIN(TestLabFile)
#include "tst_labfile.moc"
