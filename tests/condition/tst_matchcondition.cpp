#include "condition/conditionmatcher.h"
#include "condition/conditiontestform.h"
#include "condition/numberreader.h"
#include "condition/wildcardpattern.h"

#include <cmath>
#include <QtTest>

namespace {

// A row of texts and the expected result; for matchCondition also the condition as the
// call leaves it, when given.
void row(const char *condition, const QString &value, bool expected,
         const char *rewritten = nullptr)
{
    QTest::addRow("%s | %s", condition, qPrintable(value))
        << QString(condition) << value << expected << QString(rewritten);
}

void checkResult(const ConditionTestForm &form, const char *caption, ColorRole color)
{
    QCOMPARE(form.resultLabel.caption(), QString(caption));
    QCOMPARE(form.resultLabel.backColor(), color);
}

} // namespace

// The condition language: its number rule, its wildcard patterns, matchCondition over
// escapes, comparison groups and patterns, and the dialog that tests a condition.
class TestMatchCondition : public QObject
{
    Q_OBJECT
private slots:
    void readNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        auto row = [](const QString &text, double expected) {
            QTest::addRow("%s", qPrintable(text.left(24))) << text << expected;
        };
        row("", 0.0);
        row("+7", 7.0);
        row(".5", 0.5);
        row(" 1 2\t3\n4", 1234.0); // blanks skipped wherever they stand
        row("1e3", 1000.0);
        row("1e-999", 0.0);
        row("-1e999", -HUGE_VAL);
    }

    void readNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(ConditionMatcher::readNumber(text), expected);
    }

    // The wildcard patterns on their own, compared by character code.
    void wildcard_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("expected");
        QTest::addColumn<QString>("rewritten");
        row("ABC", "abc", false); // character codes, no case folding
        row("AB", "ABC", false);  // the whole text
        row("*AB", "AAAB", true); // the run is retried
        row("*A*B*", "XXBYYAZZ", false);
        row("#", QString(QChar(0x0663)), false); // only 0-9 are digits
        row("[A-Z]", "Z", true);
        row("[!A-Z]", "Q", false);
        row("[*]", "X", false);
        row("[[]", "[", true);
        row("A[]B", "AB", true);  // an empty list stands for nothing
        row("A[BC", "AB", false); // unclosed "[": invalid
        row("[Z-A]", "M", false); // descending range: invalid
    }

    void wildcard()
    {
        QFETCH(QString, condition);
        QFETCH(QString, value);
        QFETCH(bool, expected);
        QCOMPARE(ConditionMatcher::matchesWildcard(value, condition), expected);
    }

    void matches_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("expected");
        QTest::addColumn<QString>("rewritten");

        row("{> 3}", "3", false); // strict comparison
        row("{> 3}", "3.5", true);
        row("IMFSCL: {> 3}", "imfscl:5", true, "IMFSCL: {> 3}"); // prefix ignores case
        row("IMFSCL: {> 3}", "IMFSCL: 5 points", false);
        row("Score: {>5} points", "Score: 7.5 POINTS", true); // the trailer ignores case
        row("{<3<7}", "5", false);
        row("{> 3,5}", "4", true);
        row("IMFSCL: {>3}", "IMFSCL: 5 5", true); // remainder equal to the number is empty
        row("{SPAM}", "SPAM", false);
        row("IMFSCL: { * }", "IMFSCL: 5", false);
        row("IMFSCL: {> 3", "IMFSCL: 5", false);
        row("X-Spam-Flag: YES", "X-Spam-Flag: YES", false);  // plain text never matches here
        row(" {*}spam{*} ", "THIS IS SPAM", true, "*spam*"); // both sides upper-cased
        row("{?}ES", "yes", true, "?ES");
        row("{?}ES", "noes", false);
        row("{?}", "\u00df", true); // "ß" keeps its one character when upper-cased
        row("{*}[SPAM]{*}", "hello", false);
        row("A*B{?}", "AXXBC", true);
        row("IMFSCL: {> 3} {*}", "IMFSCL: 5 x", false, "IMFSCL: {> 3} *");
        row("{*}S{?}AM", "xxSPAM", true, "*S?AM"); // "{?}" rewritten after "{*}"
        row("{<7>3}", "2", false);                 // the opposite second bound counts
        row("IMFSCL: {> 3}", "XMFSCL: 5", false);  // the prefix must begin the value
        row("{>=3}", "1", true);                   // the threshold "=3" reads as 0
        row("{> 3} {x}", "5 {x}", true);           // only the first group counts
        row("{> 3}", "+5", false);                 // "+" is no part of the value's number
        row("{> 3}", "3,9", false);                // a comma ends the value's number
        row("{> 3}", "\t5", false);                // tabs are not trimmed
    }

    void matches()
    {
        QFETCH(QString, condition);
        QFETCH(QString, value);
        QFETCH(bool, expected);
        QFETCH(QString, rewritten);
        QCOMPARE(ConditionMatcher::matchCondition(value, condition), expected);
        if (!rewritten.isNull())
            QCOMPARE(condition, rewritten);
    }

    // The test dialog: the row's condition after its first colon, a starts-with test
    // before the matcher, and the result until the pointer moves over a box.
    void openTestAndReset_data()
    {
        QTest::addColumn<QString>("rowCondition");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("matches");
        auto row = [](const char *rowCondition, const char *shown, const char *value,
                      bool matches) {
            QTest::addRow("%s | %s", rowCondition, value)
                << QString(rowCondition) << QString(shown) << QString(value) << matches;
        };

        row("X-Spam-Flag: YES", "YES", "yes", true);           // starts-with, ignoring case
        row("X-Spam-Flag: YES", "YES", "   yes please", true); // the value is trimmed
        row("IMFSCL: {> 3}", "{> 3}", "3", false);             // the matcher decides
        row("Subject: {*}SPAM{*}", "{*}SPAM{*}", "big spam here", true);
        row("Subject: Re: hi", "Re: hi", "re: hi there", true); // after the first colon
        row("  plain  ", "  plain  ", "plain text", true);      // no colon: taken whole
        row("A:\tb ", "\tb", "\tbc", true);                     // only spaces are trimmed
        row("Subject:", "", "", false);
        // The examples of the README's guide and the manual page, as a user tries them.
        row("Subject: {*}[[]SPAM]{*}", "{*}[[]SPAM]{*}", "[SPAM] cheap watches", true);
        row("Subject: {*}[SPAM]{*}", "{*}[SPAM]{*}", "hello", false);
        row("Subject: {*}[SPAM]{*}", "{*}[SPAM]{*}", "map", true);
        row("X-Spam-Status: Yes{*}", "Yes{*}", "Yes, score=9.1", true);
        row("X-Spam-Status: Yes{*}", "Yes{*}", "No, score=0.3", false);
        row("X-Spam-Level: [*][*][*]{*}", "[*][*][*]{*}", "*****", true);
        row("X-Spam-Level: [*][*][*]{*}", "[*][*][*]{*}", "**", false);
        row("X-Campaign: BULK-###{*}", "BULK-###{*}", "bulk-042 spring", true);
        row("X-Campaign: BULK-###{*}", "BULK-###{*}", "bulk-42x", false);
        row("X-Priority: [!3]{*}", "[!3]{*}", "1 (Highest)", true);
        row("X-Priority: [!3]{*}", "[!3]{*}", "3 (Normal)", false);
        row("IMFSCL: {> 3}", "{> 3}", "5", true);
        row("X-Spam-Score: {> 3 < 7}", "{> 3 < 7}", "5.2", true);
        row("X-Spam-Score: {> 3 < 7}", "{> 3 < 7}", "8", false);
        row("X-Spam-Score: {> 4,5}", "{> 4,5}", "4.6", true);
        row("X-Spam-Score: {> 5} points", "{> 5} points", "7.5 POINTS", true);
        row("X-Spam-Score: {> 5} points", "{> 5} points", "7.5", false);
        row("X-Spam-Report: score {> 5}", "score {> 5}", "Score 6.2", true);
        row("IMFSCL: {< 0}", "{< 0}", "-1", true);
    }

    void openTestAndReset()
    {
        QFETCH(QString, rowCondition);
        QFETCH(QString, shown);
        QFETCH(QString, value);
        QFETCH(bool, matches);

        // A dialog used before opens afresh.
        ConditionTestForm form;
        form.valueEdit.setText(QStringLiteral("earlier"));
        form.onTestClicked();
        form.onLoad(rowCondition);
        QCOMPARE(form.conditionEdit.text(), shown);
        QCOMPARE(form.valueEdit.text(), QString());
        checkResult(form, "???", ColorRole::ButtonFace);

        form.valueEdit.setText(value);
        form.onTestClicked();
        checkResult(form, matches ? "Matches" : "DOESN'T match",
                    matches ? ColorRole::Green : ColorRole::Red);
        // The dialog tests copies: its boxes keep what the user typed. Typing alone does not
        // reset the result; the pointer over a box does.
        QCOMPARE(form.conditionEdit.text(), shown);
        QCOMPARE(form.valueEdit.text(), value);
        form.conditionEdit.setText(shown + QLatin1Char(' '));
        QCOMPARE(form.resultLabel.backColor(), matches ? ColorRole::Green : ColorRole::Red);
        matches ? form.onConditionMouseMoved() : form.onValueMouseMoved();
        checkResult(form, "???", ColorRole::ButtonFace);
    }
};

QTEST_GUILESS_MAIN(TestMatchCondition)
#include "tst_matchcondition.moc"
