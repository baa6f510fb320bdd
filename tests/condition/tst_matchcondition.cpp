#include "condition/basparser.h"

#include <QtTest>

// MatchCondition over the condition language: escapes, comparison groups, patterns.
class TestMatchCondition : public QObject
{
    Q_OBJECT
private slots:
    void matches_data();
    void matches();
    void rewritesArgumentsInPlace_data();
    void rewritesArgumentsInPlace();
};

void TestMatchCondition::matches_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("expected");

    // The language's own table of cases.
    QTest::newRow("greater") << "{> 3}"
                             << "5" << true;
    QTest::newRow("strict") << "{> 3}"
                            << "3" << false;
    QTest::newRow("fraction") << "{> 3}"
                              << "3.5" << true;
    QTest::newRow("prefix") << "IMFSCL: {> 3}"
                            << "IMFSCL: 5" << true;
    QTest::newRow("prefix case, trimmed remainder") << "IMFSCL: {> 3}"
                                                    << "imfscl:5" << true;
    QTest::newRow("empty trailer vs points") << "IMFSCL: {> 3}"
                                             << "IMFSCL: 5 points" << false;
    QTest::newRow("trailer ignores case") << "Score: {>5} points"
                                          << "Score: 7.5 POINTS" << true;
    QTest::newRow("two bounds inside") << "{>3<7}"
                                       << "5" << true;
    QTest::newRow("two bounds above") << "{>3<7}"
                                      << "8" << false;
    QTest::newRow("same second operator ignored") << "{<3<7}"
                                                  << "5" << false;
    QTest::newRow("comma threshold") << "{> 3,5}"
                                     << "4" << true;
    QTest::newRow("negative value") << "{< 0}"
                                    << "-1" << true;
    QTest::newRow("no digits, trailer differs") << "{> -1}"
                                                << "abc" << false;
    QTest::newRow("remainder equal to number") << "IMFSCL: {>3}"
                                               << "IMFSCL: 5 5" << true;
    QTest::newRow("group not an operator") << "{SPAM}"
                                           << "SPAM" << false;
    QTest::newRow("star group never compares") << "IMFSCL: { * }"
                                               << "IMFSCL: 5" << false;
    QTest::newRow("no closing brace") << "IMFSCL: {> 3"
                                      << "IMFSCL: 5" << false;
    QTest::newRow("plain text") << "X-Spam-Flag: YES"
                                << "X-Spam-Flag: YES" << false;
    QTest::newRow("contains") << "{*}SPAM{*}"
                              << "this is spam mail" << true;
    QTest::newRow("one character") << "{?}ES"
                                   << "yes" << true;
    QTest::newRow("exactly one character") << "{?}ES"
                                           << "noes" << false;
    QTest::newRow("list without hit") << "{*}[SPAM]{*}"
                                      << "hello" << false;
    QTest::newRow("list with hit") << "{*}[SPAM]{*}"
                                   << "map" << true;
    QTest::newRow("bare star after escape") << "A*B{?}"
                                            << "AXXBC" << true;
    QTest::newRow("star trailer is plain") << "IMFSCL: {> 3} {*}"
                                           << "IMFSCL: 5 x" << false;
    QTest::newRow("pattern includes group") << "IMFSCL: {> 3} {*}"
                                            << "IMFSCL: 5 *" << false;

    // Trimming and the escapes.
    QTest::newRow("spaces around both") << "  {> 3}  "
                                        << "  5  " << true;
    QTest::newRow("tabs are not trimmed") << "{> 3}"
                                          << "\t5" << false;
    QTest::newRow("question escape only") << "Y{?}S"
                                          << "yes" << true;
    QTest::newRow("both escapes") << "{*}S{?}AM"
                                  << "xxSPAM" << true;
    QTest::newRow("escape pattern must cover all") << "{*}SPAM"
                                                   << "spam mail" << false;
    QTest::newRow("bare star without escape") << "*SPAM*"
                                              << "is spam here" << false;
    QTest::newRow("empty condition") << ""
                                     << "" << false;
    QTest::newRow("only escape, empty value") << "{*}"
                                              << "" << true;
    QTest::newRow("digit in pattern") << "{*}SCORE #"
                                      << "my score 7" << true;
    QTest::newRow("digit needs digit") << "{*}SCORE #"
                                       << "my score x" << false;
    QTest::newRow("negated list") << "{?}[!0-9]"
                                  << "a5" << false;
    QTest::newRow("negated list passes") << "{?}[!0-9]"
                                         << "ab" << true;
    QTest::newRow("literal star") << "{?}[*]"
                                  << "a*" << true;
    QTest::newRow("literal star only") << "{?}[*]"
                                       << "ab" << false;
    QTest::newRow("literal bracket") << "{*}[[]SPAM]"
                                     << "Re: [SPAM]" << true;
    QTest::newRow("unclosed bracket is invalid") << "{*}[SPAM"
                                                 << "[SPAM" << false;
    QTest::newRow("descending range is invalid") << "{*}[Z-A]"
                                                 << "b" << false;

    // Comparison group details.
    QTest::newRow("lower bound with upper") << "{<7>3}"
                                            << "5" << true;
    QTest::newRow("lower bound fails") << "{<7>3}"
                                       << "2" << false;
    QTest::newRow("second bound same op ignored") << "{>3>100}"
                                                  << "5" << true;
    QTest::newRow("threshold reads zero") << "{>=3}"
                                          << "1" << true;
    QTest::newRow("empty group") << "{}"
                                 << "5" << false;
    QTest::newRow("prefix missing") << "IMFSCL: {> 3}"
                                    << "SCL: 5" << false;
    QTest::newRow("value shorter than prefix") << "IMFSCL: {> 3}"
                                               << "IMF" << false;
    QTest::newRow("later braces are plain") << "{> 3} {x}"
                                            << "5 {x}" << true;
    QTest::newRow("exponent threshold") << "{> 1e2}"
                                        << "150" << true;
    QTest::newRow("exponent threshold above") << "{> 1e2}"
                                              << "99" << false;
    QTest::newRow("spaces inside the group") << "{ <  1 0 }"
                                             << "9" << true;
    QTest::newRow("trailer must match remainder") << "{> 3} pts"
                                                  << "5 pts" << true;
    QTest::newRow("trailer mismatch") << "{> 3} pts"
                                      << "5 points" << false;
    QTest::newRow("comma in value stops number") << "{> 3}"
                                                 << "3,9" << false;
    QTest::newRow("huge threshold") << "{< 1e999}"
                                    << "5" << true;
    QTest::newRow("huge value") << "{> 3}"
                                << "1e999" << false;
    QTest::newRow("pattern with comparison") << "{*}{> 3}"
                                             << "5" << false;
}

void TestMatchCondition::matches()
{
    QFETCH(QString, condition);
    QFETCH(QString, value);
    QFETCH(bool, expected);
    QCOMPARE(basParser::MatchCondition(value, condition), expected);
}

void TestMatchCondition::rewritesArgumentsInPlace_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("conditionAfter");
    QTest::addColumn<QString>("valueAfter");

    QTest::newRow("trimmed") << "  {> 3} "
                             << " 5  "
                             << "{> 3}"
                             << "5";
    QTest::newRow("star escapes") << "{*}a{*}{?}"
                                  << "x"
                                  << "*a*?"
                                  << "x";
    QTest::newRow("question escape") << " {?}b"
                                     << "x"
                                     << "?b"
                                     << "x";
    QTest::newRow("tabs kept") << "\ta "
                               << " b\t"
                               << "\ta"
                               << "b\t";
    QTest::newRow("star group untouched") << "{ * }"
                                          << "5"
                                          << "{ * }"
                                          << "5";
}

void TestMatchCondition::rewritesArgumentsInPlace()
{
    QFETCH(QString, condition);
    QFETCH(QString, value);
    QFETCH(QString, conditionAfter);
    QFETCH(QString, valueAfter);
    basParser::MatchCondition(value, condition);
    QCOMPARE(condition, conditionAfter);
    QCOMPARE(value, valueAfter);
}

QTEST_GUILESS_MAIN(TestMatchCondition)
#include "tst_matchcondition.moc"
