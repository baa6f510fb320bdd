#include "support/datarow.h"
#include "support/labfixture.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace {

// Runs one statement on a lab file with SQLite directly, as another program would.
bool runSql(const QString &path, const QString &sql)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "edit");
        db.setDatabaseName(path);
        ok = db.open() && QSqlQuery(db).exec(sql);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("edit"));
    return ok;
}

} // namespace

class TestLabFile : public QObject
{
    Q_OBJECT

private slots:
    // Only its owner may read the lab: it holds the sink application's settings.
    void createdForTheOwnerOnly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lab.sqlite"));
        lab::createLab(path, lab::Scenario());
        QCOMPARE(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
    }

    // damage: SQL run on a new lab (on an empty file for CREATE), or how its bytes are spoilt.
    void refusals_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("what");
        row("missing", "", "does not exist");
        row("not SQLite", "text", "not an SQLite database");
        row("other schema version", "UPDATE meta SET value = '99' WHERE key = 'schema_version'",
            "schema version 99");
        row("truncated", "half", "truncated");
        row("damaged page", "scribble", "damaged");
        row("SQLite of another program", "CREATE TABLE notes(text TEXT)", "meta table");
        row("dropped table", "DROP TABLE item", "table \"item\" is missing");
        row("renamed column", "ALTER TABLE mailbox_name RENAME COLUMN name_key TO name_folded",
            "table \"mailbox_name\" has no column \"name_key\"");
    }

    void refusals()
    {
        QFETCH(QString, damage);
        QFETCH(QString, what);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lab.sqlite"));
        if (!damage.isEmpty() && !damage.startsWith("CREATE"))
            lab::createLab(path, lab::generatedScenario(200, 3));
        QByteArray bytes = readAll(path);
        if (damage == "text") {
            QVERIFY(
                writeAll(path, QByteArray("A text file someone named lab.sqlite\n").repeated(10)));
        } else if (damage == "half") {
            QVERIFY(writeAll(path, bytes.left(bytes.size() / 2)));
        } else if (damage == "scribble") { // over the middle, the header intact
            for (qsizetype i = 4096 * 3; i < 4096 * 6 && i < bytes.size(); ++i)
                bytes[i] = char(0xA5);
            QVERIFY(writeAll(path, bytes));
        } else if (!damage.isEmpty()) {
            QVERIFY(runSql(path, damage));
        }
        const QByteArray before = readAll(path);
        const platform::PlatformError e = failureOf([&] { lab::openLab(path); });
        QCOMPARE(e.number, platform::error::LabFile);
        QVERIFY2(e.description.contains(path), qPrintable(e.description));
        QVERIFY2(e.description.contains(what), qPrintable(e.description));
        QCOMPARE(readAll(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 damage.isEmpty() ? QStringList() : QStringList{"lab.sqlite"});
    }

    // A lock another program holds is no damage: the file opens for reading, and a write
    // that waited in vain names the file busy.
    void busy()
    {
        TestLab fixture(lab::demoScenario());
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
            other.setDatabaseName(fixture.path());
            QVERIFY(other.open() && QSqlQuery(other).exec("BEGIN EXCLUSIVE"));
            const std::unique_ptr<platform::Platform> lab = lab::openLab(fixture.path(), 50);
            const QString mailbox =
                QStringLiteral("file://./backofficestorage/corp.example.local/mbx/administrator");
            auto store = lab->createStoreConnection();
            store->open(mailbox, {}, {});
            auto item =
                store->openRecord(mailbox + "/Inbox/x", platform::RecordMode::ReadWrite,
                                  platform::CreateOption::Overwrite, platform::OptionsUnspecified);
            item->setField("DAV:ishidden", true);
            const platform::PlatformError e = failureOf([&] { item->update(); });
            QCOMPARE(e.number, platform::error::LabIo);
            QVERIFY2(e.description.startsWith(fixture.path() + ": the lab file is busy"),
                     qPrintable(e.description));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
    }

    void defaultLabIsCreatedWithTheDemo()
    {
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
        const QString path = lab::defaultLabPath();
        QCOMPARE(path, home.filePath(QStringLiteral("kestrelon/lab.sqlite")));
        const QByteArray first = readAll(path);
        QVERIFY(!first.isEmpty());
        QCOMPARE(lab::defaultLabPath(), path);
        QCOMPARE(readAll(path), first);
        QCOMPARE(lab::openLab(path)->machine().computerName(), QStringLiteral("EXCH01"));
        qunsetenv("XDG_DATA_HOME");
    }

    void generatedIsDeterministic()
    {
        const auto last = [](quint32 seed) {
            return lab::generatedScenario(40, seed).directory.last().dn;
        };
        QCOMPARE(lab::generatedScenario(40, 11).mailboxes.size(), 42);
        QCOMPARE(last(11), last(11));
        QVERIFY(last(11) != last(12));
    }
};

QTEST_GUILESS_MAIN(TestLabFile)
#include "tst_labfile.moc"
