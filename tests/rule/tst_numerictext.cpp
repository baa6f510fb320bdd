#include "rule/numerictext.h"

#include <QtTest>

// The editor's numeric test of typed SCL values and priorities.
class TestNumericText : public QObject
{
    Q_OBJECT
private slots:
    void reads_data();
    void reads();
};

void TestNumericText::reads_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<double>("value");

    QTest::newRow("digits") << "65535" << true << 65535.0;
    QTest::newRow("surrounding spaces") << "  12 " << true << 12.0;
    QTest::newRow("inner space") << "6 5" << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("spaces only") << "   " << false << 0.0;
    QTest::newRow("negative") << "-1" << true << -1.0;
    QTest::newRow("plus") << "+5" << true << 5.0;
    QTest::newRow("fraction") << "1.5" << true << 1.5;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("point only") << "." << false << 0.0;
    QTest::newRow("sign only") << "-" << false << 0.0;
    QTest::newRow("exponent") << "1e3" << true << 1000.0;
    QTest::newRow("d exponent") << "2D2" << true << 200.0;
    QTest::newRow("exponent without digits") << "1e" << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("trailing letter") << "12a" << false << 0.0;
    QTest::newRow("tab is not a space") << "\t5" << false << 0.0;
    QTest::newRow("too large for a double") << "1e400" << true << HUGE_VAL;
    QTest::newRow("long digits") << QString(40, QLatin1Char('9')) << true << 1e40;
}

void TestNumericText::reads()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QFETCH(double, value);
    const std::optional<double> read = readNumericText(text);
    QCOMPARE(read.has_value(), numeric);
    if (numeric)
        QCOMPARE(*read, value);
}

QTEST_GUILESS_MAIN(TestNumericText)
#include "tst_numerictext.moc"
