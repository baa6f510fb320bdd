#include "hosting/sinkhosting.h"
#include "platform/lab/labfile.h"
#include "platform/lab/labscenario.h"
#include "setup/installform.h"
#include "shell/recordingscreen.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Bin = qEnvironmentVariable("KESTRELON_BIN");

// "alias:priority" of every registration item, as kestrelon-lab show --json lists them;
// an item without all seven properties shows as "alias:broken".
QStringList bindings(const QString &labFile)
{
    QProcess show;
    show.start(Bin + "/kestrelon-lab", {"show", labFile, "--json"});
    if (!show.waitForFinished(60000) || show.exitCode() != 0)
        return {"show failed"};
    QStringList out;
    const QJsonObject report = QJsonDocument::fromJson(show.readAllStandardOutput()).object();
    for (const QJsonValue box : report["mailboxes"].toArray()) {
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

} // namespace

// kestrelon-setup -b as a scheduler starts it, twice at once on one lab: both end by
// themselves, and every binding is there afterwards, once, with the installed priority.
class TestBatchProgram : public QObject
{
    Q_OBJECT

private slots:
    void twoBatchRunsAtOnce()
    {
        QTemporaryDir dir;
        const QString labFile = dir.filePath("lab.sqlite");
        lab::createLab(labFile, lab::generatedScenario(600, 7));
        const QStringList before = bindings(labFile);
        QVERIFY(before.size() > 100);
        QVERIFY(before.filter(":42").isEmpty());
        QVERIFY(QFile::copy(qEnvironmentVariable("KESTRELON_SOURCE") + "/demo/Kestrelon.dll",
                            dir.filePath("Kestrelon.dll")));
        QVERIFY(QDir::setCurrent(dir.path()));
        {
            // The rule with priority 42, installed as the window would.
            std::unique_ptr<platform::Platform> platform = lab::openLab(labFile);
            RecordingScreen screen;
            InstallForm form(*platform, screen);
            ErrorLog &log = form.errorLog;
            SinkHosting::installSinkApplication(InstallForm::ProductName, "CORP\\sink", "pw",
                                                "Junk\t\rX-Spam: yes\t\r42", *platform, log);
            QVERIFY(form.errorLogEdit.text().isEmpty());
        }

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("KESTRELON_LAB", labFile);
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
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
