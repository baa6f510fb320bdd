#include "condition/conditionmatcher.h"
#include "condition/numberreader.h"
#include "condition/wildcardpattern.h"

#include <cmath>
#include <QtTest>

// The condition language: its number rule, its wildcard patterns, and matchCondition
// over escapes, comparison groups and patterns.
class TestMatchCondition : public QObject
{
    Q_OBJECT
private slots:
    void readNumber_data();
    void readNumber();
    void wildcard_data();
    void wildcard();
    void manyRunsAgainstLongText();
    void matches_data();
    void matches();
};

namespace {

// A row of texts and the expected result; for matchCondition also the condition as the
// call leaves it, when given.
void row(const char *condition, const QString &value, bool expected,
         const char *rewritten = nullptr)
{
    QTest::addRow("%s | %s", condition, qPrintable(value))
        << QString(condition) << value << expected << QString(rewritten);
}

} // namespace

void TestMatchCondition::readNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    auto row = [](const QString &text, double expected) {
        QTest::addRow("%s", qPrintable(text.left(24))) << text << expected;
    };
    row("", 0.0);
    row("42", 42.0);
    row("+7", 7.0);
    row(".5", 0.5);
    row("5.", 5.0);
    row(" 1 2\t3\n4", 1234.0); // blanks skipped wherever they stand
    row("- 5", -5.0);
    row("abc", 0.0);
    row("1.2.3", 1.2);
    row("1e3", 1000.0);
    row("2E2", 200.0);
    row("5e-1", 0.5);
    row("1 e 2", 100.0);
    row("7e", 7.0);
    row("7e+", 7.0);
    row("-", 0.0);
    row("1\r2", 1.0);
    row("1e-999", 0.0);
    row("0." + QString(400, '0') + "1", 0.0);
    row("1e999", HUGE_VAL);
    row("-1e999", -HUGE_VAL);
    row("9" + QString(400, '0'), HUGE_VAL);
    row("1e99999999999999999999", HUGE_VAL);
}

void TestMatchCondition::readNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(ConditionMatcher::readNumber(text), expected);
}

// The wildcard patterns on their own, compared by character code.
void TestMatchCondition::wildcard_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QString>("rewritten");
    row("", "", true);
    row("", "A", false);
    row("ABC", "abc", false); // character codes, no case folding
    row("AB", "ABC", false);  // the whole text
    row("A*B", "AB", true);
    row("***", "", true);
    row("*AB", "AAAB", true); // the run is retried
    row("*AB*C", "ABABAB", false);
    row("*A*B*", "XXAYYBZZ", true);
    row("*A*B*", "XXBYYAZZ", false);
    row("A?C", "ABC", true);
    row("A?C", "AC", false);
    row("#", "7", true);
    row("#", "A", false);
    row("#", QString(QChar(0x0663)), false); // only 0-9 are digits
    row("[ABC]", "B", true);
    row("[A-Z]", "A", true);
    row("[A-Z]", "Z", true);
    row("[A-Z]", "0", false);
    row("[!A-Z]", "5", true);
    row("[!A-Z]", "Q", false);
    row("[-A]", "-", true);
    row("[A-]", "-", true);
    row("[!-]", "-", false);
    row("[*]", "*", true);
    row("[*]", "X", false);
    row("[[]", "[", true);
    row("A]", "A]", true);
    row("A[]B", "AB", true); // an empty list stands for nothing
    row("[!]", "X", true);
    row("A[BC", "AB", false); // unclosed "[": invalid
    row("[Z-A]", "M", false); // descending range: invalid
}

void TestMatchCondition::wildcard()
{
    QFETCH(QString, condition);
    QFETCH(QString, value);
    QFETCH(bool, expected);
    QCOMPARE(ConditionMatcher::matchesWildcard(value, condition), expected);
}

// Many runs against the longest text must stay quick, hit or miss.
void TestMatchCondition::manyRunsAgainstLongText()
{
    const QString pattern = QStringLiteral("*X").repeated(100);
    QVERIFY(!ConditionMatcher::matchesWildcard(QString(32767, QLatin1Char('A')), pattern));
    QVERIFY(ConditionMatcher::matchesWildcard(QString(32667, 'A') + QString(100, 'X'), pattern));
}

void TestMatchCondition::matches_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QString>("rewritten");

    // The language's own table of cases.
    row("{> 3}", "5", true);
    row("{> 3}", "3", false); // strict comparison
    row("{> 3}", "3.5", true);
    row("IMFSCL: {> 3}", "IMFSCL: 5", true);
    row("IMFSCL: {> 3}", "imfscl:5", true); // prefix ignores case, remainder trimmed
    row("IMFSCL: {> 3}", "IMFSCL: 5 points", false);
    row("Score: {>5} points", "Score: 7.5 POINTS", true);
    row("{>3<7}", "5", true);
    row("{>3<7}", "8", false);
    row("{<3<7}", "5", false);
    row("{> 3,5}", "4", true);
    row("{< 0}", "-1", true);
    row("{> -1}", "abc", false);
    row("IMFSCL: {>3}", "IMFSCL: 5 5", true); // remainder equal to the number is empty
    row("{SPAM}", "SPAM", false);
    row("IMFSCL: { * }", "IMFSCL: 5", false);
    row("IMFSCL: {> 3", "IMFSCL: 5", false);
    row("X-Spam-Flag: YES", "X-Spam-Flag: YES", false); // plain text never matches here
    row("{*}SPAM{*}", "this is spam mail", true);
    row("{?}ES", "yes", true);
    row("{?}ES", "noes", false);
    row("{*}[SPAM]{*}", "hello", false);
    row("{*}[SPAM]{*}", "map", true);
    row("A*B{?}", "AXXBC", true);
    row("IMFSCL: {> 3} {*}", "IMFSCL: 5 x", false);
    row("IMFSCL: {> 3} {*}", "IMFSCL: 5 *", false);

    // Lists, negation, literal brackets and invalid patterns, through the escapes.
    row("{*}[A-C]#", "xxb7", true);
    row("{*}[A-C]#", "xxd7", false);
    row("{?}[!0-9]", "a5", false);
    row("{?}[!0-9]", "ab", true);
    row("{?}[*]", "a*", true);
    row("{?}[*]", "ab", false);
    row("{*}[[]SPAM]", "Re: [SPAM]", true);
    row("{*}[SPAM", "[SPAM", false);  // unclosed "["
    row("{*}[Z-A]", "b", false);      // descending range
    row("{*}S{?}AM", "xxSPAM", true); // "{?}" rewritten after "{*}"

    // Comparison group details.
    row("{<7>3}", "5", true);
    row("{<7>3}", "2", false);                // the opposite second bound counts
    row("{>3>100}", "5", true);               // a second bound of the same kind is ignored
    row("IMFSCL: {> 3}", "XMFSCL: 5", false); // the prefix must begin the value
    row("{>=3}", "1", true);                  // the threshold "=3" reads as 0
    row("{}", "5", false);
    row("{> 3} {x}", "5 {x}", true); // only the first group counts
    row("{> 3}", "3,9", false);      // a comma ends the value's number
    row("{> 3}", "\t5", false);      // tabs are not trimmed
}

void TestMatchCondition::matches()
{
    QFETCH(QString, condition);
    QFETCH(QString, value);
    QFETCH(bool, expected);
    QFETCH(QString, rewritten);
    QCOMPARE(ConditionMatcher::matchCondition(value, condition), expected);
    if (!rewritten.isNull())
        QCOMPARE(condition, rewritten);
}

QTEST_GUILESS_MAIN(TestMatchCondition)
#include "tst_matchcondition.moc"
