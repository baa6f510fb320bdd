#include "support/labfixture.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

const QString program = qEnvironmentVariable("KESTRELON_BIN") + "/kestrelon-lab";

// Runs kestrelon-lab to its end; its standard output goes to a file when one is given.
Run labTool(const QStringList &arguments, const QString &output = QString())
{
    QProcess process;
    if (!output.isEmpty())
        process.setStandardOutputFile(output);
    process.start(program, arguments);
    Run run;
    if (!process.waitForFinished(60000))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

} // namespace

class TestLabTool : public QObject
{
    Q_OBJECT

private slots:
    void createDemoAndShow()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("demo.sqlite"));
        const Run created = labTool({"create", file, "--demo"});
        QCOMPARE(created.status, 0);
        QVERIFY(created.out.contains(file));

        const QByteArray before = readAll(file);
        const Run shown = labTool({"show", file});
        QCOMPARE(shown.status, 0);
        for (const char *line : {"computerName: \"EXCH01\"", "StoreEvents/GlobalEvents: 1 item(s)",
                                 "inbox \"Posteingang\"", "component Archiver.ArchiveCls"})
            QVERIFY2(shown.out.contains(QLatin1String(line)), line);
        QVERIFY(!shown.out.contains("archiver-secret"));
        // A report lost to a full disk is a failure, not a truncated success.
        const Run full = labTool({"show", file, "--json"}, QStringLiteral("/dev/full"));
        QCOMPARE(full.status, 1);
        QVERIFY2(full.err.contains(file + ": cannot write the report") &&
                     full.err.contains(QString::fromLocal8Bit(std::strerror(ENOSPC))),
                 qPrintable(full.err));

        const Run json = labTool({"show", file, "--json"});
        const QJsonArray apps =
            QJsonDocument::fromJson(json.out.toUtf8())["applications"].toArray();
        QCOMPARE(apps.size(), 1);
        QVERIFY(!apps[0]["properties"].toObject().contains("Password"));
        QCOMPARE(readAll(file), before);
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("names");
        const auto row = [](const char *name, const QString &arguments, const QString &names) {
            QTest::newRow(name) << arguments.split(u' ') << names;
        };
        row("create over an existing file", "create @existing --demo", "@existing");
        row("count beyond what a lab holds", "create @missing --mailboxes 2147483647",
            "2147483647\": give a count from 0 to 100000");
        row("bad scenario", "create @missing --from @existing", "@existing");
        row("endless scenario", "create @missing --from /dev/zero",
            "/dev/zero: larger than the 64 MiB");
        row("unknown command", "destroy", "destroy");
        row("export onto its own lab", "export-ldif @lab --output @lab", "@lab: is the lab");
        row("root DSE onto its own lab", "export-ldif @lab --root-dse ./@lab", "is the lab");
        row("export over a file", "export-ldif @lab --output @existing", "@existing: exists");
        row("both exports into one file", "export-ldif @lab --output @missing --root-dse @missing",
            "@missing: given for both");
    }

    // A create killed while it writes leaves the name free; one ended by a signal also takes
    // its unfinished file along.
    void interruptedCreate_data()
    {
        QTest::addColumn<bool>("kill");
        QTest::newRow("killed") << true;
        QTest::newRow("terminated") << false;
    }

    void interruptedCreate()
    {
        QFETCH(bool, kill);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("big.sqlite"));
        // Once a file has taken up some room, the lab is being written.
        const auto writing = [&] {
            const QFileInfoList files = QDir(dir.path()).entryInfoList(QDir::Files);
            return std::any_of(files.begin(), files.end(),
                               [](const QFileInfo &f) { return f.size() > 1 << 20; });
        };
        QProcess create;
        create.start(program, {"create", file, "--mailboxes", "30000"});
        QTRY_VERIFY_WITH_TIMEOUT(create.state() == QProcess::NotRunning || writing(), 60000);
        QCOMPARE(create.state(), QProcess::Running);
        kill ? create.kill() : create.terminate();
        QVERIFY(create.waitForFinished());
        QVERIFY(!QFile::exists(file));
        if (!kill)
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
        QCOMPARE(labTool({"create", file, "--demo"}).status, 0);
    }

    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, names);
        QTemporaryDir dir;
        const QString existing = dir.filePath(QStringLiteral("existing.sqlite"));
        const QString missing = dir.filePath(QStringLiteral("missing.sqlite"));
        QVERIFY(writeAll(existing, "not a lab\n"));
        const QString labFile = dir.filePath(QStringLiteral("lab.sqlite"));
        QCOMPARE(labTool({"create", labFile, "--demo"}).status, 0);
        const QByteArray labBytes = readAll(labFile);
        const auto place = [&](QString &text) {
            text.replace("./@lab", dir.path() + "/./lab.sqlite")
                .replace("@lab", labFile)
                .replace("@existing", existing)
                .replace("@missing", missing);
        };
        for (QString &argument : arguments)
            place(argument);
        place(names);
        const Run run = labTool(arguments);
        QVERIFY(run.status > 0);
        QCOMPARE(run.err.count(u'\n'), 1);
        QVERIFY2(run.err.contains(names), qPrintable(run.err));
        QCOMPARE(readAll(existing), QByteArray("not a lab\n"));
        QVERIFY(!QFile::exists(missing));
        QCOMPARE(readAll(labFile), labBytes);
    }
};

QTEST_GUILESS_MAIN(TestLabTool)
#include "tst_labtool.moc"
