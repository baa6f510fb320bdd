#include "platform/platformerror.h"
#include "shell/installform.h"
#include "shell/labfixture.h"
#include "shell/progress.h"
#include "shell/recordingscreen.h"

#include <limits>
#include <QTest>

class TestUpdateStatus : public QObject
{
    Q_OBJECT

private slots:
    void walk_data();
    void walk();
    void clampsAtScaleWidth();
    void clampRoundsFractionalScale();
    void overflowRaises();
    void textOrigin_data();
    void textOrigin();
};

void TestUpdateStatus::walk_data()
{
    QTest::addColumn<int>("steps");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("3 steps") << 3 << QStringList{"33%", "67%", "100%"};
    QTest::newRow("8 steps, halves to even")
        << 8 << QStringList{"12%", "25%", "38%", "50%", "62%", "75%", "88%", "100%"};
    QTest::newRow("200 steps, 0.5% rounds down at step 1")
        << 200 << QStringList{"0%", "1%", "2%", "2%", "2%", "3%"};
}

void TestUpdateStatus::walk()
{
    QFETCH(int, steps);
    QFETCH(QStringList, shown);

    LabFixture lab{lab::Scenario()};
    RecordingScreen screen;
    InstallForm form(*lab.platform, screen);
    form.globals.ProgressCount = 0;
    form.Picture1.setScaleWidth(steps);
    for (int step = 1; step <= shown.size(); ++step) {
        qint32 increment = 1;
        form.UpdateStatus(increment, form.Picture1);
        QCOMPARE(form.Picture1.text(), shown.at(step - 1));
        QCOMPARE(form.Picture1.barWidth(), double(step));
        QCOMPARE(form.globals.ProgressCount, step);
    }
}

void TestUpdateStatus::clampsAtScaleWidth()
{
    LabFixture lab{lab::Scenario()};
    RecordingScreen screen;
    InstallForm form(*lab.platform, screen);
    form.Picture1.setScaleWidth(4);
    form.globals.ProgressCount = 3;
    qint32 increment = 5;
    form.UpdateStatus(increment, form.Picture1);
    QCOMPARE(form.globals.ProgressCount, 4);
    QCOMPARE(form.Picture1.barWidth(), 4.0);
    QCOMPARE(form.Picture1.text(), QStringLiteral("100%"));

    increment = 1;
    form.UpdateStatus(increment, form.Picture1);
    QCOMPARE(form.globals.ProgressCount, 4);
    QCOMPARE(form.Picture1.text(), QStringLiteral("100%"));
}

void TestUpdateStatus::clampRoundsFractionalScale()
{
    LabFixture lab{lab::Scenario()};
    RecordingScreen screen;
    InstallForm form(*lab.platform, screen);
    form.Picture1.setScaleWidth(2.5);
    form.globals.ProgressCount = 2;
    qint32 increment = 1;
    form.UpdateStatus(increment, form.Picture1);
    // 2.5 rounds to the even 2, which is 80% of the scale.
    QCOMPARE(form.globals.ProgressCount, 2);
    QCOMPARE(form.Picture1.text(), QStringLiteral("80%"));
}

void TestUpdateStatus::overflowRaises()
{
    LabFixture lab{lab::Scenario()};
    RecordingScreen screen;
    InstallForm form(*lab.platform, screen);
    form.Picture1.setScaleWidth(10);
    form.globals.ProgressCount = std::numeric_limits<qint32>::max();
    qint32 increment = 1;
    try {
        form.UpdateStatus(increment, form.Picture1);
        QFAIL("an overflowing count must raise");
    } catch (const platform::PlatformError &error) {
        QCOMPARE(error.number, 6);
        QCOMPARE(error.description, QStringLiteral("Overflow"));
    }
    QCOMPARE(form.globals.ProgressCount, std::numeric_limits<qint32>::max());
}

void TestUpdateStatus::textOrigin_data()
{
    QTest::addColumn<double>("scaleWidth");
    QTest::addColumn<double>("scaleHeight");
    QTest::addColumn<double>("textWidth");
    QTest::addColumn<double>("textHeight");
    QTest::addColumn<QPointF>("origin");

    QTest::newRow("even free space") << 100.0 << 20.0 << 30.0 << 10.0 << QPointF(35, 5);
    QTest::newRow("odd free space drops the remainder")
        << 101.0 << 21.0 << 30.0 << 10.0 << QPointF(35, 5);
    QTest::newRow("free 2.5 rounds to 2") << 3.0 << 20.0 << 0.5 << 10.0 << QPointF(1, 5);
    QTest::newRow("text wider than the box") << 3.0 << 20.0 << 6.0 << 24.0 << QPointF(-1, -2);
}

void TestUpdateStatus::textOrigin()
{
    QFETCH(double, scaleWidth);
    QFETCH(double, scaleHeight);
    QFETCH(double, textWidth);
    QFETCH(double, textHeight);
    QFETCH(QPointF, origin);

    QCOMPARE(progressTextOrigin(scaleWidth, scaleHeight, textWidth, textHeight), origin);
}

QTEST_GUILESS_MAIN(TestUpdateStatus)
#include "tst_updatestatus.moc"
