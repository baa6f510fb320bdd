#include "condition/wildcardpattern.h"

#include <QtTest>

// The wildcard pattern matcher on its own: every pattern element and the invalid forms.
class TestWildcardPattern : public QObject
{
    Q_OBJECT
private slots:
    void matches_data();
    void matches();
    void manyRunsAgainstLongText();
};

void TestWildcardPattern::matches_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");

    QTest::newRow("empty both") << ""
                                << "" << true;
    QTest::newRow("empty pattern") << ""
                                   << "A" << false;
    QTest::newRow("literal") << "ABC"
                             << "ABC" << true;
    QTest::newRow("literal is exact case") << "ABC"
                                           << "abc" << false;
    QTest::newRow("whole text only") << "AB"
                                     << "ABC" << false;
    QTest::newRow("run empty") << "A*B"
                               << "AB" << true;
    QTest::newRow("run long") << "A*B"
                              << "AXYZB" << true;
    QTest::newRow("run at end") << "A*"
                                << "A" << true;
    QTest::newRow("runs collapse") << "***"
                                   << "" << true;
    QTest::newRow("run retried") << "*AB"
                                 << "AAAB" << true;
    QTest::newRow("run retried fails") << "*AB*C"
                                       << "ABABAB" << false;
    QTest::newRow("two runs") << "*A*B*"
                              << "XXAYYBZZ" << true;
    QTest::newRow("two runs wrong order") << "*A*B*"
                                          << "XXBYYAZZ" << false;
    QTest::newRow("any char") << "A?C"
                              << "ABC" << true;
    QTest::newRow("any char needs one") << "A?C"
                                        << "AC" << false;
    QTest::newRow("digit") << "#"
                           << "7" << true;
    QTest::newRow("digit rejects letter") << "#"
                                          << "A" << false;
    QTest::newRow("digit rejects other digits") << "#" << QString(QChar(0x0663)) << false;
    QTest::newRow("list") << "[ABC]"
                          << "B" << true;
    QTest::newRow("list miss") << "[ABC]"
                               << "D" << false;
    QTest::newRow("list takes one") << "[ABC]"
                                    << "AB" << false;
    QTest::newRow("range low") << "[A-Z]"
                               << "A" << true;
    QTest::newRow("range high") << "[A-Z]"
                                << "Z" << true;
    QTest::newRow("range outside") << "[A-Z]"
                                   << "0" << false;
    QTest::newRow("two ranges") << "[0-9A-F]"
                                << "E" << true;
    QTest::newRow("negated") << "[!A-Z]"
                             << "5" << true;
    QTest::newRow("negated miss") << "[!A-Z]"
                                  << "Q" << false;
    QTest::newRow("dash first") << "[-A]"
                                << "-" << true;
    QTest::newRow("dash last") << "[A-]"
                               << "-" << true;
    QTest::newRow("dash last letter") << "[A-]"
                                      << "A" << true;
    QTest::newRow("dash after not") << "[!-]"
                                    << "-" << false;
    QTest::newRow("literal star") << "[*]"
                                  << "*" << true;
    QTest::newRow("literal star only") << "[*]"
                                       << "X" << false;
    QTest::newRow("literal question") << "[?]"
                                      << "?" << true;
    QTest::newRow("literal question only") << "[?]"
                                           << "X" << false;
    QTest::newRow("literal hash") << "[#]"
                                  << "#" << true;
    QTest::newRow("literal hash only") << "[#]"
                                       << "5" << false;
    QTest::newRow("literal bracket") << "[[]"
                                     << "[" << true;
    QTest::newRow("bare closing bracket") << "A]"
                                          << "A]" << true;
    QTest::newRow("empty list matches nothing") << "A[]B"
                                                << "AB" << true;
    QTest::newRow("negated empty list") << "[!]"
                                        << "X" << true;
    QTest::newRow("unclosed bracket") << "A[BC"
                                      << "AB" << false;
    QTest::newRow("unclosed bracket after run") << "*["
                                                << "[" << false;
    QTest::newRow("descending range") << "[Z-A]"
                                      << "M" << false;
    QTest::newRow("descending range unused") << "A*[Z-A]"
                                             << "A" << false;
    QTest::newRow("single-letter range") << "[M-M]"
                                         << "M" << true;
}

void TestWildcardPattern::matches()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(basParser::matchesWildcard(text, pattern), expected);
}

void TestWildcardPattern::manyRunsAgainstLongText()
{
    QString pattern;
    for (int i = 0; i < 100; ++i)
        pattern += QLatin1String("*X");
    const QString miss(32767, QLatin1Char('A'));
    QVERIFY(!basParser::matchesWildcard(miss, pattern));
    const QString hit = QString(32667, QLatin1Char('A')) + QString(100, QLatin1Char('X'));
    QVERIFY(basParser::matchesWildcard(hit, pattern));
}

QTEST_GUILESS_MAIN(TestWildcardPattern)
#include "tst_wildcardpattern.moc"
