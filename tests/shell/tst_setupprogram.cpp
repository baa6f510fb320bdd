#include "platform/lab/labfile.h"
#include "platform/lab/labscenario.h"
#include "platform/platformerror.h"
#include "support/datarow.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// kestrelon-setup as a user starts it: failures that end the program, the missing
// display, the command line, and the help text.
class TestSetupProgram : public QObject
{
    Q_OBJECT

    enum class Lab { Missing, NoCatalog, NoDomain, QuoteInOrganization };
    QTemporaryDir m_dir;

    QString labPath(Lab kind)
    {
        const QString path = m_dir.filePath(QStringLiteral("lab%1.sqlite").arg(int(kind)));
        if (kind == Lab::Missing || QFile::exists(path))
            return path;
        lab::Scenario scenario;
        if (kind == Lab::NoCatalog)
            scenario.machine.globalCatalogHost.clear();
        if (kind == Lab::NoDomain)
            scenario.machine.domainDnsName.clear();
        if (kind == Lab::QuoteInOrganization) {
            // The mailbox walk of the first activation then sends a broken query: the
            // failure happens inside the event loop.
            lab::SystemMailboxSpec store;
            store.guid = QStringLiteral("{1}");
            store.homeServer = lab::homeServerValue("EXCH01", "O'Brien Ltd");
            lab::addSystemMailbox(scenario, store);
        }
        lab::createLab(path, scenario);
        return path;
    }

private slots:
    void run_data()
    {
        QTest::addColumn<int>("lab");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("display"); // variables set, blank-separated
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QStringList>("standardError"); // parts of the one line expected
        QTest::addColumn<QString>("standardOutput");    // its start

        const QString report = QStringLiteral("kestrelon-setup: run-time error %1: ");
        const QString offscreen = QStringLiteral("QT_QPA_PLATFORM=offscreen"), out;
        const QStringList none;
        const int noCatalog = int(Lab::NoCatalog), noDomain = int(Lab::NoDomain);
        row("unreachable global catalog", noCatalog, none, offscreen, 3,
            QStringList{report.arg(platform::error::ServerUnreachable) +
                        "No global catalog server answers"},
            out);
        row("failed query after the window is up", int(Lab::QuoteInOrganization), none, offscreen,
            3, QStringList{report.arg(platform::error::QuerySyntax)}, out);
        row("missing lab file", int(Lab::Missing), none, offscreen, 3,
            QStringList{report.arg(platform::error::LabFile)}, out);
        row("interactive without a display", noCatalog, none, "", 2,
            QStringList{"kestrelon-setup: no display to open the window on", "-b"}, out);
        // Without a display only batch mode runs, here into a start-up failure: the whole
        // argument text counts, and only its first two characters.
        const QStringList notInDomain{report.arg(platform::error::NotInDomain)};
        const QStringList noDisplay{"kestrelon-setup: no display"};
        row("-b", noDomain, QStringList{"-b"}, "", 3, notInDomain, out);
        row("-b then more", noDomain, QStringList{"-b", "x"}, "", 3, notInDomain, out);
        row("-b not first", noDomain, QStringList{"x", "-b"}, "", 2, noDisplay, out);
        row("interactive on a dead display", noCatalog, none, "DISPLAY=:972", 2,
            QStringList{"kestrelon-setup: no display to open the window on (DISPLAY=:972 does "
                        "not answer)"},
            out);
        row("interactive on a platform not installed", noCatalog, none, "QT_QPA_PLATFORM=bogus", 2,
            QStringList{"kestrelon-setup: no display", "QT_QPA_PLATFORM=bogus"}, out);
        row("unknown option", noCatalog, QStringList{"--bogus", "x"}, offscreen, 2,
            QStringList{"kestrelon-setup: unknown option --bogus"}, out);
        row("help", noCatalog, QStringList{"--help"}, "", 0, none, "Usage: kestrelon-setup [-b]");
    }

    void run()
    {
        QFETCH(int, lab);
        QFETCH(QStringList, arguments);
        QFETCH(QString, display);
        QFETCH(int, exitStatus);
        QFETCH(QStringList, standardError);
        QFETCH(QString, standardOutput);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KESTRELON_LAB"), labPath(Lab(lab)));
        for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(variable));
        for (const QString &variable : display.split(u' ', Qt::SkipEmptyParts))
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        QProcess setup;
        setup.setProcessEnvironment(environment);
        setup.start(qEnvironmentVariable("KESTRELON_BIN") + QStringLiteral("/kestrelon-setup"),
                    arguments);
        // A process still running at the end is killed when `setup` goes.
        QVERIFY2(setup.waitForFinished(60000), "kestrelon-setup did not end by itself");
        const QString err = QString::fromLocal8Bit(setup.readAllStandardError());
        const QString out = QString::fromLocal8Bit(setup.readAllStandardOutput());
        QCOMPARE(setup.exitStatus(), QProcess::NormalExit);
        QCOMPARE(setup.exitCode(), exitStatus);
        for (const QString &part : standardError)
            QVERIFY2(err.contains(part), qPrintable(err));
        // One line per failure: the report does not repeat itself.
        QCOMPARE(err.count(QLatin1String("kestrelon-setup:")), standardError.isEmpty() ? 0 : 1);
        QVERIFY2(standardOutput.isEmpty() ? out.isEmpty() : out.startsWith(standardOutput),
                 qPrintable(out));
    }
};

QTEST_GUILESS_MAIN(TestSetupProgram)
#include "tst_setupprogram.moc"
