#include "hosting/sinkhosting.h"
#include "platform/lab/labfile.h"
#include "rule/sinkconfiguration.h"
#include "setup/installform.h"
#include "shell/recordingscreen.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// An install driven through the window's model on a demo lab that kestrelon-lab made:
// the lab tool then shows the application with its rule, and the password is nowhere in
// clear, neither in its output nor in any file of the lab.
class TestHostingProgram : public QObject
{
    Q_OBJECT

private slots:
    void installThenShow()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("demo.sqlite");
        const QString labTool = qEnvironmentVariable("KESTRELON_BIN") + "/kestrelon-lab";
        QCOMPARE(QProcess::execute(labTool, {"create", file, "--demo"}), 0);
        QVERIFY(QFile::copy(qEnvironmentVariable("KESTRELON_SOURCE") + "/demo/Kestrelon.dll",
                            dir.filePath("Kestrelon.dll")));
        QVERIFY(QDir::setCurrent(dir.path()));
        const QString secret = QStringLiteral("Tr0ub4dor&3 horse");

        std::optional<QString> configuration;
        {
            std::unique_ptr<platform::Platform> platform = lab::openLab(file);
            RecordingScreen screen;
            InstallForm form(*platform, screen);
            form.onLoad();
            form.onActivate();
            QCOMPARE(form.installSinkCheck.value(), 1);
            QCOMPARE(form.identityEdit.text(), QStringLiteral("CORP\\Administrator"));
            form.passwordEdit.setText(secret);
            configuration = buildSinkConfiguration(form.rule, form.caption);
            QVERIFY(configuration);
            SinkHosting::installSinkApplication(InstallForm::ProductName, form.identityEdit.text(),
                                                form.passwordEdit.text(), *configuration, *platform,
                                                form.errorLog);
            form.refreshInstallState();
            QVERIFY(form.uninstallSinkCheck.enabled());
            QVERIFY(!form.errorLogEdit.text().contains(secret));
            form.onUnload();
        }

        QProcess show;
        show.start(labTool, {"show", file});
        QVERIFY(show.waitForFinished(60000));
        const QString shown = QString::fromUtf8(show.readAllStandardOutput());
        for (const QString &line :
             QStringList{"  Kestrelon {", "    Identity = \"CORP\\Administrator\"",
                         "    component Kestrelon.KestrelonCls {",
                         "      ConstructorString = \"" + *configuration + '"'})
            QVERIFY2(shown.contains(line), qPrintable(shown));
        QVERIFY(!shown.contains(secret));
        QCOMPARE(QProcess::execute("grep", {"-a", "-r", "-q", secret, dir.path()}), 1);
    }
};

QTEST_GUILESS_MAIN(TestHostingProgram)
#include "tst_hostingprogram.moc"
