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

Run lab(const QStringList &arguments)
{
    QProcess process;
    process.start(qEnvironmentVariable("KESTRELON_BIN") + QStringLiteral("/kestrelon-lab"),
                  arguments);
    Run run;
    if (!process.waitForFinished(60000))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

QByteArray bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
        const Run created = lab({QStringLiteral("create"), file, QStringLiteral("--demo")});
        QCOMPARE(created.status, 0);
        QVERIFY(created.out.contains(file));

        const Run shown = lab({QStringLiteral("show"), file});
        QCOMPARE(shown.status, 0);
        QVERIFY(shown.out.contains(QStringLiteral("computerName: \"EXCH01\"")));
        QVERIFY(shown.out.contains(QStringLiteral("StoreEvents/GlobalEvents: 1 item(s)")));
        QVERIFY(shown.out.contains(QStringLiteral("inbox \"Posteingang\"")));
        QVERIFY(shown.out.contains(QStringLiteral(
            "http://schemas.microsoft.com/exchange/events/MatchScope = \"SHALLOW\"")));
        QVERIFY(shown.out.contains(QStringLiteral("component Archiver.ArchiveCls")));
        QVERIFY(!shown.out.contains(QStringLiteral("Password")));
        QVERIFY(!shown.out.contains(QStringLiteral("archiver-secret")));
    }

    void showJson()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("demo.sqlite"));
        QCOMPARE(lab({QStringLiteral("create"), file, QStringLiteral("--demo")}).status, 0);
        const QByteArray before = bytes(file);
        const Run shown = lab({QStringLiteral("show"), file, QStringLiteral("--json")});
        QCOMPARE(shown.status, 0);
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(shown.out.toUtf8(), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonObject report = document.object();
        QCOMPARE(report[QStringLiteral("machine")][QStringLiteral("computerName")].toString(),
                 QStringLiteral("EXCH01"));
        int bound = 0;
        int storeWide = 0;
        for (const QJsonValue &box : report[QStringLiteral("mailboxes")].toArray()) {
            bound += box[QStringLiteral("inboxItems")].toArray().size();
            storeWide += box[QStringLiteral("globalEventsItems")].toArray().size();
        }
        QCOMPARE(bound, 5);
        QCOMPARE(storeWide, 1);
        const QJsonArray apps = report[QStringLiteral("applications")].toArray();
        QCOMPARE(apps.size(), 1);
        QVERIFY(
            !apps[0][QStringLiteral("properties")].toObject().contains(QStringLiteral("Password")));
        QCOMPARE(bytes(file), before);
    }

    void createGenerated()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a.sqlite"));
        const QString b = dir.filePath(QStringLiteral("b.sqlite"));
        QCOMPARE(lab({QStringLiteral("create"), a, QStringLiteral("--mailboxes"),
                      QStringLiteral("30"), QStringLiteral("--seed"), QStringLiteral("5")})
                     .status,
                 0);
        QCOMPARE(lab({QStringLiteral("create"), b, QStringLiteral("--mailboxes"),
                      QStringLiteral("30"), QStringLiteral("--seed"), QStringLiteral("5")})
                     .status,
                 0);
        const QJsonObject ra =
            QJsonDocument::fromJson(
                lab({QStringLiteral("show"), a, QStringLiteral("--json")}).out.toUtf8())
                .object();
        QJsonObject rb =
            QJsonDocument::fromJson(
                lab({QStringLiteral("show"), b, QStringLiteral("--json")}).out.toUtf8())
                .object();
        rb[QStringLiteral("file")] = ra[QStringLiteral("file")];
        QCOMPARE(ra[QStringLiteral("mailboxes")].toArray().size(), 32);
        QCOMPARE(ra, rb);
    }

    void createFromScenario()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("s.sqlite"));
        const Run run = lab({QStringLiteral("create"), file, QStringLiteral("--from"),
                             qEnvironmentVariable("KESTRELON_TEST_DATA") +
                                 QStringLiteral("/lab/small-scenario.json")});
        QCOMPARE(run.status, 0);
        QVERIFY(lab({QStringLiteral("show"), file})
                    .out.contains(QStringLiteral("computerName: \"MAIL7\"")));
    }

    void help_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("tool") << QStringList{QStringLiteral("--help")}
                              << "create FILE --mailboxes N";
        QTest::newRow("create") << QStringList{QStringLiteral("create"), QStringLiteral("--help")}
                                << "--from";
        QTest::newRow("show") << QStringList{QStringLiteral("show"), QStringLiteral("--help")}
                              << "--json";
    }

    void help()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, mentions);
        const Run run = lab(arguments);
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains(mentions), qPrintable(run.out));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("names");
        QTest::newRow("create over an existing file")
            << QStringList{QStringLiteral("create"), QStringLiteral("@existing"),
                           QStringLiteral("--demo")}
            << "@existing";
        QTest::newRow("show a text file")
            << QStringList{QStringLiteral("show"), QStringLiteral("@existing")} << "@existing";
        QTest::newRow("show a missing file")
            << QStringList{QStringLiteral("show"), QStringLiteral("@missing")} << "@missing";
        QTest::newRow("two sources")
            << QStringList{QStringLiteral("create"), QStringLiteral("@missing"),
                           QStringLiteral("--demo"), QStringLiteral("--mailboxes"),
                           QStringLiteral("3")}
            << "@missing";
        QTest::newRow("bad count")
            << QStringList{QStringLiteral("create"), QStringLiteral("@missing"),
                           QStringLiteral("--mailboxes"), QStringLiteral("many")}
            << "many";
        QTest::newRow("bad scenario")
            << QStringList{QStringLiteral("create"), QStringLiteral("@missing"),
                           QStringLiteral("--from"), QStringLiteral("@existing")}
            << "@existing";
        QTest::newRow("unknown command") << QStringList{QStringLiteral("destroy")} << "destroy";
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("show"), QStringLiteral("--xml")} << "xml";
    }

    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, names);
        QTemporaryDir dir;
        const QString existing = dir.filePath(QStringLiteral("existing.sqlite"));
        const QString missing = dir.filePath(QStringLiteral("missing.sqlite"));
        {
            QFile file(existing);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a lab\n");
        }
        for (QString &argument : arguments)
            argument.replace(QStringLiteral("@existing"), existing)
                .replace(QStringLiteral("@missing"), missing);
        names.replace(QStringLiteral("@existing"), existing)
            .replace(QStringLiteral("@missing"), missing);
        const Run run = lab(arguments);
        QVERIFY(run.status > 0);
        QCOMPARE(run.err.count(u'\n'), 1);
        QVERIFY2(run.err.contains(names), qPrintable(run.err));
        QCOMPARE(bytes(existing), QByteArray("not a lab\n"));
        QVERIFY(!QFile::exists(missing));
    }
};

QTEST_GUILESS_MAIN(TestLabTool)
#include "tst_labtool.moc"
