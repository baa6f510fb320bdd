#include "hosting/sinkhosting.h"
#include "mailboxes/mailboxlab.h"
#include "platform/lab/labreport.h"

#include <QDir>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(lab::Scenario)

namespace {

const QString Bin = qEnvironmentVariable("KESTRELON_BIN");

// "alias:priority" of every registration item in the lab's report; an item without all
// seven properties shows as "alias:broken".
QStringList bindings(const QString &labFile)
{
    QStringList out;
    for (const QJsonValue box : lab::labReport(labFile)["mailboxes"].toArray()) {
        for (const char *folder : {"inboxItems", "globalEventsItems"}) {
            for (const QJsonValue item : box[folder].toArray()) {
                const QJsonArray properties = item["properties"].toArray();
                const QString priority = properties.size() == 7 ? properties[5]["value"].toString()
                                                                : QStringLiteral("broken");
                out << box["names"][0].toString() + ':' + priority;
            }
        }
    }
    out.sort();
    return out;
}

// A lab in dir with the sink installed, its rule's priority 42, as the window would.
bool createInstalledLab(const QTemporaryDir &dir, const QString &labFile,
                        const lab::Scenario &scenario)
{
    lab::createLab(labFile, scenario);
    if (!QFile::copy(qEnvironmentVariable("KESTRELON_SOURCE") + "/demo/Kestrelon.dll",
                     dir.filePath("Kestrelon.dll")) ||
        !QDir::setCurrent(dir.path()))
        return false;
    std::unique_ptr<platform::Platform> platform = lab::openLab(labFile);
    RecordingScreen screen;
    InstallForm form(*platform, screen);
    SinkHosting::installSinkApplication(ProgramEnvironment::ProductName, "CORP\\sink", "pw",
                                        "Junk\t\rX-Spam: yes\t\r42", *platform, form.errorLog);
    return form.errorLogEdit.text().isEmpty();
}

// The environment of a scheduled task: no display (or one that is gone), the lab given.
QProcessEnvironment batchEnvironment(const QString &labFile, const QString &display)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("KESTRELON_LAB", labFile);
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    environment.remove("DISPLAY");
    if (!display.isEmpty())
        environment.insert("DISPLAY", display);
    return environment;
}

} // namespace

// kestrelon-setup -b as a scheduler starts it: it ends by itself without a display, says
// on standard error only what went wrong, and tells by its status whether it did.
class TestBatchProgram : public QObject
{
    Q_OBJECT

private slots:
    void batchRun_data()
    {
        using namespace mailboxtest;
        QTest::addColumn<lab::Scenario>("scenario");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("standardError"); // contained; empty: nothing at all
        QTest::addColumn<QStringList>("bindings");

        lab::Scenario someBound = baseScenario();
        lab::addMailboxUser(someBound, person("Jane Doe", "jdoe", "", "bound"));
        lab::addMailboxUser(someBound, person("Carol Chen", "cchen", ""));
        lab::Scenario noneBound = baseScenario();
        lab::addMailboxUser(noneBound, person("Carol Chen", "cchen", ""));
        lab::Scenario readOnly = someBound;
        readOnly.mailboxes[1].writable = false;

        for (const QString display : {"", ":972"}) {
            const QString on = display.isEmpty() ? " without a display" : " on a dead display";
            QTest::addRow("some bound%s", qPrintable(on))
                << someBound << display << 0 << "" << QStringList{"jdoe:42"};
            QTest::addRow("none bound%s", qPrintable(on))
                << noneBound << display << 0 << "" << QStringList();
            QTest::addRow("a store that refuses%s", qPrintable(on))
                << readOnly << display << 1
                << HttpMailboxRoot + "/jdoe - ERROR: " << QStringList{"jdoe:65535"};
        }
    }
    void batchRun()
    {
        QFETCH(lab::Scenario, scenario);
        QFETCH(QString, display);
        QFETCH(int, exitCode);
        QFETCH(QString, standardError);
        QFETCH(QStringList, bindings);
        QTemporaryDir dir;
        const QString labFile = dir.filePath("lab.sqlite");
        QVERIFY(createInstalledLab(dir, labFile, scenario));
        QProcess run;
        run.setProcessEnvironment(batchEnvironment(labFile, display));
        run.start(Bin + "/kestrelon-setup", {"-b"});
        QVERIFY(run.waitForFinished(60000));
        const QString err = QString::fromLocal8Bit(run.readAllStandardError());
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), exitCode);
        if (standardError.isEmpty())
            QCOMPARE(err, QString());
        else
            QVERIFY2(err.contains(standardError), qPrintable(err));
        QCOMPARE(::bindings(labFile), bindings);
    }

    void twoBatchRunsAtOnce()
    {
        QTemporaryDir dir;
        const QString labFile = dir.filePath("lab.sqlite");
        const lab::Scenario scenario = lab::generatedScenario(600, 7);
        lab::createLab(dir.filePath("before.sqlite"), scenario);
        const QStringList before = bindings(dir.filePath("before.sqlite"));
        QVERIFY(before.size() > 100);
        QVERIFY(createInstalledLab(dir, labFile, scenario));
        const QProcessEnvironment environment = batchEnvironment(labFile, QString());
        QProcess runs[2];
        for (QProcess &run : runs) {
            run.setProcessEnvironment(environment);
            run.setWorkingDirectory(dir.path());
            run.start(Bin + "/kestrelon-setup", {"-b"});
        }
        for (QProcess &run : runs) {
            QVERIFY(run.waitForFinished(120000));
            QCOMPARE(run.exitStatus(), QProcess::NormalExit);
            // A binding the other run removed a moment earlier is logged (status 1), never
            // lost.
            QVERIFY2(run.exitCode() == 0 || run.exitCode() == 1,
                     run.readAllStandardError().constData());
        }
        QStringList after = bindings(labFile);
        QStringList expected = before;
        expected.replaceInStrings(":65535", ":42");
        QCOMPARE(after, expected);
    }
};

QTEST_GUILESS_MAIN(TestBatchProgram)
#include "tst_batchprogram.moc"
