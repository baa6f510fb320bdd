#include "rule/sinkconfiguration.h"
#include "rule/spacetrim.h"
#include "shell/recordingscreen.h"
#include "support/datarow.h"

#include <QtTest>

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

// A rule as one text: "c0|c1|c2|c3;actions;t0|t1|t2|t3;priority", the four conditions,
// the four actions as digits, the four targets and the priority.
const QString Fresh = QStringLiteral("X-Spam-Flag: YES|||;0000;Spam|||;65535");
const QString Second = QStringLiteral("Subject: [SPAM]|X-Spam-Flag: YES|IMFSCL: {> 3}|;0130;");
const QString Caption = QStringLiteral("Kestrelon setup on TESTBOX");

// Puts a rule into an editor as the configuration loader would: no action clicks.
void fill(RuleEditor &editor, const QString &rule)
{
    const QStringList parts = rule.split(QLatin1Char(';'));
    for (int i = 0; i < RuleEditor::RowCount; ++i) {
        editor.rows[i].conditionEdit.setText(parts[0].split(QLatin1Char('|')).value(i));
        editor.rows[i].actionList.setTopIndex(parts[1][i].digitValue());
        editor.rows[i].targetEdit.setText(parts[2].split(QLatin1Char('|')).value(i));
    }
    editor.priorityGuard = true;
    editor.priorityEdit.setText(parts[3]);
    editor.priorityGuard = false;
}

QString ruleOf(const RuleEditor &editor)
{
    QStringList conditions;
    QString actions;
    QStringList targets;
    for (int i = 0; i < RuleEditor::RowCount; ++i) {
        conditions << editor.rows[i].conditionEdit.text();
        actions += QString::number(editor.action(i));
        targets << editor.rows[i].targetEdit.text();
    }
    return conditions.join(QLatin1Char('|')) + QLatin1Char(';') + actions + QLatin1Char(';') +
           targets.join(QLatin1Char('|')) + QLatin1Char(';') + editor.priorityEdit.text();
}

} // namespace

// The rule subsystem: the editor's handlers (action steps, row switching, SCL and priority
// checks) and the sink configuration string, written from the rows and read back.
class TestRule : public QObject
{
    Q_OBJECT
private slots:
    // Each step scrolls row 1 to an action, after an optional typed target; every property
    // of the target is checked after each step, so each one must change with the action.
    void steppingThroughTheActions()
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

    void switchingRowOffAndOn_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("emptyCondition");
        row("move, emptied", 0, QString());
        row("delete, spaces", 1, QStringLiteral("   "));
        row("forward, emptied", 2, QString());
        row("scl, spaces", 3, QStringLiteral(" "));
    }

    void switchingRowOffAndOn()
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

    void sclCheck_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("complains");
        for (const char *bad : {"10", "-2", "abc", ""})
            row(bad, 3, QString(bad), true);
        for (const char *good : {"-1", "9", "  5  ", "+7"})
            row(good, 3, QString(good), false);
        row("folder action never checks", 0, QStringLiteral("abc"), false);
        row("delete action never checks", 1, QStringLiteral("[NULL]"), false);
    }

    void sclCheck()
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

    void priorityKeysAndCheck()
    {
        for (QChar key : QStringLiteral("0123456789\b "))
            QVERIFY2(RuleEditor::isPriorityKeyAllowed(key),
                     qPrintable(QString::number(key.unicode())));
        for (QChar key : QStringLiteral("a-.\t\x7f\x16") + QChar(0x0663))
            QVERIFY2(!RuleEditor::isPriorityKeyAllowed(key),
                     qPrintable(QString::number(key.unicode())));

        // Each text typed in turn, and what the box shows and holds as accepted afterwards.
        Fixture f;
        f.editor.lastAcceptedPriority = QStringLiteral("65535");
        // Numbers as the platform reads them: surrounding spaces, sign, point, E or D exponent.
        const char *steps[][2] = {{"655351", "65535"}, {"65536", "65535"}, {"6553", "6553"},
                                  {"", "6553"},        {"0", "0"},         {"1 2", "0"},
                                  {" 12 ", " 12 "},    {"5a", " 12 "},     {"99999999999", " 12 "},
                                  {"2D2", "2D2"},      {"\t5", "2D2"},     {"65535", "65535"}};
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
    void loadingEditorIgnoresActionClicks()
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

    // A rule as typed is written; the string is read back into a fresh editor. A refused
    // rule leaves its cleaned targets in the editor.
    void build_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::addColumn<QString>("after");  // the fresh reader, or the refusing writer

        row("defaults", Fresh, "Spam\t\rX-Spam-Flag: YES\t\r65535", Fresh);
        row("second example", Second + "/Inbox/Spam/|anything|9|;100",
            "Inbox\\Spam\t[Null]\t+9\t\rSubject: [SPAM]\tX-Spam-Flag: YES\tIMFSCL: {> 3}\t\r100",
            Second + "Inbox\\Spam|[Null]|9|;100");
        row("rows 0 and 2 move up", "A||C|;0010;Junk|||;500", "Junk\t[Null]\t\rA\tC\t\r500",
            "A|C||;0100;Junk|[Null]||;500");
        // An empty row adds nothing, whatever its action: rows stay paired.
        row("empty delete row", "A||C|;0100;T||x|;1", "T\tx\t\rA\tC\t\r1", "A|C||;0000;T|x||;1");
        // A condition of TABs is no empty condition: the TABs go into the string.
        row("tab condition", "\t|B||;1000;|T||;1", "[Null]\tT\t\r\t\tB\t\r1",
            "||B|;1000;[Null]|T||;1");
        row("scl and forward", "A|B|C|D;3332;5|-1|10|j@x.org;1",
            "+5\t-1\t10\tj@x.org\t\rA\tB\tC\tD\t\r1", "A|B|C|D;3302;5|-1|10|j@x.org;1");
        row("marks decide", "A|B||;2000;Postmaster|+x||;1", "Postmaster\t+x\t\rA\tB\t\r1",
            "A|B||;0300;Postmaster|x||;1");
        // Slashes turned, quotes removed, outer backslashes stripped, then colons removed.
        row("cleaning", "A|||;0000; \\\\':/a\"/b:/ |||;1", "\\a\\b\t\rA\t\r1",
            "A|||;0000;\\a\\b|||;1");
        row("trimmed, tabs kept and split", "  \tA b  |||;0000;T|||;  7 ", "T\t\r\tA b\t\r7",
            "|A b||;0000;T|||;7");
        row("scl without value", "A|B||;0300;T|||;1", "", "A|B||;0300;T|||;1");
        row("slashes only", "A|||;0000;/\\//|||;1", "", "A|||;0000;|||;1");
        row("forward without recipient", "A|||;2000;|||;1", "", "A|||;2000;|||;1");
        row("incomplete row stops", "A|B|C|D;1000;x|/two/||/four/;1", "",
            "A|B|C|D;1000;[Null]|two||/four/;1");
        row("no conditions", "|||;0000;Spam|Other||;1", "", "|||;0000;Spam|Other||;1");
        row("tab conditions only", "\t|||;0000;Spam|||;1", "", "\t|||;0000;Spam|||;1");
    }

    void build()
    {
        QFETCH(QString, rule);
        QFETCH(QString, stored);
        QFETCH(QString, after);

        RecordingScreen screen;
        RuleEditor editor(screen);
        fill(editor, rule);
        const std::optional<QString> built = buildSinkConfiguration(editor, Caption);
        QCOMPARE(built.value_or(QString()), stored);
        QCOMPARE(built.has_value(), !stored.isEmpty());
        QCOMPARE(screen.messages.size(), built ? 0 : 1);
        if (!built) {
            QCOMPARE(ruleOf(editor), after);
            QCOMPARE(screen.messages[0].text,
                     QStringLiteral("Please fill the Spam header and Target folder fields"));
            QCOMPARE(screen.messages[0].icon, Screen::Icon::Exclamation);
            QCOMPARE(screen.messages[0].title, Caption);
            return;
        }
        RuleEditor reader(screen);
        loadSinkConfiguration(reader, *built);
        QCOMPARE(ruleOf(reader), after);
    }

    void load_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("before"); // empty: a fresh editor
        QTest::addColumn<QString>("after");

        row("fewer conditions", "a\tb\tc\t\rA\t\r7", "P|Q|R|S;0000;Spam|||;1",
            "A|||;0000;a|b|c|;7");
        row("fewer targets", "x\t\rA\tB\tC\tD\t\r1", "P|Q|R|S;0132;p|q|r|s;1",
            "A|B|C|D;0132;x|||;1");
        row("no CR", "Inbox\tX: Y\t", "P|Q||;1200;[NULL]|||;42", "P|Q||;1200;[NULL]|||;42");
        row("no CR, row 0 empty", "Spam only", "|Q|R|;0000;|q|r|;", Fresh);
        row("CR first", "\rA\t\r5", "", Fresh);
        row("one CR", "junk@example.org\t\rA\t", "X-Spam-Flag: YES|||;0000;Spam|||;123",
            "A|||;2000;junk@example.org|||;123");
        row("lower-case null", "[null]\t\rA\t\r1", "", "A|||;1000;[null]|||;1");
        row("three-character scl", "+10\t\rA\t\r1", "X|||;1000;x|||;1", "A|||;1000;+10|||;1");
        row("trimming", " a \tb\t\rA\t B \t\r 9 ", "", "A| B ||;0000;a|b||;9");
    }

    void load()
    {
        QFETCH(QString, stored);
        QFETCH(QString, before);
        QFETCH(QString, after);

        RecordingScreen screen;
        RuleEditor editor(screen);
        if (!before.isEmpty())
            fill(editor, before);
        loadSinkConfiguration(editor, stored);
        QCOMPARE(ruleOf(editor), after);
        QCOMPARE(editor.lastAcceptedPriority, editor.priorityEdit.text());
        QVERIFY(!editor.priorityGuard);
        // A row without a condition is switched off; the others show no highlight.
        for (const RuleRow &row : editor.rows) {
            const bool off = trimSpaces(row.conditionEdit.text()).isEmpty();
            QCOMPARE(row.actionList.enabled(), !off);
            if (off) {
                QVERIFY(row.targetEdit.locked());
                QCOMPARE(row.targetEdit.foreColor(), ColorRole::GrayText);
            }
            QCOMPARE(row.actionList.selectedCount(), 0);
        }
        QVERIFY(screen.messages.isEmpty());
    }

    // With no stored conditions, rows with a condition and no action selection are unlocked.
    void loadWithoutConditionsUnlocksRows()
    {
        RecordingScreen screen;
        RuleEditor editor(screen);
        fill(editor, QStringLiteral("A|B|C|;0000;a|b|c|;1"));
        for (RuleRow &row : editor.rows)
            row.targetEdit.setLocked(true);
        editor.rows[2].actionList.setCurrentIndex(2);
        // A stored target clears its row's highlight; rows past the stored ones keep theirs.
        editor.rows[0].actionList.setSelected(0, true);
        editor.rows[3].actionList.setSelected(0, true);
        loadSinkConfiguration(editor, QStringLiteral("a\t\r   "));
        QCOMPARE(editor.rows[0].actionList.selectedCount(), 0);
        QCOMPARE(editor.rows[3].actionList.selectedCount(), 1);
        QCOMPARE(ruleOf(editor), QStringLiteral("A|B|C|;0000;a|||;1"));
        QVERIFY(!editor.rows[0].targetEdit.locked());
        QVERIFY(!editor.rows[1].targetEdit.locked());
        QVERIFY(editor.rows[2].targetEdit.locked());
        QVERIFY(editor.rows[3].targetEdit.locked());
    }
};

QTEST_GUILESS_MAIN(TestRule)
#include "tst_rule.moc"
