#include "condition/numberreader.h"

#include <cmath>
#include <QtTest>

// The condition language's number rule, independent of the locale.
class TestNumberReader : public QObject
{
    Q_OBJECT
private slots:
    void reads_data();
    void reads();
};

void TestNumberReader::reads_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("integer") << "42" << 42.0;
    QTest::newRow("negative") << "-7" << -7.0;
    QTest::newRow("plus sign") << "+7" << 7.0;
    QTest::newRow("fraction") << "3.25" << 3.25;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("trailing point") << "5." << 5.0;
    QTest::newRow("blanks skipped everywhere") << " 1 2\t3\n4" << 1234.0;
    QTest::newRow("blank between sign and digits") << "- 5" << -5.0;
    QTest::newRow("stops at letter") << "12abc" << 12.0;
    QTest::newRow("no leading number") << "abc" << 0.0;
    QTest::newRow("equals sign") << "=3" << 0.0;
    QTest::newRow("comma stops") << "3,5" << 3.0;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("exponent upper") << "2E2" << 200.0;
    QTest::newRow("negative exponent") << "5e-1" << 0.5;
    QTest::newRow("exponent with blanks") << "1 e 2" << 100.0;
    QTest::newRow("exponent without digits") << "7e" << 7.0;
    QTest::newRow("exponent sign without digits") << "7e+" << 7.0;
    QTest::newRow("double sign") << "--5" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("carriage return stops") << "1\r2" << 1.0;
    QTest::newRow("hex prefix unsupported") << "&H10" << 0.0;
    QTest::newRow("tiny") << "1e-999" << 0.0;
    QTest::newRow("tiny by zeros") << "0." + QString(400, QLatin1Char('0')) + "1" << 0.0;
    QTest::newRow("huge") << "1e999" << HUGE_VAL;
    QTest::newRow("huge negative") << "-1e999" << -HUGE_VAL;
    QTest::newRow("huge by digits") << "9" + QString(400, QLatin1Char('0')) << HUGE_VAL;
    QTest::newRow("huge exponent digits") << "1e99999999999999999999" << HUGE_VAL;
}

void TestNumberReader::reads()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(basParser::readNumber(text), expected);
}

QTEST_GUILESS_MAIN(TestNumberReader)
#include "tst_numberreader.moc"
