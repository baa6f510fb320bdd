#include "platform/platformerror.h"
#include "shell/basicnumbers.h"
#include "shell/displaycheck.h"
#include "shell/progress.h"
#include "shell/repaintlock.h"
#include "support/datarow.h"
#include "support/labfixture.h"

#include <limits>
#include <QDir>
#include <QLocalServer>
#include <QTest>

using namespace Qt::StringLiterals;

// The shell below the window: start-up's steps and facts, the batch switch, the cluster
// lookup of the first activation, progress, the error log, the display check and
// RepaintLock.
class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void environment_data()
    {
        QTest::addColumn<QString>("computer");
        QTest::addColumn<QString>("domain");
        QTest::addColumn<QStringList>("listing");
        // shortComputerName, domainDnsName, fullComputerName, fileMailboxRoot, httpMailboxRoot
        QTest::addColumn<QStringList>("expected");

        // The listed folder is used as listed, and only the first entry counts.
        QTest::newRow("listed folder replaces the DNS name in both URLs")
            << "Mail2" << u"AD.example.ORG"_s << QStringList{"Example.Org", "other"}
            << QStringList{"mail2", "ad.example.org", "mail2.ad.example.org",
                           "file://./backofficestorage/Example.Org/mbx",
                           "http://mail2.ad.example.org/exadmin/Example.Org/mbx"};
        QTest::newRow("empty first entry keeps the DNS name")
            << "EXCH01" << u"Corp.Example.Local"_s << QStringList{"", "late.example"}
            << QStringList{"exch01", "corp.example.local", "exch01.corp.example.local",
                           "file://./backofficestorage/corp.example.local/mbx",
                           "http://exch01.corp.example.local/exadmin/corp.example.local/mbx"};
    }

    void environment()
    {
        QFETCH(QString, computer);
        QFETCH(QString, domain);
        QFETCH(QStringList, listing);
        QFETCH(QStringList, expected);

        lab::Scenario scenario;
        scenario.machine.computerName = computer;
        scenario.machine.domainDnsName = domain;
        scenario.machine.storeRootListing = listing;
        EnvironmentLab lab(scenario);
        lab.environment.discover();
        QCOMPARE((QStringList{lab.environment.shortComputerName, lab.environment.domainDnsName,
                              lab.environment.fullComputerName, lab.environment.fileMailboxRoot,
                              lab.environment.httpMailboxRoot}),
                 expected);
        QCOMPARE(lab.environment.globalCatalogPath, u"GC://dc01.corp.example.local"_s);
        QVERIFY(lab.environment.existingDirectoryConnection()->isOpen());
        // Prepared for the inbox probes, which open it per mailbox.
        QVERIFY(!lab.environment.existingStoreConnection()->isOpen());
    }

    // A failing step ends start-up where it stands: what the steps before it set is there,
    // what comes after is not.
    void failingStartUp_data()
    {
        QTest::addColumn<QString>("missing"); // of the machine: domain, catalog, provider
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reached"); // the last state set before the failure

        QTest::newRow("no domain")
            << u"domain catalog provider"_s << platform::error::NotInDomain << u"computer"_s;
        QTest::newRow("no global catalog")
            << u"catalog provider"_s << platform::error::ServerUnreachable << u"urls"_s;
        QTest::newRow("no directory provider")
            << u"provider"_s << platform::error::ProviderNotFound << u"catalog"_s;
    }

    void failingStartUp()
    {
        QFETCH(QString, missing);
        QFETCH(int, error);
        QFETCH(QString, reached);

        lab::Scenario scenario;
        if (missing.contains(u"domain"_s))
            scenario.machine.domainDnsName.clear();
        if (missing.contains(u"catalog"_s))
            scenario.machine.globalCatalogHost.clear();
        scenario.machine.directoryProviderInstalled = !missing.contains(u"provider"_s);
        EnvironmentLab lab(scenario, u"-b"_s);
        try {
            lab.environment.discover();
            QFAIL("start-up did not fail");
        } catch (const platform::PlatformError &failure) {
            QCOMPARE(failure.number, error);
        }
        const ProgramEnvironment &environment = lab.environment;
        QCOMPARE(environment.caption, u"Kestrelon setup - batch mode"_s);
        QCOMPARE(environment.shortComputerName, u"exch01"_s);
        QCOMPARE(!environment.fileMailboxRoot.isEmpty(), reached != u"computer"_s);
        QCOMPARE(!environment.globalCatalogPath.isEmpty(), reached == u"catalog"_s);
        QVERIFY(!environment.existingStoreConnection());
    }

    void batchSwitch_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("batch");

        row("/B", u"/B"_s, true);
        row("-batch", u"-batch"_s, true);
        row("b", u"b"_s, false);
        row("empty", QString(), false);
        row("leading space", u" -b"_s, false);
    }

    void batchSwitch()
    {
        QFETCH(QString, commandLine);
        QFETCH(bool, batch);

        EnvironmentLab lab({}, commandLine);
        lab.environment.discover();
        QCOMPARE(lab.environment.batchMode, batch);
        QCOMPARE(lab.environment.caption,
                 batch ? u"Kestrelon setup - batch mode"_s : u"Kestrelon setup"_s);
    }

    void clusterName_data()
    {
        QTest::addColumn<bool>("cluster");
        QTest::addColumn<QString>("homeServer"); // empty: the account has no directory row
        QTest::addColumn<QString>("clusterName");

        const QString full =
            "/o=Org/ou=First Administrative Group/cn=Configuration/cn=Servers/cn=EVS1";
        // Not a cluster node: the first activation never asks for the home server.
        QTest::newRow("no cluster key") << false << full << "stale";
        QTest::newRow("full value") << true << full << "EVS1";
        // Fewer than two characters after the last CN= keep the whole value, upper-cased.
        QTest::newRow("no CN=") << true << u"/o=Org/evs3"_s << "/O=ORG/EVS3";
        QTest::newRow("1 character after CN=") << true << u"/o=Org/cn=X"_s << "/O=ORG/CN=X";
        QTest::newRow("2 characters after CN=") << true << u"/o=Org/cn=XY"_s << "XY";
        QTest::newRow("no row") << true << QString() << "";
    }

    void clusterName()
    {
        QFETCH(bool, cluster);
        QFETCH(QString, homeServer);
        QFETCH(QString, clusterName);

        lab::Scenario scenario;
        const auto addAccount = [&scenario](const QString &account, const QString &value) {
            lab::MailboxUser user;
            user.cn = user.alias = account;
            user.homeServer = value;
            user.hasMailbox = false;
            lab::addMailboxUser(scenario, user);
        };
        scenario.machine.localMachineKeys = {cluster ? "Cluster" : "SOFTWARE"};
        scenario.machine.logonUserName = u"setupadmin"_s;
        // Another account homed elsewhere, which the query must not pick up.
        addAccount(u"otheradmin"_s, lab::homeServerValue("WRONG"));
        if (!homeServer.isEmpty())
            addAccount(u"setupadmin"_s, homeServer);
        LabFixture lab(scenario);
        lab.form.onLoad();
        QCOMPARE(lab.form.environment.runsOnClusterNode, cluster);
        lab.form.environment.clusterName = u"stale"_s;
        lab.form.onActivate();
        QCOMPARE(lab.form.environment.clusterName, clusterName);
        // Only the first activation loads.
        lab.form.environment.clusterName = u"kept"_s;
        lab.form.onActivate();
        QCOMPARE(lab.form.environment.clusterName, u"kept"_s);
    }

    void progress_data()
    {
        QTest::addColumn<double>("scaleWidth");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("increment");
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<QStringList>("shown");

        QTest::newRow("3 steps") << 3.0 << 0 << 1 << QList<int>{1, 2, 3}
                                 << QStringList{"33%", "67%", "100%"};
        QTest::newRow("8 steps, halves to even")
            << 8.0 << 0 << 1 << QList<int>{1, 2, 3, 4} << QStringList{"12%", "25%", "38%", "50%"};
        QTest::newRow("clamped past the end")
            << 4.0 << 3 << 5 << QList<int>{4, 4} << QStringList{"100%", "100%"};
    }

    void progress()
    {
        QFETCH(double, scaleWidth);
        QFETCH(int, start);
        QFETCH(int, increment);
        QFETCH(QList<int>, counts);
        QFETCH(QStringList, shown);

        ProgressBoxModel box(QStringLiteral("progressBox"));
        box.setScaleWidth(scaleWidth);
        qint32 count = start;
        for (int i = 0; i < counts.size(); ++i) {
            advanceProgress(count, increment, box);
            QCOMPARE(count, counts.at(i));
            QCOMPARE(box.barWidth(), double(counts.at(i)));
            QCOMPARE(box.text(), shown.at(i));
        }
        // A count that would overflow raises and stays where it was.
        count = std::numeric_limits<qint32>::max();
        try {
            advanceProgress(count, 1, box);
            QFAIL("an overflowing count must raise");
        } catch (const platform::PlatformError &error) {
            QCOMPARE(error.number, BasicNumbers::OverflowNumber);
        }
        QCOMPARE(count, std::numeric_limits<qint32>::max());
    }

    void progressTextOrigin()
    {
        // Free space halved with the remainder dropped, also when the text is wider.
        QCOMPARE(::progressTextOrigin(100, 20, 30, 10), QPointF(35, 5));
        QCOMPARE(::progressTextOrigin(101, 21, 30, 10), QPointF(35, 5));
        QCOMPARE(::progressTextOrigin(3, 20, 6, 24), QPointF(-1, -2));
        QCOMPARE(BasicNumbers::roundHalfEven(-2.5), -2.0);
        QCOMPARE(BasicNumbers::roundHalfEven(-3.5), -4.0);
    }

    // Stamps carry the seconds in every locale, so entries of one minute stay apart.
    void errorLog_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("C") << QLocale::c() << u"[14 Mar 2026 09:26:05]"_s;
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates)
                               << u"[3/14/26 9:26:05 AM]"_s;
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany)
                               << u"[14.03.26 09:26:05]"_s;
    }

    void errorLog()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, stamp);

        LabFixture lab;
        lab.form.errorLog.locale = locale;
        lab.form.errorLog.clock = [] {
            return QDateTime(QDate(2026, 3, 14), QTime(9, 26, 5));
        };
        lab.form.errorLog.add(u"mbx/ann"_s, int(0x80040E19), u"Not found."_s);
        lab.form.errorLog.add(QString(), 3704, QString());
        QCOMPARE(lab.form.errorLogEdit.text(),
                 stamp + "  - ERROR: 3704 \r\n\r\n" + stamp +
                     " mbx/ann - ERROR: -2147217895 Not found.\r\n\r\n");
        lab.form.errorLog.showIfAny();
        QVERIFY(lab.form.errorLogEdit.visible() && lab.form.clearErrorLogButton.visible());
        lab.form.onClearErrorLogClicked();
        QCOMPARE(lab.form.errorLogEdit.text(), QString());
        QVERIFY(!lab.form.errorLogEdit.visible() && !lab.form.clearErrorLogButton.visible());
        lab.form.errorLogEdit.setVisible(true);
        lab.form.errorLog.showIfAny();
        QVERIFY(!lab.form.errorLogEdit.visible());
    }

    void displayProblem_data()
    {
        QTest::addColumn<QString>("variables");
        QTest::addColumn<QString>("problem"); // empty: a window can open

        const QString none;
        row("nothing set", none, u"DISPLAY and WAYLAND_DISPLAY are not set"_s);
        row("X display that answers", u"DISPLAY=:971"_s, none);
        row("X display, screen given", u"DISPLAY=unix:971.0"_s, none);
        row("X display nobody serves", u"DISPLAY=:972"_s, u"DISPLAY=:972 does not answer"_s);
        row("X display on no host", u"DISPLAY=nohost.invalid:0"_s,
            u"DISPLAY=nohost.invalid:0 does not answer"_s);
        row("not a display name", u"DISPLAY=tv"_s, u"DISPLAY=tv is not a display name"_s);
        row("xcb without DISPLAY", u"QT_QPA_PLATFORM=xcb"_s, u"DISPLAY is not set"_s);
        row("offscreen", u"QT_QPA_PLATFORM=offscreen:fontengine=freetype"_s, none);
        row("offscreen despite a dead X display", u"QT_QPA_PLATFORM=offscreen DISPLAY=:972"_s,
            none);
        row("no such platform", u"QT_QPA_PLATFORM=bogus DISPLAY=:971"_s,
            u"QT_QPA_PLATFORM=bogus names no installed platform"_s);
        row("Wayland nobody serves", u"WAYLAND_DISPLAY=wayland-9 XDG_RUNTIME_DIR=/nonexistent"_s,
            u"WAYLAND_DISPLAY=wayland-9 does not answer"_s);
    }

    void displayProblem()
    {
        QFETCH(QString, variables);
        QFETCH(QString, problem);

        // An X server stand-in: a socket that accepts, where X clients look for display 971.
        QDir().mkpath(u"/tmp/.X11-unix"_s);
        QLocalServer::removeServer(u"/tmp/.X11-unix/X971"_s);
        QLocalServer display;
        QVERIFY(display.listen(u"/tmp/.X11-unix/X971"_s));

        QProcessEnvironment environment;
        environment.insert(u"HOME"_s, u"/tmp"_s);
        for (const QString &variable : variables.split(' ', Qt::SkipEmptyParts))
            environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
        QCOMPARE(::displayProblem(environment), problem);
    }

    void repaintLockHoldsLockWhileAlive()
    {
        RecordingScreen screen;
        {
            RepaintLock repaintLock(screen);
            repaintLock.lock(u"RecipientPickerDialog"_s);
            QCOMPARE(screen.lockedWindow, u"RecipientPickerDialog"_s);
        }
        QCOMPARE(screen.lockedWindow, QString());
        {
            RepaintLock repaintLock(screen, u"InstallWindow"_s);
            QCOMPARE(screen.lockedWindow, u"InstallWindow"_s);
        }
        QCOMPARE(screen.lockedWindow, QString());
    }
};

QTEST_GUILESS_MAIN(TestShell)
#include "tst_shell.moc"
