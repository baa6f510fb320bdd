#include "condition/conditiontestform.h"

#include <QtTest>

// The condition test dialog's model: what it shows on opening, on Test and on reset.
class TestConditionTestForm : public QObject
{
    Q_OBJECT
private slots:
    void opening_data();
    void opening();
    void outcome_data();
    void outcome();
    void mouseMoveResets_data();
    void mouseMoveResets();
    void reopeningStartsAfresh();
};

void TestConditionTestForm::opening_data()
{
    QTest::addColumn<QString>("rowCondition");
    QTest::addColumn<QString>("shown");

    QTest::newRow("header and value") << "X-Spam-Flag: YES"
                                      << "YES";
    QTest::newRow("comparison") << "IMFSCL: {> 3}"
                                << "{> 3}";
    QTest::newRow("several colons") << "Subject: Re: hi"
                                    << "Re: hi";
    QTest::newRow("no colon taken whole") << "  plain  "
                                          << "  plain  ";
    QTest::newRow("colon last") << "Subject:"
                                << "";
    QTest::newRow("tab after colon kept") << "A:\tb "
                                          << "\tb";
    QTest::newRow("empty") << ""
                           << "";
}

void TestConditionTestForm::opening()
{
    QFETCH(QString, rowCondition);
    QFETCH(QString, shown);
    ConditionTestForm form;
    form.Form_Load(rowCondition);
    QCOMPARE(form.Text1.text(), shown);
    QCOMPARE(form.Text2.text(), QString());
    QCOMPARE(form.Label4.caption(), QStringLiteral("???"));
    QCOMPARE(form.Label4.backColor(), ColorRole::ButtonFace);
}

void TestConditionTestForm::outcome_data()
{
    QTest::addColumn<QString>("rowCondition");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("matches");

    QTest::newRow("starts-with ignoring case") << "X-Spam-Flag: YES"
                                               << "yes" << true;
    QTest::newRow("starts-with longer value") << "X-Spam-Flag: YES"
                                              << "YES please" << true;
    QTest::newRow("plain mismatch") << "X-Spam-Flag: YES"
                                    << "no" << false;
    QTest::newRow("comparison passes") << "IMFSCL: {> 3}"
                                       << "5" << true;
    QTest::newRow("comparison fails") << "IMFSCL: {> 3}"
                                      << "3" << false;
    QTest::newRow("plain brackets begin value") << "Subject: [SPAM]"
                                                << "[SPAM] offer" << true;
    QTest::newRow("plain must begin value") << "Subject: [SPAM]"
                                            << "Re: [SPAM] offer" << false;
    QTest::newRow("empty condition, value") << "Subject:"
                                            << "anything" << true;
    QTest::newRow("empty condition, empty value") << "Subject:"
                                                  << "" << false;
    QTest::newRow("value trimmed") << "X-Spam-Flag: YES"
                                   << "   yes" << true;
    QTest::newRow("pattern via matcher") << "Subject: {*}SPAM{*}"
                                         << "big spam here" << true;
}

void TestConditionTestForm::outcome()
{
    QFETCH(QString, rowCondition);
    QFETCH(QString, value);
    QFETCH(bool, matches);
    ConditionTestForm form;
    form.Form_Load(rowCondition);
    const QString conditionShown = form.Text1.text();
    form.Text2.setText(value);
    form.Command1_Click();
    QCOMPARE(form.Label4.caption(),
             matches ? QStringLiteral("Matches") : QStringLiteral("DOESN'T match"));
    QCOMPARE(form.Label4.backColor(), matches ? ColorRole::Green : ColorRole::Red);
    // The dialog tests copies: its boxes keep what the user typed.
    QCOMPARE(form.Text1.text(), conditionShown);
    QCOMPARE(form.Text2.text(), value);
}

void TestConditionTestForm::mouseMoveResets_data()
{
    QTest::addColumn<bool>("overCondition");
    QTest::addColumn<QString>("value");

    QTest::newRow("condition box after match") << true << "yes";
    QTest::newRow("value box after match") << false << "yes";
    QTest::newRow("condition box after mismatch") << true << "no";
    QTest::newRow("value box after mismatch") << false << "no";
}

void TestConditionTestForm::mouseMoveResets()
{
    QFETCH(bool, overCondition);
    QFETCH(QString, value);
    ConditionTestForm form;
    form.Form_Load(QStringLiteral("X-Spam-Flag: YES"));
    form.Text2.setText(value);
    form.Command1_Click();
    QVERIFY(form.Label4.caption() != QStringLiteral("???"));
    // Typing alone does not reset the result.
    form.Text2.setText(value + QLatin1Char('x'));
    QVERIFY(form.Label4.caption() != QStringLiteral("???"));
    if (overCondition)
        form.Text1_MouseMove();
    else
        form.Text2_MouseMove();
    QCOMPARE(form.Label4.caption(), QStringLiteral("???"));
    QCOMPARE(form.Label4.backColor(), ColorRole::ButtonFace);
}

void TestConditionTestForm::reopeningStartsAfresh()
{
    ConditionTestForm form;
    form.Form_Load(QStringLiteral("X-Spam-Flag: YES"));
    form.Text2.setText(QStringLiteral("yes"));
    form.Command1_Click();
    form.Form_Load(QStringLiteral("IMFSCL: {> 3}"));
    QCOMPARE(form.Text1.text(), QStringLiteral("{> 3}"));
    QCOMPARE(form.Text2.text(), QString());
    QCOMPARE(form.Label4.caption(), QStringLiteral("???"));
}

QTEST_GUILESS_MAIN(TestConditionTestForm)
#include "tst_conditiontestform.moc"
