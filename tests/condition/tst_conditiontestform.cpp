#include "condition/conditiontestform.h"

#include <QtTest>

// The condition test dialog's model: what it shows on opening, on Test and on reset.
class TestConditionTestForm : public QObject
{
    Q_OBJECT
private slots:
    void openTestAndReset_data();
    void openTestAndReset();
};

namespace {

void checkResult(const ConditionTestForm &form, const char *caption, ColorRole color)
{
    QCOMPARE(form.resultLabel.caption(), QString(caption));
    QCOMPARE(form.resultLabel.backColor(), color);
}

} // namespace

void TestConditionTestForm::openTestAndReset_data()
{
    QTest::addColumn<QString>("rowCondition");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("matches");
    auto row = [](const char *rowCondition, const char *shown, const char *value, bool matches) {
        QTest::addRow("%s | %s", rowCondition, value)
            << QString(rowCondition) << QString(shown) << QString(value) << matches;
    };

    row("X-Spam-Flag: YES", "YES", "yes", true); // starts-with, ignoring case
    row("X-Spam-Flag: YES", "YES", "YES please", true);
    row("X-Spam-Flag: YES", "YES", "   yes", true); // the value is trimmed
    row("X-Spam-Flag: YES", "YES", "no", false);
    row("IMFSCL: {> 3}", "{> 3}", "5", true); // the matcher decides
    row("IMFSCL: {> 3}", "{> 3}", "3", false);
    row("Subject: [SPAM]", "[SPAM]", "[SPAM] offer", true);
    row("Subject: [SPAM]", "[SPAM]", "Re: [SPAM] offer", false);
    row("Subject: {*}SPAM{*}", "{*}SPAM{*}", "big spam here", true);
    row("Subject: Re: hi", "Re: hi", "re: hi there", true); // after the first colon
    row("  plain  ", "  plain  ", "plain text", true);      // no colon: taken whole
    row("A:\tb ", "\tb", "\tbc", true);                     // only spaces are trimmed
    row("Subject:", "", "anything", true);
    row("Subject:", "", "", false);
}

void TestConditionTestForm::openTestAndReset()
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
    for (int box = 1; box <= 2; ++box) {
        form.onTestClicked();
        checkResult(form, matches ? "Matches" : "DOESN'T match",
                    matches ? ColorRole::Green : ColorRole::Red);
        // The dialog tests copies: its boxes keep what the user typed.
        QCOMPARE(form.conditionEdit.text(), shown);
        QCOMPARE(form.valueEdit.text(), value);
        // Typing alone does not reset the result; the pointer over either box does.
        form.conditionEdit.setText(shown + QLatin1Char(' '));
        form.conditionEdit.setText(shown);
        QCOMPARE(form.resultLabel.backColor(), matches ? ColorRole::Green : ColorRole::Red);
        box == 1 ? form.onConditionMouseMoved() : form.onValueMouseMoved();
        checkResult(form, "???", ColorRole::ButtonFace);
    }
}

QTEST_GUILESS_MAIN(TestConditionTestForm)
#include "tst_conditiontestform.moc"
