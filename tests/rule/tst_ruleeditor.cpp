#include "rule/ruleeditor.h"
#include "shell/recordingscreen.h"

#include <QtTest>

// The rule editor's handlers: action steps, row switching, SCL and priority checks.
class TestRuleEditor : public QObject
{
    Q_OBJECT
private slots:
    void designTimeContent();
    void steppingThroughTheActions();
    void switchingRowOffAndOn_data();
    void switchingRowOffAndOn();
    void sclCheck_data();
    void sclCheck();
    void priorityKeysAndCheck();
    void loadingEditorIgnoresActionClicks();
    void buttonsReachTheirHooks();
};

namespace {

struct Fixture
{
    RecordingScreen screen;
    RuleEditor editor{screen};

    // A ready editor whose row holds a condition, an action and a target.
    RuleRow &row(int i, int action, const QString &target)
    {
        editor.editorReady = false;
        editor.rows[i].conditionEdit.setText(QStringLiteral("X-Test: %1").arg(i));
        editor.rows[i].actionList.setTopIndex(action);
        editor.rows[i].targetEdit.setText(target);
        editor.editorReady = true;
        return editor.rows[i];
    }
};

// The target box and the "..." button as the row's action leaves them.
void checkTarget(const RuleRow &row, const QString &text, bool locked, bool browse)
{
    QCOMPARE(row.targetEdit.text(), text);
    QCOMPARE(row.targetEdit.locked(), locked);
    QCOMPARE(row.targetEdit.foreColor(), locked ? ColorRole::GrayText : ColorRole::WindowText);
    QCOMPARE(row.browseRecipientButton.enabled(), browse);
}

template<typename... Values> void row(const char *tag, const Values &...values)
{
    QTestData &data = QTest::newRow(tag);
    ((data << values), ...);
}

} // namespace

void TestRuleEditor::designTimeContent()
{
    Fixture f;
    const RuleEditor &e = f.editor;
    QCOMPARE(e.rows[0].actionList.entries(),
             (QStringList{"move to folder", "delete", "forward to", "set SCL to "}));
    QCOMPARE(e.rows[3].actionList.entries(),
             (QStringList{"move to folder", "delete", "forward to", "set SCL to"}));
    QCOMPARE(e.rows[1].testConditionButton.caption(), QStringLiteral("Test"));
    QCOMPARE(e.rows[1].browseRecipientButton.caption(), QStringLiteral("..."));
    QCOMPARE(e.priorityEdit.toolTip(), QStringLiteral("(0 is highest, 65535 is lowest)"));
    QVERIFY(!e.editorReady);
    QCOMPARE(e.lastAcceptedPriority, QString());
    QVERIFY(e.rows[0].actionList.enabled());
    QVERIFY(!e.rows[1].actionList.enabled());
    QVERIFY(e.rows[1].targetEdit.locked());
}

// Each step scrolls row 1 to an action, after an optional typed target; every property
// of the target is checked after each step, so each one must change with the action.
void TestRuleEditor::steppingThroughTheActions()
{
    Fixture f;
    RuleRow &row = f.row(1, 0, QStringLiteral("Junk"));
    const struct
    {
        const char *typed;
        int action;
        const char *target;
    } steps[] = {{nullptr, 1, "[NULL]"}, {nullptr, 2, ""}, {nullptr, 3, "9"},
                 {"4", 3, "4"},          {" ", 3, " "},    {nullptr, 2, ""},
                 {"x", 0, ""},           {nullptr, 2, ""}, {"x", 1, "[NULL]"}};
    for (const auto &step : steps) {
        if (step.typed)
            row.targetEdit.setText(QString::fromLatin1(step.typed));
        row.actionList.setSelected(step.action, true);
        row.actionList.setTopIndex(step.action);
        f.editor.onActionScrolled(1);
        const bool forward = step.action == RuleEditor::ForwardTo;
        checkTarget(row, QString::fromLatin1(step.target), forward, forward);
        QCOMPARE(row.actionList.selectedCount(), 0);
        QCOMPARE(row.actionList.currentIndex(), -1);
        QCOMPARE(f.editor.action(1), step.action);
    }
    // Setting an unchanged index clicks as well.
    row.targetEdit.setText(QStringLiteral("typed"));
    f.editor.setActionIndex(1, -1);
    QCOMPARE(row.targetEdit.text(), QStringLiteral("[NULL]"));
}

void TestRuleEditor::switchingRowOffAndOn_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("emptyCondition");
    row("move, emptied", 0, QString());
    row("delete, spaces", 1, QStringLiteral("   "));
    row("forward, emptied", 2, QString());
    row("scl, spaces", 3, QStringLiteral(" "));
}

void TestRuleEditor::switchingRowOffAndOn()
{
    QFETCH(int, action);
    QFETCH(QString, emptyCondition);

    Fixture f;
    RuleRow &row = f.row(2, action, QStringLiteral("Target"));
    row.browseRecipientButton.setEnabled(true);
    row.conditionEdit.setText(emptyCondition);
    QCOMPARE(row.conditionEdit.toolTip(), emptyCondition);
    QVERIFY(!row.actionList.enabled());
    checkTarget(row, QString(), true, false);
    QCOMPARE(f.editor.action(2), action);

    // On again: the lock follows the action, "..." and the text stay as they are.
    row.conditionEdit.setText(QStringLiteral(" Subject: x "));
    QCOMPARE(row.conditionEdit.toolTip(), QStringLiteral(" Subject: x "));
    QVERIFY(row.actionList.enabled());
    QCOMPARE(row.targetEdit.locked(), action == RuleEditor::ForwardTo);
    QCOMPARE(row.targetEdit.foreColor(),
             action == RuleEditor::ForwardTo ? ColorRole::GrayText : ColorRole::WindowText);
    QVERIFY(!row.browseRecipientButton.enabled());
    QCOMPARE(row.targetEdit.text(), QString());
}

void TestRuleEditor::sclCheck_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("complains");
    for (const char *bad : {"10", "-2", "abc", "123", "005", "", "1e", "."})
        row(bad, 3, QString(bad), true);
    for (const char *good : {"-1", "0", "9", "  5  ", ".5", "+7", "5."})
        row(good, 3, QString(good), false);
    row("folder action never checks", 0, QStringLiteral("abc"), false);
    row("delete action never checks", 1, QStringLiteral("[NULL]"), false);
}

void TestRuleEditor::sclCheck()
{
    QFETCH(int, action);
    QFETCH(QString, target);
    QFETCH(bool, complains);

    Fixture f;
    RuleRow &row = f.row(1, action, target);
    f.editor.onTargetFocusLost(1);
    QCOMPARE(row.targetEdit.text(), target);
    QCOMPARE(row.targetEdit.toolTip(), target);
    QCOMPARE(f.screen.messages.size(), complains ? 1 : 0);
    QCOMPARE(f.screen.focusRequests, complains ? QStringList{"targetEdit1"} : QStringList());
    if (complains) {
        QCOMPARE(f.screen.messages[0].text, QStringLiteral("SCL should be from -1 To 9"));
        QCOMPARE(f.screen.messages[0].icon, Screen::Icon::None);
        QCOMPARE(f.screen.messages[0].title, QStringLiteral("KestrelonSetup"));
    }
}

void TestRuleEditor::priorityKeysAndCheck()
{
    for (QChar key : QStringLiteral("0123456789\b "))
        QVERIFY2(RuleEditor::isPriorityKeyAllowed(key), qPrintable(QString::number(key.unicode())));
    for (QChar key : QStringLiteral("a-.\t\r\x16/:") + QChar(0x0663))
        QVERIFY2(!RuleEditor::isPriorityKeyAllowed(key),
                 qPrintable(QString::number(key.unicode())));

    // Each text typed in turn, and what the box shows and holds as accepted afterwards.
    Fixture f;
    f.editor.lastAcceptedPriority = QStringLiteral("65535");
    // Numbers as the platform reads them: surrounding spaces, sign, point, E or D exponent.
    const char *steps[][2] = {{"655351", "65535"}, {"65536", "65535"}, {"6553", "6553"},
                              {"", "6553"},        {"0", "0"},         {"1 2", "0"},
                              {" 12 ", " 12 "},    {"5a", " 12 "},     {"99999999999", " 12 "},
                              {"-3", "-3"},        {"1e3", "1e3"},     {"1e", "1e3"},
                              {"2D2", "2D2"},      {"1e400", "2D2"},   {".", "2D2"},
                              {"-", "2D2"},        {"\t5", "2D2"},     {"   ", "2D2"},
                              {"+5", "+5"},        {"1.5", "1.5"},     {"65535", "65535"}};
    for (const auto &[typed, shown] : steps) {
        f.editor.priorityEdit.setText(QString::fromLatin1(typed));
        QCOMPARE(f.editor.priorityEdit.text(), QString::fromLatin1(shown));
        QCOMPARE(f.editor.lastAcceptedPriority, QString::fromLatin1(shown));
        QVERIFY(!f.editor.priorityGuard);
    }
    // The guard turns exactly one change away.
    f.editor.priorityGuard = true;
    f.editor.priorityEdit.setText(QStringLiteral("abc"));
    QCOMPARE(f.editor.priorityEdit.text(), QStringLiteral("abc"));
    QVERIFY(!f.editor.priorityGuard);
    f.editor.priorityEdit.setText(QStringLiteral("abcd"));
    QCOMPARE(f.editor.priorityEdit.text(), QStringLiteral("65535"));
}

// While the loader runs, neither a list index, an unchanged one nor a scroll clicks.
void TestRuleEditor::loadingEditorIgnoresActionClicks()
{
    Fixture f;
    RuleRow &row = f.row(0, 0, QStringLiteral("Keep"));
    f.editor.editorReady = false;
    row.actionList.setSelected(2, true);
    row.actionList.setCurrentIndex(2);
    f.editor.setActionIndex(0, 2);
    row.actionList.setTopIndex(3);
    f.editor.onActionScrolled(0);
    QCOMPARE(row.targetEdit.text(), QStringLiteral("Keep"));
    QVERIFY(!row.targetEdit.locked());
    QVERIFY(row.actionList.selected(2));
}

void TestRuleEditor::buttonsReachTheirHooks()
{
    Fixture f;
    f.editor.onTestConditionClicked(1); // without hooks: nothing happens
    f.editor.onBrowseRecipientClicked(1);
    QList<int> tested;
    QList<int> browsed;
    f.editor.testCondition = [&](int row) {
        tested << row;
    };
    f.editor.browseRecipient = [&](int row) {
        browsed << row;
    };
    f.editor.onTestConditionClicked(2);
    f.editor.onBrowseRecipientClicked(3);
    QCOMPARE(tested, QList<int>{2});
    QCOMPARE(browsed, QList<int>{3});
}

QTEST_GUILESS_MAIN(TestRuleEditor)
#include "tst_ruleeditor.moc"
