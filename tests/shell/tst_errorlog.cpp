#include "shell/installform.h"
#include "shell/labfixture.h"
#include "shell/recordingscreen.h"

#include <QLocale>
#include <QTest>

class TestErrorLog : public QObject
{
    Q_OBJECT

private slots:
    void entryFormat_data();
    void entryFormat();
    void newestFirstThenCleared();
    void visibilityFollowsText_data();
    void visibilityFollowsText();
};

namespace {

const QDateTime fixedTime(QDate(2026, 3, 14), QTime(9, 26, 53));

} // namespace

void TestErrorLog::entryFormat_data()
{
    QTest::addColumn<QString>("subject");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("afterTimestamp");

    QTest::newRow("store url")
        << "file://./backofficestorage/corp.example.local/mbx/ann" << int(0x80040E19)
        << "Object not found."
        << "] file://./backofficestorage/corp.example.local/mbx/ann - ERROR: -2147217895 "
           "Object not found.\r\n\r\n";
    QTest::newRow("empty subject: two spaces")
        << "" << 3704 << "Operation is not allowed when the object is closed."
        << "]  - ERROR: 3704 Operation is not allowed when the object is closed.\r\n\r\n";
    QTest::newRow("empty description") << "x" << 5 << ""
                                       << "] x - ERROR: 5 \r\n\r\n";
}

void TestErrorLog::entryFormat()
{
    QFETCH(QString, subject);
    QFETCH(int, number);
    QFETCH(QString, description);
    QFETCH(QString, afterTimestamp);

    TextBoxModel txtErr;
    ErrorLog log(txtErr);
    log.clock = [] {
        return fixedTime;
    };
    const QString stamp = QLocale::system().toString(fixedTime, QLocale::ShortFormat);
    QCOMPARE(log.ErrorLogEntry(subject, number, description),
             QLatin1Char('[') + stamp + afterTimestamp);
}

void TestErrorLog::newestFirstThenCleared()
{
    LabFixture lab{lab::Scenario()};
    RecordingScreen screen;
    InstallForm form(*lab.platform, screen);
    form.errorLog.clock = [] {
        return fixedTime;
    };
    const QString stamp = form.errorLog.timestamp();

    form.errorLog.add(QStringLiteral("first"), 1, QStringLiteral("one"));
    form.errorLog.add(QStringLiteral("second"), 2, QStringLiteral("two"));
    QCOMPARE(form.txtErr.text(), QLatin1Char('[') + stamp + "] second - ERROR: 2 two\r\n\r\n" +
                                     QLatin1Char('[') + stamp + "] first - ERROR: 1 one\r\n\r\n");
    form.showErrorLogIfAny();
    QVERIFY(form.txtErr.visible());
    QVERIFY(form.Command3.visible());

    form.Command3_Click();
    QCOMPARE(form.txtErr.text(), QString());
    QVERIFY(!form.txtErr.visible());
    QVERIFY(!form.Command3.visible());
    QVERIFY(form.errorLog.isEmpty());
}

void TestErrorLog::visibilityFollowsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wasVisible");
    QTest::addColumn<bool>("shown");

    QTest::newRow("empty, hidden before") << "" << false << false;
    QTest::newRow("empty, shown before") << "" << true << false;
    QTest::newRow("text, hidden before") << "[x] y - ERROR: 1 z\r\n\r\n" << false << true;
}

void TestErrorLog::visibilityFollowsText()
{
    QFETCH(QString, text);
    QFETCH(bool, wasVisible);
    QFETCH(bool, shown);

    LabFixture lab{lab::Scenario()};
    RecordingScreen screen;
    InstallForm form(*lab.platform, screen);
    QVERIFY(!form.txtErr.visible());
    QVERIFY(!form.Command3.visible());
    form.txtErr.setVisible(wasVisible);
    form.Command3.setVisible(wasVisible);
    form.txtErr.setText(text);
    form.showErrorLogIfAny();
    QCOMPARE(form.txtErr.visible(), shown);
    QCOMPARE(form.Command3.visible(), shown);
}

QTEST_GUILESS_MAIN(TestErrorLog)
#include "tst_errorlog.moc"
