#include "platform/lab/labfile.h"
#include "platform/lab/labscenario.h"
#include "platform/platformerror.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// kestrelon-setup as a user starts it: failures that end the program, the missing
// display, and the help text.
class TestSetupProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void endsWithReport_data();
    void endsWithReport();

private:
    QTemporaryDir m_dir;
};

namespace {

enum class Lab { Missing, NoCatalog, NoDomain, QuoteInAccount };

QString labPath(const QTemporaryDir &dir, Lab kind)
{
    lab::Scenario scenario;
    switch (kind) {
    case Lab::Missing:
        return dir.filePath(QStringLiteral("missing.sqlite"));
    case Lab::NoCatalog:
        scenario.machine.globalCatalogHost.clear();
        break;
    case Lab::NoDomain:
        scenario.machine.domainDnsName.clear();
        break;
    case Lab::QuoteInAccount:
        // The cluster lookup during the first activation then sends a broken query.
        scenario.machine.localMachineKeys = {QStringLiteral("Cluster")};
        scenario.machine.logonUserName = QStringLiteral("o'brien");
        break;
    }
    const QString path = dir.filePath(QStringLiteral("lab%1.sqlite").arg(int(kind)));
    if (!QFile::exists(path))
        lab::createLab(path, scenario);
    return path;
}

} // namespace

void TestSetupProgram::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(
        QFile::exists(qEnvironmentVariable("KESTRELON_BIN") + QStringLiteral("/kestrelon-setup")));
}

void TestSetupProgram::endsWithReport_data()
{
    QTest::addColumn<int>("lab");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");
    QTest::addColumn<int>("exitStatus");
    QTest::addColumn<QString>("standardError");
    QTest::addColumn<QString>("standardOutput");

    QTest::newRow("unreachable global catalog")
        << int(Lab::NoCatalog) << QStringList() << true << 3
        << QStringLiteral("kestrelon-setup: run-time error %1: No global catalog server answers")
               .arg(platform::error::ServerUnreachable)
        << "";
    QTest::newRow("unreachable global catalog, batch")
        << int(Lab::NoCatalog) << QStringList{"-b"} << true << 3
        << QStringLiteral("kestrelon-setup: run-time error %1: ")
               .arg(platform::error::ServerUnreachable)
        << "";
    QTest::newRow("not in a domain")
        << int(Lab::NoDomain) << QStringList() << true << 3
        << QStringLiteral("kestrelon-setup: run-time error %1: ").arg(platform::error::NotInDomain)
        << "";
    QTest::newRow("failed query after the window is up")
        << int(Lab::QuoteInAccount) << QStringList() << true << 3
        << QStringLiteral("kestrelon-setup: run-time error %1: ").arg(platform::error::QuerySyntax)
        << "";
    QTest::newRow("missing lab file")
        << int(Lab::Missing) << QStringList() << true << 3
        << QStringLiteral("kestrelon-setup: run-time error %1: ").arg(platform::error::LabFile)
        << "";
    QTest::newRow("interactive without a display")
        << int(Lab::NoCatalog) << QStringList() << false << 2
        << "kestrelon-setup: no display to open the window on"
        << "";
    QTest::newRow("help") << int(Lab::NoCatalog) << QStringList{"--help"} << false << 0 << ""
                          << "Usage: kestrelon-setup [-b]";
}

void TestSetupProgram::endsWithReport()
{
    QFETCH(int, lab);
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(int, exitStatus);
    QFETCH(QString, standardError);
    QFETCH(QString, standardOutput);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KESTRELON_LAB"), labPath(m_dir, Lab(lab)));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (display)
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    else
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));

    QProcess setup;
    setup.setProcessEnvironment(environment);
    setup.start(qEnvironmentVariable("KESTRELON_BIN") + QStringLiteral("/kestrelon-setup"),
                arguments);
    QVERIFY(setup.waitForStarted());
    if (!setup.waitForFinished(60000)) {
        setup.kill();
        setup.waitForFinished();
        QFAIL("kestrelon-setup did not end by itself");
    }
    const QString err = QString::fromLocal8Bit(setup.readAllStandardError());
    const QString out = QString::fromLocal8Bit(setup.readAllStandardOutput());
    QCOMPARE(setup.exitStatus(), QProcess::NormalExit);
    QCOMPARE(setup.exitCode(), exitStatus);
    if (standardError.isEmpty()) {
        QCOMPARE(err, QString());
    } else {
        QVERIFY2(err.contains(standardError), qPrintable(err));
        // One line per failure: the report does not repeat itself.
        QCOMPARE(err.count(QLatin1String("kestrelon-setup:")), 1);
    }
    if (exitStatus == 2)
        QVERIFY2(err.contains(QLatin1String("-b")), qPrintable(err));
    if (standardOutput.isEmpty())
        QCOMPARE(out, QString());
    else
        QVERIFY2(out.startsWith(standardOutput), qPrintable(out));
}

QTEST_GUILESS_MAIN(TestSetupProgram)
#include "tst_setupprogram.moc"
