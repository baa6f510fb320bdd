#include "shell/basicnumbers.h"
#include "shell/batchswitch.h"
#include "shell/displaycheck.h"
#include "shell/freeze.h"
#include "shell/recordingscreen.h"

#include <limits>
#include <QTest>

// The small rules of the shell: the batch switch, rounding, the display check, Freeze.
class TestShellRules : public QObject
{
    Q_OBJECT

private slots:
    void batchSwitch_data();
    void batchSwitch();
    void roundHalfEven_data();
    void roundHalfEven();
    void displayAvailable_data();
    void displayAvailable();
    void freezeHoldsLockWhileAlive();
};

void TestShellRules::batchSwitch_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<bool>("batch");

    QTest::newRow("/B") << "/B" << true;
    QTest::newRow("-batch") << "-batch" << true;
    QTest::newRow("-b") << "-b" << true;
    QTest::newRow("/b with more") << "/b extra words" << true;
    QTest::newRow("b") << "b" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("leading space") << " -b" << false;
    QTest::newRow("backslash") << "\\b" << false;
    QTest::newRow("switch later") << "-x -b" << false;
}

void TestShellRules::batchSwitch()
{
    QFETCH(QString, arguments);
    QFETCH(bool, batch);
    QCOMPARE(isBatchSwitch(arguments), batch);
}

void TestShellRules::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");

    QTest::newRow("12.5") << 12.5 << 12.0;
    QTest::newRow("37.5") << 37.5 << 38.0;
    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("-3.5") << -3.5 << -4.0;
    QTest::newRow("33.33") << 100.0 / 3 << 33.0;
    QTest::newRow("66.67") << 200.0 / 3 << 67.0;
}

void TestShellRules::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(double, rounded);
    QCOMPARE(basic::roundHalfEven(value), rounded);
}

void TestShellRules::displayAvailable_data()
{
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("waylandDisplay");
    QTest::addColumn<bool>("available");

    QTest::newRow("nothing set") << ""
                                 << ""
                                 << "" << false;
    QTest::newRow("X display") << ""
                               << ":0"
                               << "" << true;
    QTest::newRow("Wayland display") << ""
                                     << ""
                                     << "wayland-0" << true;
    QTest::newRow("offscreen") << "offscreen"
                               << ""
                               << "" << true;
    QTest::newRow("minimal") << "minimal"
                             << ""
                             << "" << true;
    QTest::newRow("offscreen with options") << "offscreen:fontengine=freetype"
                                            << ""
                                            << "" << true;
    QTest::newRow("xcb without display") << "xcb"
                                         << ""
                                         << "wayland-0" << false;
    QTest::newRow("xcb with display") << "xcb"
                                      << ":99"
                                      << "" << true;
    QTest::newRow("wayland without display") << "wayland"
                                             << ":0"
                                             << "" << false;
    QTest::newRow("wayland-egl with display") << "wayland-egl"
                                              << ""
                                              << "wayland-1" << true;
}

void TestShellRules::displayAvailable()
{
    QFETCH(QString, platform);
    QFETCH(QString, display);
    QFETCH(QString, waylandDisplay);
    QFETCH(bool, available);

    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), QStringLiteral("/tmp"));
    if (!platform.isEmpty())
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    if (!display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), display);
    if (!waylandDisplay.isEmpty())
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), waylandDisplay);
    QCOMPARE(::displayAvailable(environment), available);
}

void TestShellRules::freezeHoldsLockWhileAlive()
{
    RecordingScreen screen;
    {
        Freeze freeze(screen);
        QCOMPARE(screen.lockedWindow, QString());
        freeze.Form(QStringLiteral("SelectRecipient"));
        QCOMPARE(screen.lockedWindow, QStringLiteral("SelectRecipient"));
    }
    QCOMPARE(screen.lockedWindow, QString());
    {
        Freeze freeze(screen, QStringLiteral("InstallForm"));
        QCOMPARE(screen.lockedWindow, QStringLiteral("InstallForm"));
    }
    QCOMPARE(screen.lockedWindow, QString());
}

QTEST_GUILESS_MAIN(TestShellRules)
#include "tst_shellrules.moc"
