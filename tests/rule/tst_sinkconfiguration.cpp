#include "rule/sinkconfiguration.h"
#include "rule/spacetrim.h"
#include "shell/recordingscreen.h"

#include <QtTest>

// Writing the rule into the sink configuration string and reading it back.
class TestSinkConfiguration : public QObject
{
    Q_OBJECT
private slots:
    void build_data();
    void build();
    void load_data();
    void load();
    void loadWithoutConditionsUnlocksRows();
};

namespace {

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

template<typename... Texts> void row(const char *tag, const Texts &...texts)
{
    QTestData &data = QTest::newRow(tag);
    ((data << QString(texts)), ...);
}

} // namespace

// A rule as typed is written; the string is read back into a fresh editor. A refused
// rule leaves its cleaned targets in the editor.
void TestSinkConfiguration::build_data()
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
    row("scl and forward", "A|B|C|D;3332;5|-1|10|j@x.org;1",
        "+5\t-1\t10\tj@x.org\t\rA\tB\tC\tD\t\r1", "A|B|C|D;3302;5|-1|10|j@x.org;1");
    row("marks decide", "A|B||;2000;Postmaster|+x||;1", "Postmaster\t+x\t\rA\tB\t\r1",
        "A|B||;0300;Postmaster|x||;1");
    // Slashes turned, quotes removed, outer backslashes stripped, then colons removed.
    row("cleaning", "A|||;0000; \\\\':/a\"/b:/ |||;1", "\\a\\b\t\rA\t\r1", "A|||;0000;\\a\\b|||;1");
    row("trimmed, tabs kept and split", "  \tA b  |||;0000;T|||;  7 ", "T\t\r\tA b\t\r7",
        "|A b||;0000;T|||;7");
    row("scl without value", "A|B||;0300;T|||;1", "T\t\rA\tB\t\r1", "A|B||;0000;T|||;1");
    row("slashes only", "A|||;0000;/\\//|||;1", "", "A|||;0000;|||;1");
    row("forward without recipient", "A|||;2000;|||;1", "", "A|||;2000;|||;1");
    row("incomplete row stops", "A|B|C|D;1000;x|/two/||/four/;1", "",
        "A|B|C|D;1000;[Null]|two||/four/;1");
    row("no conditions", "|||;0000;Spam|Other||;1", "", "|||;0000;Spam|Other||;1");
    row("tab conditions only", "\t|||;0000;Spam|||;1", "", "\t|||;0000;Spam|||;1");
}

void TestSinkConfiguration::build()
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

void TestSinkConfiguration::load_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("before"); // empty: a fresh editor
    QTest::addColumn<QString>("after");

    row("fewer conditions", "a\tb\tc\t\rA\t\r7", "P|Q|R|S;0000;Spam|||;1", "A|||;0000;a|b|c|;7");
    row("fewer targets", "x\t\rA\tB\tC\tD\t\r1", "P|Q|R|S;0132;p|q|r|s;1", "A|B|C|D;0132;x|||;1");
    row("no CR", "Inbox\tX: Y\t", "P|Q||;1200;[NULL]|||;42", "P|Q||;1200;[NULL]|||;42");
    row("no CR, row 0 empty", "Spam only", "|Q|R|;0000;|q|r|;", Fresh);
    row("CR first", "\rA\t\r5", "", Fresh);
    row("one CR", "junk@example.org\t\rA\t", "X-Spam-Flag: YES|||;0000;Spam|||;123",
        "A|||;2000;junk@example.org|||;123");
    row("one CR, no priority", "T\t\rA\t", "X-Spam-Flag: YES|||;0000;Spam|||;",
        "A|||;0000;T|||;65535");
    row("lower-case null", "[null]\t\rA\t\r1", "", "A|||;1000;[null]|||;1");
    row("three-character scl", "+10\t\rA\t\r1", "X|||;1000;x|||;1", "A|||;1000;+10|||;1");
    row("trimming", " a \tb\t\rA\t B \t\r 9 ", "", "A| B ||;0000;a|b||;9");
    row("empty conditions field", "T\t\r\r5", "", "\r5|||;0000;T|||;65535");
    row("priority unchecked", "T\t\rA\t\r99999", "", "A|||;0000;T|||;99999");
}

void TestSinkConfiguration::load()
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
void TestSinkConfiguration::loadWithoutConditionsUnlocksRows()
{
    RecordingScreen screen;
    RuleEditor editor(screen);
    fill(editor, QStringLiteral("A|B|C|;0000;a|b|c|;1"));
    for (RuleRow &row : editor.rows)
        row.targetEdit.setLocked(true);
    editor.rows[2].actionList.setCurrentIndex(2);
    loadSinkConfiguration(editor, QStringLiteral("a\t\r   "));
    QCOMPARE(ruleOf(editor), QStringLiteral("A|B|C|;0000;a|||;1"));
    QVERIFY(!editor.rows[0].targetEdit.locked());
    QVERIFY(!editor.rows[1].targetEdit.locked());
    QVERIFY(editor.rows[2].targetEdit.locked());
    QVERIFY(editor.rows[3].targetEdit.locked());
}

QTEST_GUILESS_MAIN(TestSinkConfiguration)
#include "tst_sinkconfiguration.moc"
