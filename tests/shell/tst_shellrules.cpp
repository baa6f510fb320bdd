#include "platform/platformerror.h"
#include "shell/basicnumbers.h"
#include "shell/batchswitch.h"
#include "shell/displaycheck.h"
#include "shell/freeze.h"
#include "shell/recordingscreen.h"

#include <limits>
#include <QTest>

// The small rules of the shell: the batch switch, rounding, overflow, the display check
// and the repaint lock.
class TestShellRules : public QObject
{
    Q_OBJECT

private slots:
    void batchSwitch_data();
    void batchSwitch();
    void roundHalfEven_data();
    void roundHalfEven();
    void addLongOverflows_data();
    void addLongOverflows();
    void toLongRange();
    void divideByZero();
    void displayAvailable_data();
    void displayAvailable();
    void headlessPlatform_data();
    void headlessPlatform();
    void freezeHoldsLockWhileAlive();
    void freezeWithoutFormUnlocksNothing();
};

void TestShellRules::batchSwitch_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<bool>("batch");

    QTest::newRow("/B") << "/B" << true;
    QTest::newRow("-batch") << "-batch" << true;
    QTest::newRow("-b") << "-b" << true;
    QTest::newRow("/b with more") << "/b extra words" << true;
    QTest::newRow("-B") << "-B" << true;
    QTest::newRow("b") << "b" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("leading space") << " -b" << false;
    QTest::newRow("dash only") << "-" << false;
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
    QTest::newRow("12.500001") << 12.500001 << 13.0;
    QTest::newRow("-0.4") << -0.4 << 0.0;
}

void TestShellRules::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(double, rounded);
    QCOMPARE(basic::roundHalfEven(value), rounded);
}

void TestShellRules::addLongOverflows_data()
{
    QTest::addColumn<qint32>("a");
    QTest::addColumn<qint32>("b");
    QTest::addColumn<bool>("overflows");
    QTest::addColumn<qint32>("sum");

    const qint32 max = std::numeric_limits<qint32>::max();
    const qint32 min = std::numeric_limits<qint32>::min();
    QTest::newRow("small") << 3 << 4 << false << 7;
    QTest::newRow("up to max") << max - 1 << 1 << false << max;
    QTest::newRow("past max") << max << 1 << true << 0;
    QTest::newRow("down to min") << min + 1 << -1 << false << min;
    QTest::newRow("past min") << min << -1 << true << 0;
}

void TestShellRules::addLongOverflows()
{
    QFETCH(qint32, a);
    QFETCH(qint32, b);
    QFETCH(bool, overflows);
    QFETCH(qint32, sum);

    try {
        const qint32 result = basic::addLong(a, b);
        QVERIFY(!overflows);
        QCOMPARE(result, sum);
    } catch (const platform::PlatformError &error) {
        QVERIFY(overflows);
        QCOMPARE(error.number, basic::OverflowNumber);
        QCOMPARE(error.description, QStringLiteral("Overflow"));
    }
}

void TestShellRules::toLongRange()
{
    QCOMPARE(basic::toLong(2147483647.4), std::numeric_limits<qint32>::max());
    QCOMPARE(basic::toLong(-2147483648.0), std::numeric_limits<qint32>::min());
    QCOMPARE(basic::toLong(2.5), 2);
    QVERIFY_THROWS_EXCEPTION(platform::PlatformError, basic::toLong(2147483647.5));
    QVERIFY_THROWS_EXCEPTION(platform::PlatformError, basic::toLong(-2147483649.0));
}

void TestShellRules::divideByZero()
{
    try {
        basic::divide(0, 0);
        QFAIL("0 / 0 must raise");
    } catch (const platform::PlatformError &error) {
        QCOMPARE(error.number, basic::OverflowNumber);
    }
    try {
        basic::divide(1, 0);
        QFAIL("1 / 0 must raise");
    } catch (const platform::PlatformError &error) {
        QCOMPARE(error.number, basic::DivisionByZeroNumber);
    }
    QCOMPARE(basic::divide(3, 8), 0.375);
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

void TestShellRules::headlessPlatform_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("headless");

    QTest::newRow("offscreen") << "offscreen" << true;
    QTest::newRow("minimal") << "minimal" << true;
    QTest::newRow("xcb") << "xcb" << false;
    QTest::newRow("wayland") << "wayland" << false;
}

void TestShellRules::headlessPlatform()
{
    QFETCH(QString, name);
    QFETCH(bool, headless);
    QCOMPARE(isHeadlessPlatform(name), headless);
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

void TestShellRules::freezeWithoutFormUnlocksNothing()
{
    RecordingScreen screen;
    screen.lockRepaint(QStringLiteral("InstallForm"));
    {
        Freeze idle(screen);
    }
    QCOMPARE(screen.lockedWindow, QStringLiteral("InstallForm"));
}

QTEST_GUILESS_MAIN(TestShellRules)
#include "tst_shellrules.moc"
