#include "rule/ruleeditor.h"
#include "shell/recordingscreen.h"

#include <QtTest>

// The rule editor's handlers: action steps, row switching, SCL and priority checks.
class TestRuleEditor : public QObject
{
    Q_OBJECT
private slots:
    void designTimeContent();
    void actionStep_data();
    void actionStep();
    void steppingThroughTheFourActions();
    void clickClearsSelection();
    void switchingRowOffAndOn_data();
    void switchingRowOffAndOn();
    void conditionTooltipFollowsText();
    void sclCheck_data();
    void sclCheck();
    void priorityKeyFilter_data();
    void priorityKeyFilter();
    void priorityCheck_data();
    void priorityCheck();
    void priorityGuardTurnsOneChangeAway();
    void loadingEditorIgnoresActionClicks_data();
    void loadingEditorIgnoresActionClicks();
    void buttonsReachTheirHooks();
};

namespace {

const QString SclMessage = QStringLiteral("SCL should be from -1 To 9");

struct Fixture
{
    RecordingScreen screen;
    RuleEditor editor{screen};

    // A ready editor whose row holds a condition, an action and a target.
    RuleRow &row(int i, int action, const QString &target)
    {
        editor.editorReady = false;
        editor.rows[i].txtSpamTag.setText(QStringLiteral("X-Test: %1").arg(i));
        editor.rows[i].List1.setTopIndex(action);
        editor.rows[i].txtSpamFolder.setText(target);
        editor.editorReady = true;
        return editor.rows[i];
    }
};

} // namespace

void TestRuleEditor::designTimeContent()
{
    Fixture f;
    const RuleEditor &e = f.editor;
    QCOMPARE(e.rows[0].txtSpamTag.text(), QStringLiteral("X-Spam-Flag: YES"));
    QCOMPARE(e.rows[0].txtSpamFolder.text(), QStringLiteral("Spam"));
    QCOMPARE(e.rows[0].List1.entries(),
             (QStringList{"move to folder", "delete", "forward to", "set SCL to "}));
    QCOMPARE(e.rows[3].List1.entries(),
             (QStringList{"move to folder", "delete", "forward to", "set SCL to"}));
    QCOMPARE(e.rows[2].txtSpamTag.name(), QStringLiteral("txtSpamTag_2"));
    QCOMPARE(e.rows[2].txtSpamFolder.name(), QStringLiteral("txtSpamFolder_2"));
    QCOMPARE(e.rows[1].btnTest.caption(), QStringLiteral("Test"));
    QCOMPARE(e.rows[1].cmdBrowse.caption(), QStringLiteral("..."));
    QCOMPARE(e.txtPriority.text(), QStringLiteral("65535"));
    QCOMPARE(e.txtPriority.toolTip(), QStringLiteral("(0 is highest, 65535 is lowest)"));
    QVERIFY(!e.editorReady);
    QCOMPARE(e.lastAcceptedPriority, QString());
    QVERIFY(e.rows[0].List1.enabled());
    QVERIFY(!e.rows[1].List1.enabled());
    QVERIFY(e.rows[1].txtSpamFolder.locked());
}

void TestRuleEditor::actionStep_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("targetBefore");
    QTest::addColumn<QString>("targetAfter");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<bool>("browse");

    QTest::newRow("move clears") << 0 << "Spam"
                                 << "" << false << false;
    QTest::newRow("delete marks") << 1 << "Spam"
                                  << "[NULL]" << false << false;
    QTest::newRow("forward clears and locks") << 2 << "Spam"
                                              << "" << true << true;
    QTest::newRow("scl fills empty") << 3 << ""
                                     << "9" << false << false;
    QTest::newRow("scl keeps text") << 3 << "4"
                                    << "4" << false << false;
    QTest::newRow("scl keeps spaces") << 3 << " "
                                      << " " << false << false;
}

void TestRuleEditor::actionStep()
{
    QFETCH(int, action);
    QFETCH(QString, targetBefore);
    QFETCH(QString, targetAfter);
    QFETCH(bool, locked);
    QFETCH(bool, browse);

    Fixture f;
    RuleRow &row = f.row(1, action, targetBefore);
    row.txtSpamFolder.setLocked(!locked);
    row.txtSpamFolder.setForeColor(locked ? ColorRole::WindowText : ColorRole::GrayText);
    row.cmdBrowse.setEnabled(!browse);
    f.editor.List1_Scroll(1);
    QCOMPARE(row.txtSpamFolder.text(), targetAfter);
    QCOMPARE(row.txtSpamFolder.locked(), locked);
    QCOMPARE(row.txtSpamFolder.foreColor(), locked ? ColorRole::GrayText : ColorRole::WindowText);
    QCOMPARE(row.cmdBrowse.enabled(), browse);
    QCOMPARE(f.editor.action(1), action);
}

void TestRuleEditor::steppingThroughTheFourActions()
{
    Fixture f;
    RuleRow &row = f.row(1, 0, QStringLiteral("Junk"));
    const QStringList expected{"[NULL]", "", "9", "", "[NULL]"};
    const QList<int> steps{1, 2, 3, 0, 1};
    for (int k = 0; k < steps.size(); ++k) {
        row.List1.setTopIndex(steps[k]);
        f.editor.List1_Scroll(1);
        QCOMPARE(row.txtSpamFolder.text(), expected[k]);
        QCOMPARE(row.cmdBrowse.enabled(), steps[k] == RuleEditor::ForwardTo);
        QCOMPARE(row.txtSpamFolder.locked(), steps[k] == RuleEditor::ForwardTo);
        QCOMPARE(row.List1.selectedCount(), 0);
    }
}

void TestRuleEditor::clickClearsSelection()
{
    Fixture f;
    RuleRow &row = f.row(0, 1, QStringLiteral("x"));
    row.List1.setSelected(1, true);
    row.List1.setSelected(3, true);
    f.editor.setActionListIndex(0, 1);
    QCOMPARE(row.List1.selectedCount(), 0);
    QCOMPARE(row.List1.listIndex(), -1);
    QCOMPARE(row.txtSpamFolder.text(), QStringLiteral("[NULL]"));
    // Setting an unchanged index clicks as well.
    row.txtSpamFolder.setText(QStringLiteral("typed"));
    f.editor.setActionListIndex(0, -1);
    QCOMPARE(row.txtSpamFolder.text(), QStringLiteral("[NULL]"));
}

void TestRuleEditor::switchingRowOffAndOn_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("emptyCondition");

    QTest::newRow("move, emptied") << 0 << "";
    QTest::newRow("delete, spaces") << 1 << "   ";
    QTest::newRow("forward, emptied") << 2 << "";
    QTest::newRow("scl, spaces") << 3 << " ";
}

void TestRuleEditor::switchingRowOffAndOn()
{
    QFETCH(int, action);
    QFETCH(QString, emptyCondition);

    Fixture f;
    RuleRow &row = f.row(2, action, QStringLiteral("Target"));
    row.cmdBrowse.setEnabled(true);
    row.txtSpamTag.setText(emptyCondition);
    QVERIFY(!row.List1.enabled());
    QCOMPARE(row.txtSpamFolder.text(), QString());
    QVERIFY(row.txtSpamFolder.locked());
    QCOMPARE(row.txtSpamFolder.foreColor(), ColorRole::GrayText);
    QVERIFY(!row.cmdBrowse.enabled());
    QCOMPARE(f.editor.action(2), action);

    row.txtSpamTag.setText(QStringLiteral("Subject: x"));
    const bool forward = action == RuleEditor::ForwardTo;
    QVERIFY(row.List1.enabled());
    QCOMPARE(row.txtSpamFolder.locked(), forward);
    QCOMPARE(row.txtSpamFolder.foreColor(), forward ? ColorRole::GrayText : ColorRole::WindowText);
    QVERIFY(!row.cmdBrowse.enabled());
    QCOMPARE(row.txtSpamFolder.text(), QString());
}

void TestRuleEditor::conditionTooltipFollowsText()
{
    Fixture f;
    RuleRow &row = f.editor.rows[3];
    row.txtSpamTag.setText(QStringLiteral(" Subject: hi "));
    QCOMPARE(row.txtSpamTag.toolTip(), QStringLiteral(" Subject: hi "));
    row.txtSpamTag.setText(QString());
    QCOMPARE(row.txtSpamTag.toolTip(), QString());
}

void TestRuleEditor::sclCheck_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("complains");

    QTest::newRow("10") << 3 << "10" << true;
    QTest::newRow("-2") << 3 << "-2" << true;
    QTest::newRow("abc") << 3 << "abc" << true;
    QTest::newRow("123") << 3 << "123" << true;
    QTest::newRow("empty") << 3 << "" << true;
    QTest::newRow("spaces only") << 3 << "  " << true;
    QTest::newRow("inner space") << 3
                                 << "1 "
                                    "1"
                                 << true;
    QTest::newRow("-1") << 3 << "-1" << false;
    QTest::newRow("0") << 3 << "0" << false;
    QTest::newRow("9") << 3 << "9" << false;
    QTest::newRow("5 with spaces") << 3 << "  5  " << false;
    QTest::newRow("point five rounds to 0") << 3 << ".5" << false;
    QTest::newRow("plus sign") << 3 << "+7" << false;
    QTest::newRow("folder action never checks") << 0 << "abc" << false;
    QTest::newRow("delete action never checks") << 1 << "[NULL]" << false;
}

void TestRuleEditor::sclCheck()
{
    QFETCH(int, action);
    QFETCH(QString, target);
    QFETCH(bool, complains);

    Fixture f;
    RuleRow &row = f.row(1, action, target);
    f.editor.txtSpamFolder_LostFocus(1);
    QCOMPARE(row.txtSpamFolder.text(), target);
    QCOMPARE(row.txtSpamFolder.toolTip(), target);
    if (complains) {
        QCOMPARE(f.screen.messages.size(), 1);
        QCOMPARE(f.screen.messages[0].text, SclMessage);
        QCOMPARE(f.screen.messages[0].icon, Screen::Icon::None);
        QCOMPARE(f.screen.messages[0].title, QStringLiteral("KestrelonSetup"));
        QCOMPARE(f.screen.focusRequests, QStringList{"txtSpamFolder_1"});
    } else {
        QVERIFY(f.screen.messages.isEmpty());
        QVERIFY(f.screen.focusRequests.isEmpty());
    }
}

void TestRuleEditor::priorityKeyFilter_data()
{
    QTest::addColumn<QChar>("key");
    QTest::addColumn<bool>("passes");

    for (char digit = '0'; digit <= '9'; ++digit)
        QTest::newRow(QByteArray(1, digit).constData()) << QChar(QLatin1Char(digit)) << true;
    QTest::newRow("backspace") << QChar(8) << true;
    QTest::newRow("space") << QChar(32) << true;
    QTest::newRow("letter") << QChar(QLatin1Char('a')) << false;
    QTest::newRow("minus") << QChar(QLatin1Char('-')) << false;
    QTest::newRow("point") << QChar(QLatin1Char('.')) << false;
    QTest::newRow("tab") << QChar(9) << false;
    QTest::newRow("return") << QChar(13) << false;
    QTest::newRow("paste control") << QChar(22) << false;
    QTest::newRow("arabic digit") << QChar(0x0663) << false;
}

void TestRuleEditor::priorityKeyFilter()
{
    QFETCH(QChar, key);
    QFETCH(bool, passes);
    QCOMPARE(RuleEditor::txtPriority_KeyPress(key), passes);
}

void TestRuleEditor::priorityCheck_data()
{
    QTest::addColumn<QString>("accepted");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");

    QTest::newRow("sixth digit") << "65535"
                                 << "655351"
                                 << "65535";
    QTest::newRow("just above") << "6553"
                                << "65536"
                                << "6553";
    QTest::newRow("highest value") << "6553"
                                   << "65535"
                                   << "65535";
    QTest::newRow("zero") << "65535"
                          << "0"
                          << "0";
    QTest::newRow("last digit deleted") << "7"
                                        << ""
                                        << "7";
    QTest::newRow("digit deleted") << "123"
                                   << "12"
                                   << "12";
    QTest::newRow("inner space") << "12"
                                 << "1 2"
                                 << "12";
    QTest::newRow("surrounding spaces") << "12"
                                        << " 12 "
                                        << " 12 ";
    QTest::newRow("beyond 32 bits") << "5"
                                    << "99999999999"
                                    << "5";
    QTest::newRow("letters") << "5"
                             << "5a"
                             << "5";
    QTest::newRow("nothing accepted yet") << ""
                                          << "x"
                                          << "";
    QTest::newRow("no lower bound") << "5"
                                    << "-3"
                                    << "-3";
}

void TestRuleEditor::priorityCheck()
{
    QFETCH(QString, accepted);
    QFETCH(QString, typed);
    QFETCH(QString, shown);

    Fixture f;
    f.editor.priorityGuard = true;
    f.editor.txtPriority.setText(accepted);
    f.editor.priorityGuard = false;
    f.editor.lastAcceptedPriority = accepted;
    f.editor.txtPriority.setText(typed);
    QCOMPARE(f.editor.txtPriority.text(), shown);
    QCOMPARE(f.editor.lastAcceptedPriority, shown);
    QVERIFY(!f.editor.priorityGuard);
}

void TestRuleEditor::priorityGuardTurnsOneChangeAway()
{
    Fixture f;
    f.editor.lastAcceptedPriority = QStringLiteral("10");
    f.editor.priorityGuard = true;
    f.editor.txtPriority.setText(QStringLiteral("abc"));
    QCOMPARE(f.editor.txtPriority.text(), QStringLiteral("abc"));
    QVERIFY(!f.editor.priorityGuard);
    f.editor.txtPriority.setText(QStringLiteral("abcd"));
    QCOMPARE(f.editor.txtPriority.text(), QStringLiteral("10"));
}

void TestRuleEditor::loadingEditorIgnoresActionClicks_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("list index") << 0;
    QTest::newRow("unchanged list index") << 1;
    QTest::newRow("top index and scroll") << 2;
}

void TestRuleEditor::loadingEditorIgnoresActionClicks()
{
    QFETCH(int, how);
    Fixture f;
    RuleRow &row = f.row(0, 0, QStringLiteral("Keep"));
    f.editor.editorReady = false;
    row.List1.setSelected(2, true);
    switch (how) {
    case 0:
        row.List1.setListIndex(2);
        break;
    case 1:
        f.editor.setActionListIndex(0, row.List1.listIndex());
        break;
    default:
        row.List1.setTopIndex(3);
        f.editor.List1_Scroll(0);
        break;
    }
    QCOMPARE(row.txtSpamFolder.text(), QStringLiteral("Keep"));
    QVERIFY(!row.txtSpamFolder.locked());
    QVERIFY(row.List1.selected(2));
}

void TestRuleEditor::buttonsReachTheirHooks()
{
    Fixture f;
    f.editor.btnTest_Click(1);
    f.editor.cmdBrowse_Click(1);
    QList<int> tested;
    QList<int> browsed;
    f.editor.testCondition = [&](int row) {
        tested << row;
    };
    f.editor.browseRecipient = [&](int row) {
        browsed << row;
    };
    f.editor.btnTest_Click(2);
    f.editor.cmdBrowse_Click(3);
    QCOMPARE(tested, QList<int>{2});
    QCOMPARE(browsed, QList<int>{3});
}

QTEST_GUILESS_MAIN(TestRuleEditor)
#include "tst_ruleeditor.moc"
