#include "mailboxes/mailboxlab.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace mailboxtest;

namespace {

// The sink installed with priority 42; bound Jane Doe in a mailbox that refuses every
// write, bound Hans Huber, unbound Carol Chen.
lab::Scenario readOnlyScenario()
{
    lab::Scenario scenario = baseScenario();
    lab::addMailboxUser(scenario, person("Jane Doe", "jdoe", "", "bound"));
    lab::addMailboxUser(scenario, person("Hans Huber", "hhuber", "", "bound"));
    lab::addMailboxUser(scenario, person("Carol Chen", "cchen", ""));
    for (lab::Mailbox &box : scenario.mailboxes)
        box.writable = !box.names.contains("jdoe");
    lab::Component sink{
        "{5E7A0000-0000-0000-0000-000000000001}",
        "Kestrelon.KestrelonCls",
        {{"ConstructionEnabled", true}, {"ConstructorString", "Junk\t\rX-Spam: yes\t\r42"}}};
    scenario.applications.append(
        {"{5E7A0000-0000-0000-0000-000000000002}", "Kestrelon", {}, {sink}});
    return scenario;
}

// "alias result" per mailbox of the report, with the error's number when it failed.
QStringList results(const QJsonObject &report)
{
    QStringList out;
    for (const QJsonValue box : report["mailboxes"].toArray()) {
        out << box["entry"].toString().section(" / ", -1) + " " + box["result"].toString();
        if (box["result"] == "failed")
            out.last() += " " + QString::number(box["error"]["number"].toInt());
    }
    return out;
}

} // namespace

// The report a monitor reads after a batch run or a preview, and the file it goes to.
class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void report_data()
    {
        QTest::addColumn<QStringList>("arguments"); // "REPORT" stands for the report's path
        QTest::addColumn<QString>("reportName");    // below the test's folder
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("labChanged");
        QTest::addColumn<QStringList>("results"); // empty: no report is written
        QTest::addColumn<QString>("output");      // on standard output, or error when no report

        const QString denied = QString::number(platform::error::AccessDenied);
        QTest::newRow("batch run, one mailbox read-only")
            << QStringList{"-b", "--report", "REPORT"} << "report.json" << 1 << true
            << QStringList{"hhuber rewritten", "jdoe failed " + denied} << "";
        QTest::newRow("preview of the batch run")
            << QStringList{"--preview", "-b", "--report", "REPORT"} << "report.json" << 0 << false
            << QStringList{"hhuber rewritten", "jdoe rewritten"}
            << "Planned: 0 register, 0 unregister, 2 rewrite, 0 would fail";
        QTest::newRow("report folder missing")
            << QStringList{"-b", "--report", "REPORT"} << "missing/report.json" << 2 << false
            << QStringList() << "missing/report.json\" does not exist";
    }
    void report()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reportName);
        QFETCH(int, exitCode);
        QFETCH(bool, labChanged);
        QFETCH(QStringList, results);
        QFETCH(QString, output);
        TestLab lab(readOnlyScenario());
        lab.platform.reset();
        const QByteArray before = readAll(lab.path());
        QTemporaryDir dir;
        LibraryFolder library(
            readAll(qEnvironmentVariable("KESTRELON_SOURCE") + "/demo/Kestrelon.dll"));
        const QString reportPath = dir.filePath(reportName);
        arguments.replaceInStrings("REPORT", reportPath);

        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("KESTRELON_LAB", lab.path());
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        run.setProcessEnvironment(environment);
        run.setWorkingDirectory(QDir::currentPath());
        run.start(qEnvironmentVariable("KESTRELON_BIN") + "/kestrelon-setup", arguments);
        QVERIFY(run.waitForFinished(60000));
        const QString out = QString::fromLocal8Bit(run.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(run.readAllStandardError());
        QCOMPARE(run.exitCode(), exitCode);
        QCOMPARE(readAll(lab.path()) != before, labChanged);
        QVERIFY2((results.isEmpty() ? err : out).contains(output), qPrintable(out + err));
        // Nothing but the report itself is left in its folder: the temporary file is gone.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 results.isEmpty() ? QStringList() : QStringList{reportName});
        if (results.isEmpty())
            return;
        const QJsonObject report = QJsonDocument::fromJson(readAll(reportPath)).object();
        QCOMPARE(report["formatVersion"].toInt(), 1);
        QCOMPARE(report["preview"].toBool(), !labChanged);
        QCOMPARE(::results(report), results);
        QCOMPARE(report["totals"]["failed"].toInt(), int(results.filter("failed").size()));
        QVERIFY(report["ended"].toString() >= report["started"].toString());
    }
};

QTEST_GUILESS_MAIN(TestReport)
#include "tst_report.moc"
