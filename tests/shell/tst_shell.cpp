#include "platform/platformerror.h"
#include "shell/basicnumbers.h"
#include "shell/displaycheck.h"
#include "shell/progress.h"
#include "shell/repaintlock.h"
#include "support/labfixture.h"

#include <limits>
#include <QLocale>
#include <QTest>

// The shell below the window: onLoad's machine facts, the batch switch, the cluster
// lookup of the first activation, progress, the error log, rounding, the display check
// and RepaintLock.
class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void environment_data()
    {
        QTest::addColumn<QString>("computer");
        QTest::addColumn<QString>("domain");
        QTest::addColumn<QStringList>("listing");
        // fullComputerName, fileMailboxRoot, httpMailboxRoot
        QTest::addColumn<QStringList>("expected");

        const QStringList exch01 = {
            "exch01.corp.example.local", "file://./backofficestorage/corp.example.local/mbx",
            "http://exch01.corp.example.local/exadmin/corp.example.local/mbx"};
        QTest::newRow("EXCH01 in Corp.Example.Local, nothing listed")
            << "EXCH01" << QString("Corp.Example.Local") << QStringList() << exch01;
        // The listed folder is used as listed, and only the first entry counts.
        QTest::newRow("listed folder replaces the DNS name in both URLs")
            << "Mail2" << QString("AD.example.ORG") << QStringList{"Example.Org", "other"}
            << QStringList{"mail2.ad.example.org", "file://./backofficestorage/Example.Org/mbx",
                           "http://mail2.ad.example.org/exadmin/Example.Org/mbx"};
        QTest::newRow("empty first entry keeps the DNS name")
            << "EXCH01" << QString("corp.example.local") << QStringList{"", "late.example"}
            << exch01;
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
        LabFixture lab(scenario);
        lab.form.onLoad();
        QCOMPARE(lab.form.shortComputerName, computer.toLower());
        QCOMPARE(lab.form.domainDnsName, domain.toLower());
        QCOMPARE((QStringList{lab.form.fullComputerName, lab.form.fileMailboxRoot,
                              lab.form.httpMailboxRoot}),
                 expected);
        QCOMPARE(lab.form.globals.globalCatalogPath,
                 QStringLiteral("GC://dc01.corp.example.local"));
        QVERIFY(lab.form.globals.directoryConnection->isOpen());
        // Prepared for the inbox probes, which open it per mailbox.
        QVERIFY(!lab.form.globals.storeConnection->isOpen());
    }

    void batchSwitch_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<bool>("batch");

        QTest::newRow("/B") << "/B" << true;
        QTest::newRow("-batch") << "-batch" << true;
        QTest::newRow("-b") << "-b" << true;
        QTest::newRow("/b with more") << "/b extra words" << true;
        QTest::newRow("b") << "b" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("leading space") << " -b" << false;
        QTest::newRow("backslash") << "\\b" << false;
    }

    void batchSwitch()
    {
        QFETCH(QString, commandLine);
        QFETCH(bool, batch);

        LabFixture lab({}, commandLine);
        lab.form.onLoad();
        QCOMPARE(lab.form.batchMode, batch);
        QCOMPARE(lab.form.caption, batch ? QStringLiteral("Kestrelon setup - batch mode")
                                         : QStringLiteral("Kestrelon setup"));
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
        QTest::newRow("no CN=") << true << QString("/o=Org/evs3") << "/O=ORG/EVS3";
        QTest::newRow("CN= at the end") << true << QString("/o=Org/cn=") << "/O=ORG/CN=";
        QTest::newRow("1 character after CN=") << true << QString("/o=Org/cn=X") << "/O=ORG/CN=X";
        QTest::newRow("2 characters after CN=") << true << QString("/o=Org/cn=XY") << "XY";
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
        scenario.machine.logonUserName = QStringLiteral("setupadmin");
        // Another account homed elsewhere, which the query must not pick up.
        addAccount(QStringLiteral("otheradmin"), lab::homeServerValue("WRONG"));
        if (!homeServer.isEmpty())
            addAccount(QStringLiteral("setupadmin"), homeServer);
        LabFixture lab(scenario);
        lab.form.onLoad();
        QCOMPARE(lab.form.runsOnClusterNode, cluster);
        QCOMPARE(lab.form.clusterName, QString());

        lab.form.clusterName = QStringLiteral("stale");
        lab.form.onActivate();
        QCOMPARE(lab.form.clusterName, clusterName);
        // Only the first activation loads.
        lab.form.clusterName = QStringLiteral("kept");
        lab.form.onActivate();
        QCOMPARE(lab.form.clusterName, QStringLiteral("kept"));
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
            << 8.0 << 0 << 1 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8}
            << QStringList{"12%", "25%", "38%", "50%", "62%", "75%", "88%", "100%"};
        QTest::newRow("clamped past the end")
            << 4.0 << 3 << 5 << QList<int>{4, 4} << QStringList{"100%", "100%"};
        // 2.5 rounds to the even 2, which is 80% of the scale.
        QTest::newRow("clamped to a fractional scale")
            << 2.5 << 2 << 1 << QList<int>{2, 2} << QStringList{"80%", "80%"};
    }

    void progress()
    {
        QFETCH(double, scaleWidth);
        QFETCH(int, start);
        QFETCH(int, increment);
        QFETCH(QList<int>, counts);
        QFETCH(QStringList, shown);

        LabFixture lab;
        lab.form.progressBox.setScaleWidth(scaleWidth);
        lab.form.globals.progressCount = start;
        for (int i = 0; i < counts.size(); ++i) {
            qint32 step = increment;
            lab.form.advanceProgress(step, lab.form.progressBox);
            QCOMPARE(lab.form.globals.progressCount, counts.at(i));
            QCOMPARE(lab.form.progressBox.barWidth(), double(counts.at(i)));
            QCOMPARE(lab.form.progressBox.text(), shown.at(i));
        }
    }

    void progressOverflowRaises()
    {
        LabFixture lab;
        lab.form.progressBox.setScaleWidth(10);
        lab.form.globals.progressCount = std::numeric_limits<qint32>::max();
        qint32 increment = 1;
        try {
            lab.form.advanceProgress(increment, lab.form.progressBox);
            QFAIL("an overflowing count must raise");
        } catch (const platform::PlatformError &error) {
            QCOMPARE(error.number, 6);
            QCOMPARE(error.description, QStringLiteral("Overflow"));
        }
        QCOMPARE(lab.form.globals.progressCount, std::numeric_limits<qint32>::max());
    }

    void progressTextOrigin()
    {
        // Free space halved with the remainder dropped, also when the text is wider.
        QCOMPARE(::progressTextOrigin(100, 20, 30, 10), QPointF(35, 5));
        QCOMPARE(::progressTextOrigin(101, 21, 30, 10), QPointF(35, 5));
        QCOMPARE(::progressTextOrigin(3, 20, 6, 24), QPointF(-1, -2));
    }

    void roundsNegativeHalvesToEven()
    {
        // Positive halves are covered by the 8-step walk.
        QCOMPARE(BasicNumbers::roundHalfEven(-2.5), -2.0);
        QCOMPARE(BasicNumbers::roundHalfEven(-3.5), -4.0);
    }

    void errorLogNewestFirstThenCleared()
    {
        LabFixture lab;
        const QDateTime time(QDate(2026, 3, 14), QTime(9, 26, 53));
        lab.form.errorLog.clock = [time] {
            return time;
        };
        const QString stamp = '[' + QLocale::system().toString(time, QLocale::ShortFormat) + ']';

        lab.form.errorLog.add(QStringLiteral("mbx/ann"), int(0x80040E19),
                              QStringLiteral("Not found."));
        lab.form.errorLog.add(QString(), 3704, QString());
        QCOMPARE(lab.form.errorLogEdit.text(),
                 stamp + "  - ERROR: 3704 \r\n\r\n" + stamp +
                     " mbx/ann - ERROR: -2147217895 Not found.\r\n\r\n");
        lab.form.showErrorLogIfAny();
        QVERIFY(lab.form.errorLogEdit.visible());
        QVERIFY(lab.form.clearErrorLogButton.visible());

        lab.form.onClearErrorLogClicked();
        QCOMPARE(lab.form.errorLogEdit.text(), QString());
        QVERIFY(!lab.form.errorLogEdit.visible());
        QVERIFY(!lab.form.clearErrorLogButton.visible());
        // An empty log hides controls that were shown.
        lab.form.errorLogEdit.setVisible(true);
        lab.form.clearErrorLogButton.setVisible(true);
        lab.form.showErrorLogIfAny();
        QVERIFY(!lab.form.errorLogEdit.visible());
        QVERIFY(!lab.form.clearErrorLogButton.visible());
    }

    void displayAvailable_data()
    {
        QTest::addColumn<QString>("variables");
        QTest::addColumn<bool>("available");

        QTest::newRow("nothing set") << "" << false;
        QTest::newRow("X display") << "DISPLAY=:0" << true;
        QTest::newRow("Wayland display") << "WAYLAND_DISPLAY=wayland-0" << true;
        QTest::newRow("offscreen") << "QT_QPA_PLATFORM=offscreen:fontengine=freetype" << true;
        QTest::newRow("xcb without display") << "QT_QPA_PLATFORM=xcb WAYLAND_DISPLAY=w-0" << false;
        QTest::newRow("xcb with display") << "QT_QPA_PLATFORM=xcb DISPLAY=:99" << true;
        QTest::newRow("wayland-egl on X only") << "QT_QPA_PLATFORM=wayland-egl DISPLAY=:0" << false;
        QTest::newRow("wayland") << "QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=w-1" << true;
    }

    void displayAvailable()
    {
        QFETCH(QString, variables);
        QFETCH(bool, available);

        QProcessEnvironment environment;
        environment.insert(QStringLiteral("HOME"), QStringLiteral("/tmp"));
        for (const QString &variable : variables.split(' ', Qt::SkipEmptyParts))
            environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
        QCOMPARE(::displayAvailable(environment), available);
    }

    void repaintLockHoldsLockWhileAlive()
    {
        RecordingScreen screen;
        {
            RepaintLock repaintLock(screen);
            repaintLock.lock(QStringLiteral("RecipientPickerDialog"));
            QCOMPARE(screen.lockedWindow, QStringLiteral("RecipientPickerDialog"));
        }
        QCOMPARE(screen.lockedWindow, QString());
        {
            RepaintLock repaintLock(screen, QStringLiteral("InstallWindow"));
            QCOMPARE(screen.lockedWindow, QStringLiteral("InstallWindow"));
        }
        QCOMPARE(screen.lockedWindow, QString());
    }
};

QTEST_GUILESS_MAIN(TestShell)
#include "tst_shell.moc"
