#include "rule/sinkconfiguration.h"
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
    void roundTrip_data();
    void roundTrip();
    void loadSwitchesEmptiedRowsOff();
    void loadWithoutConditionsUnlocksRows();
    void loadSetsPriorityWithoutCheck();
};

namespace {

const QString Tab(QChar(9));
const QString Cr(QChar(13));
const QString Caption = QStringLiteral("Kestrelon setup on TESTBOX");
const QString Refusal = QStringLiteral("Please fill the Spam header and Target folder fields");

// Puts rows into an editor as the configuration loader would: no action clicks.
void fill(RuleEditor &editor, const QStringList &conditions, const QList<int> &actions,
          const QStringList &targets, const QString &priority)
{
    for (int i = 0; i < RuleEditor::RowCount; ++i) {
        editor.rows[i].txtSpamTag.setText(conditions.value(i));
        editor.rows[i].List1.setTopIndex(actions.value(i));
        editor.rows[i].txtSpamFolder.setText(targets.value(i));
    }
    editor.priorityGuard = true;
    editor.txtPriority.setText(priority);
    editor.priorityGuard = false;
}

QStringList conditionsOf(const RuleEditor &editor)
{
    QStringList list;
    for (const RuleRow &row : editor.rows)
        list << row.txtSpamTag.text();
    return list;
}

QStringList targetsOf(const RuleEditor &editor)
{
    QStringList list;
    for (const RuleRow &row : editor.rows)
        list << row.txtSpamFolder.text();
    return list;
}

QList<int> actionsOf(const RuleEditor &editor)
{
    QList<int> list;
    for (int i = 0; i < RuleEditor::RowCount; ++i)
        list << editor.action(i);
    return list;
}

} // namespace

void TestSinkConfiguration::build_data()
{
    QTest::addColumn<QStringList>("conditions");
    QTest::addColumn<QList<int>>("actions");
    QTest::addColumn<QStringList>("targets");
    QTest::addColumn<QString>("priority");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("targetsAfter");

    QTest::newRow("defaults") << QStringList{"X-Spam-Flag: YES", "", "", ""}
                              << QList<int>{0, 0, 0, 0} << QStringList{"Spam", "", "", ""}
                              << "65535" << false
                              << "Spam" + Tab + Cr + "X-Spam-Flag: YES" + Tab + Cr + "65535"
                              << QStringList{"Spam", "", "", ""};
    QTest::newRow("second example")
        << QStringList{"Subject: [SPAM]", "X-Spam-Flag: YES", "IMFSCL: {> 3}", ""}
        << QList<int>{0, 1, 3, 0} << QStringList{"/Inbox/Spam/", "anything", "9", ""} << "100"
        << false
        << "Inbox\\Spam" + Tab + "[Null]" + Tab + "+9" + Tab + Cr + "Subject: [SPAM]" + Tab +
               "X-Spam-Flag: YES" + Tab + "IMFSCL: {> 3}" + Tab + Cr + "100"
        << QStringList{"Inbox\\Spam", "[Null]", "9", ""};
    QTest::newRow("cleaning") << QStringList{"A", "", "", ""} << QList<int>{0, 0, 0, 0}
                              << QStringList{" 'a':\"b\"/c\\ ", "", "", ""} << "1" << false
                              << "ab\\c" + Tab + Cr + "A" + Tab + Cr + "1"
                              << QStringList{"ab\\c", "", "", ""};
    QTest::newRow("colon removed after stripping")
        << QStringList{"A", "", "", ""} << QList<int>{0, 0, 0, 0}
        << QStringList{"\\:Inbox:\\", "", "", ""} << "1" << false
        << "Inbox" + Tab + Cr + "A" + Tab + Cr + "1" << QStringList{"Inbox", "", "", ""};
    QTest::newRow("trimmed condition and priority")
        << QStringList{"  A b  ", "", "", ""} << QList<int>{0, 0, 0, 0}
        << QStringList{"T", "", "", ""} << "  7 " << false
        << "T" + Tab + Cr + "A b" + Tab + Cr + "7" << QStringList{"T", "", "", ""};
    QTest::newRow("tabs not trimmed")
        << QStringList{"\tA", "", "", ""} << QList<int>{0, 0, 0, 0} << QStringList{"T", "", "", ""}
        << "7" << false << "T" + Tab + Cr + "\tA" + Tab + Cr + "7" << QStringList{"T", "", "", ""};
    QTest::newRow("forward recipient")
        << QStringList{"A", "", "", ""} << QList<int>{2, 0, 0, 0}
        << QStringList{"junk@example.org", "", "", ""} << "1" << false
        << "junk@example.org" + Tab + Cr + "A" + Tab + Cr + "1"
        << QStringList{"junk@example.org", "", "", ""};
    QTest::newRow("scl 5") << QStringList{"A", "", "", ""} << QList<int>{3, 0, 0, 0}
                           << QStringList{"5", "", "", ""} << "1" << false
                           << "+5" + Tab + Cr + "A" + Tab + Cr + "1"
                           << QStringList{"5", "", "", ""};
    QTest::newRow("scl -1") << QStringList{"A", "", "", ""} << QList<int>{3, 0, 0, 0}
                            << QStringList{"-1", "", "", ""} << "1" << false
                            << "-1" + Tab + Cr + "A" + Tab + Cr + "1"
                            << QStringList{"-1", "", "", ""};
    QTest::newRow("scl two digits unchanged")
        << QStringList{"A", "", "", ""} << QList<int>{3, 0, 0, 0} << QStringList{"10", "", "", ""}
        << "1" << false << "10" + Tab + Cr + "A" + Tab + Cr + "1" << QStringList{"10", "", "", ""};
    QTest::newRow("scl empty value adds condition only")
        << QStringList{"A", "B", "", ""} << QList<int>{0, 3, 0, 0} << QStringList{"T", "", "", ""}
        << "1" << false << "T" + Tab + Cr + "A" + Tab + "B" + Tab + Cr + "1"
        << QStringList{"T", "", "", ""};
    QTest::newRow("delete whatever the target")
        << QStringList{"A", "", "", ""} << QList<int>{1, 0, 0, 0}
        << QStringList{"some/where", "", "", ""} << "1" << false
        << "[Null]" + Tab + Cr + "A" + Tab + Cr + "1" << QStringList{"[Null]", "", "", ""};
    QTest::newRow("slashes only refused") << QStringList{"A", "", "", ""} << QList<int>{0, 0, 0, 0}
                                          << QStringList{"/\\//", "", "", ""} << "1" << true
                                          << QString() << QStringList{"", "", "", ""};
    QTest::newRow("forward without recipient refused")
        << QStringList{"A", "", "", ""} << QList<int>{2, 0, 0, 0} << QStringList{"", "", "", ""}
        << "1" << true << QString() << QStringList{"", "", "", ""};
    QTest::newRow("incomplete row stops the build")
        << QStringList{"A", "B", "C", ""} << QList<int>{0, 0, 0, 0}
        << QStringList{"/one/", "", "/three/", ""} << "1" << true << QString()
        << QStringList{"one", "", "/three/", ""};
    QTest::newRow("no conditions refused") << QStringList{"", "", "", ""} << QList<int>{0, 0, 0, 0}
                                           << QStringList{"Spam", "Other", "", ""} << "1" << true
                                           << QString() << QStringList{"Spam", "Other", "", ""};
    QTest::newRow("only spaces as conditions refused")
        << QStringList{"   ", "", "", ""} << QList<int>{0, 0, 0, 0}
        << QStringList{"Spam", "", "", ""} << "1" << true << QString()
        << QStringList{"Spam", "", "", ""};
    QTest::newRow("nothing at all refused")
        << QStringList{"", "", "", ""} << QList<int>{0, 0, 0, 0} << QStringList{"", "", "", ""}
        << "1" << true << QString() << QStringList{"", "", "", ""};
    QTest::newRow("tab conditions only refused")
        << QStringList{"\t", "", "", ""} << QList<int>{0, 0, 0, 0}
        << QStringList{"Spam", "", "", ""} << "1" << true << QString()
        << QStringList{"Spam", "", "", ""};
}

void TestSinkConfiguration::build()
{
    QFETCH(QStringList, conditions);
    QFETCH(QList<int>, actions);
    QFETCH(QStringList, targets);
    QFETCH(QString, priority);
    QFETCH(bool, refused);
    QFETCH(QString, expected);
    QFETCH(QStringList, targetsAfter);

    RecordingScreen screen;
    RuleEditor editor(screen);
    fill(editor, conditions, actions, targets, priority);
    const std::optional<QString> built = BuildSinkConfiguration(editor, Caption);
    QCOMPARE(targetsOf(editor), targetsAfter);
    if (refused) {
        QVERIFY(!built);
        QCOMPARE(screen.messages.size(), 1);
        QCOMPARE(screen.messages[0].text, Refusal);
        QCOMPARE(screen.messages[0].icon, Screen::Icon::Exclamation);
        QCOMPARE(screen.messages[0].title, Caption);
    } else {
        QVERIFY(built);
        QCOMPARE(*built, expected);
        QVERIFY(screen.messages.isEmpty());
    }
}

void TestSinkConfiguration::load_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("conditionsBefore");
    QTest::addColumn<QList<int>>("actionsBefore");
    QTest::addColumn<QStringList>("targetsBefore");
    QTest::addColumn<QString>("priorityBefore");
    QTest::addColumn<QStringList>("conditions");
    QTest::addColumn<QList<int>>("actions");
    QTest::addColumn<QStringList>("targets");
    QTest::addColumn<QString>("priority");

    const QStringList fresh{"X-Spam-Flag: YES", "", "", ""};
    const QStringList freshTargets{"Spam", "", "", ""};
    const QList<int> zero{0, 0, 0, 0};

    QTest::newRow("defaults change nothing")
        << "Spam" + Tab + Cr + "X-Spam-Flag: YES" + Tab + Cr + "65535" << fresh << zero
        << freshTargets << "65535" << fresh << zero << freshTargets << "65535";
    QTest::newRow("second example")
        << "Inbox\\Spam" + Tab + "[Null]" + Tab + "+9" + Tab + Cr + "Subject: [SPAM]" + Tab +
               "X-Spam-Flag: YES" + Tab + "IMFSCL: {> 3}" + Tab + Cr + "100"
        << fresh << zero << freshTargets << "65535"
        << QStringList{"Subject: [SPAM]", "X-Spam-Flag: YES", "IMFSCL: {> 3}", ""}
        << QList<int>{0, 1, 3, 0} << QStringList{"Inbox\\Spam", "[Null]", "9", ""} << "100";
    QTest::newRow("fewer conditions than rows")
        << "a" + Tab + "b" + Tab + "c" + Tab + Cr + "A" + Tab + Cr + "7"
        << QStringList{"P", "Q", "R", "S"} << zero << freshTargets << "1"
        << QStringList{"A", "", "", ""} << zero << QStringList{"a", "b", "c", ""} << "7";
    QTest::newRow("fewer targets keep actions")
        << "x" + Tab + Cr + "A" + Tab + "B" + Tab + "C" + Tab + "D" + Tab + Cr + "1"
        << QStringList{"P", "Q", "R", "S"} << QList<int>{0, 1, 3, 2}
        << QStringList{"p", "q", "r", "s"} << "1" << QStringList{"A", "B", "C", "D"}
        << QList<int>{0, 1, 3, 2} << QStringList{"x", "", "", ""} << "1";
    QTest::newRow("no CR keeps the rows")
        << "Inbox" + Tab + "X: Y" + Tab << QStringList{"P", "Q", "", ""} << QList<int>{1, 2, 0, 0}
        << QStringList{"[NULL]", "", "", ""} << "42" << QStringList{"P", "Q", "", ""}
        << QList<int>{1, 2, 0, 0} << QStringList{"[NULL]", "", "", ""} << "42";
    QTest::newRow("no CR fills defaults of empty row 0")
        << "Spam only" << QStringList{"", "Q", "R", ""} << zero << QStringList{"", "q", "r", ""}
        << "" << QStringList{"X-Spam-Flag: YES", "", "", ""} << zero
        << QStringList{"Spam", "", "", ""} << "65535";
    QTest::newRow("empty text keeps a typed rule")
        << "" << QStringList{"A", "B", "", ""} << QList<int>{0, 3, 0, 0}
        << QStringList{"t", "5", "", ""} << "9" << QStringList{"A", "B", "", ""}
        << QList<int>{0, 3, 0, 0} << QStringList{"t", "5", "", ""} << "9";
    QTest::newRow("CR at first position reads nothing")
        << Cr + "A" + Tab + Cr + "5" << fresh << zero << freshTargets << "65535" << fresh << zero
        << freshTargets << "65535";
    QTest::newRow("one CR keeps priority")
        << "junk@example.org" + Tab + Cr + "A" + Tab << fresh << zero << freshTargets << "123"
        << QStringList{"A", "", "", ""} << QList<int>{2, 0, 0, 0}
        << QStringList{"junk@example.org", "", "", ""} << "123";
    QTest::newRow("one CR, empty priority field")
        << "T" + Tab + Cr + "A" + Tab << fresh << zero << freshTargets << ""
        << QStringList{"A", "", "", ""} << zero << QStringList{"T", "", "", ""} << "65535";
    QTest::newRow("lower-case null is delete")
        << "[null]" + Tab + Cr + "A" + Tab + Cr + "1" << fresh << zero << freshTargets << "1"
        << QStringList{"A", "", "", ""} << QList<int>{1, 0, 0, 0}
        << QStringList{"[null]", "", "", ""} << "1";
    QTest::newRow("scl plus removed")
        << "+5" + Tab + Cr + "A" + Tab + Cr + "1" << fresh << zero << freshTargets << "1"
        << QStringList{"A", "", "", ""} << QList<int>{3, 0, 0, 0} << QStringList{"5", "", "", ""}
        << "1";
    QTest::newRow("scl minus kept")
        << "-1" + Tab + Cr + "A" + Tab + Cr + "1" << fresh << zero << freshTargets << "1"
        << QStringList{"A", "", "", ""} << QList<int>{3, 0, 0, 0} << QStringList{"-1", "", "", ""}
        << "1";
    QTest::newRow("three-character scl is a plain target")
        << "+10" + Tab + Cr + "A" + Tab + Cr + "1" << fresh << QList<int>{1, 0, 0, 0}
        << freshTargets << "1" << QStringList{"A", "", "", ""} << QList<int>{1, 0, 0, 0}
        << QStringList{"+10", "", "", ""} << "1";
    QTest::newRow("at sign makes forward")
        << "Inbox\\a@b" + Tab + Cr + "A" + Tab + Cr + "1" << fresh << zero << freshTargets << "1"
        << QStringList{"A", "", "", ""} << QList<int>{2, 0, 0, 0}
        << QStringList{"Inbox\\a@b", "", "", ""} << "1";
    QTest::newRow("targets trimmed, conditions as stored")
        << " a " + Tab + "b" + Tab + Cr + "A" + Tab + " B " + Tab + Cr + " 9 " << fresh << zero
        << freshTargets << "1" << QStringList{"A", " B ", "", ""} << zero
        << QStringList{"a", "b", "", ""} << "9";
    QTest::newRow("empty conditions field read as rest")
        << "T" + Tab + Cr + Cr + "5" << fresh << zero << freshTargets << "8"
        << QStringList{Cr + "5", "", "", ""} << zero << QStringList{"T", "", "", ""} << "8";
}

void TestSinkConfiguration::load()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, conditionsBefore);
    QFETCH(QList<int>, actionsBefore);
    QFETCH(QStringList, targetsBefore);
    QFETCH(QString, priorityBefore);
    QFETCH(QStringList, conditions);
    QFETCH(QList<int>, actions);
    QFETCH(QStringList, targets);
    QFETCH(QString, priority);

    RecordingScreen screen;
    RuleEditor editor(screen);
    fill(editor, conditionsBefore, actionsBefore, targetsBefore, priorityBefore);
    LoadSinkConfiguration(editor, stored);
    QCOMPARE(conditionsOf(editor), conditions);
    QCOMPARE(actionsOf(editor), actions);
    QCOMPARE(targetsOf(editor), targets);
    QCOMPARE(editor.txtPriority.text(), priority);
    QCOMPARE(editor.lastAcceptedPriority, priority);
    for (const RuleRow &row : editor.rows)
        QCOMPARE(row.List1.selectedCount(), 0);
    QVERIFY(screen.messages.isEmpty());
}

void TestSinkConfiguration::roundTrip_data()
{
    QTest::addColumn<QStringList>("conditions");
    QTest::addColumn<QList<int>>("actions");
    QTest::addColumn<QStringList>("targets");
    QTest::addColumn<QStringList>("conditionsRead");
    QTest::addColumn<QList<int>>("actionsRead");
    QTest::addColumn<QStringList>("targetsRead");

    QTest::newRow("defaults") << QStringList{"X-Spam-Flag: YES", "", "", ""}
                              << QList<int>{0, 0, 0, 0} << QStringList{"Spam", "", "", ""}
                              << QStringList{"X-Spam-Flag: YES", "", "", ""}
                              << QList<int>{0, 0, 0, 0} << QStringList{"Spam", "", "", ""};
    QTest::newRow("second example")
        << QStringList{"Subject: [SPAM]", "X-Spam-Flag: YES", "IMFSCL: {> 3}", ""}
        << QList<int>{0, 1, 3, 0} << QStringList{"/Inbox/Spam/", "x", "9", ""}
        << QStringList{"Subject: [SPAM]", "X-Spam-Flag: YES", "IMFSCL: {> 3}", ""}
        << QList<int>{0, 1, 3, 0} << QStringList{"Inbox\\Spam", "[Null]", "9", ""};
    QTest::newRow("rows 0 and 2 move up")
        << QStringList{"A", "", "C", ""} << QList<int>{0, 0, 1, 0}
        << QStringList{"Junk", "", "", ""} << QStringList{"A", "C", "", ""}
        << QList<int>{0, 1, 0, 0} << QStringList{"Junk", "[Null]", "", ""};
    QTest::newRow("scl 5") << QStringList{"A", "", "", ""} << QList<int>{3, 0, 0, 0}
                           << QStringList{"5", "", "", ""} << QStringList{"A", "", "", ""}
                           << QList<int>{3, 0, 0, 0} << QStringList{"5", "", "", ""};
    QTest::newRow("scl -1") << QStringList{"A", "", "", ""} << QList<int>{3, 0, 0, 0}
                            << QStringList{"-1", "", "", ""} << QStringList{"A", "", "", ""}
                            << QList<int>{3, 0, 0, 0} << QStringList{"-1", "", "", ""};
    QTest::newRow("recipient without at sign")
        << QStringList{"A", "", "", ""} << QList<int>{2, 0, 0, 0}
        << QStringList{"Postmaster", "", "", ""} << QStringList{"A", "", "", ""}
        << QList<int>{0, 0, 0, 0} << QStringList{"Postmaster", "", "", ""};
    QTest::newRow("folder shaped like scl")
        << QStringList{"A", "", "", ""} << QList<int>{0, 0, 0, 0} << QStringList{"+x", "", "", ""}
        << QStringList{"A", "", "", ""} << QList<int>{3, 0, 0, 0} << QStringList{"x", "", "", ""};
}

void TestSinkConfiguration::roundTrip()
{
    QFETCH(QStringList, conditions);
    QFETCH(QList<int>, actions);
    QFETCH(QStringList, targets);
    QFETCH(QStringList, conditionsRead);
    QFETCH(QList<int>, actionsRead);
    QFETCH(QStringList, targetsRead);

    RecordingScreen screen;
    RuleEditor writer(screen);
    fill(writer, conditions, actions, targets, QStringLiteral("500"));
    const std::optional<QString> stored = BuildSinkConfiguration(writer, Caption);
    QVERIFY(stored);

    RuleEditor reader(screen);
    LoadSinkConfiguration(reader, *stored);
    QCOMPARE(conditionsOf(reader), conditionsRead);
    QCOMPARE(actionsOf(reader), actionsRead);
    QCOMPARE(targetsOf(reader), targetsRead);
    QCOMPARE(reader.txtPriority.text(), QStringLiteral("500"));
}

void TestSinkConfiguration::loadSwitchesEmptiedRowsOff()
{
    RecordingScreen screen;
    RuleEditor editor(screen);
    fill(editor, {"A", "B", "", ""}, {0, 0, 0, 0}, {"a", "b", "", ""}, QStringLiteral("1"));
    QVERIFY(editor.rows[1].List1.enabled());
    LoadSinkConfiguration(editor, "x" + Tab + Cr + "A" + Tab + Cr + "1");
    const RuleRow &row = editor.rows[1];
    QVERIFY(!row.List1.enabled());
    QVERIFY(row.txtSpamFolder.locked());
    QCOMPARE(row.txtSpamFolder.foreColor(), ColorRole::GrayText);
    QVERIFY(editor.rows[0].List1.enabled());
}

void TestSinkConfiguration::loadWithoutConditionsUnlocksRows()
{
    RecordingScreen screen;
    RuleEditor editor(screen);
    fill(editor, {"A", "B", "C", ""}, {0, 0, 0, 0}, {"a", "b", "c", ""}, QStringLiteral("1"));
    for (RuleRow &row : editor.rows)
        row.txtSpamFolder.setLocked(true);
    editor.rows[2].List1.setListIndex(2);
    LoadSinkConfiguration(editor, "a" + Tab + Cr + "   ");
    QVERIFY(!editor.rows[0].txtSpamFolder.locked());
    QVERIFY(!editor.rows[1].txtSpamFolder.locked());
    QVERIFY(editor.rows[2].txtSpamFolder.locked());
    QVERIFY(editor.rows[3].txtSpamFolder.locked());
    QCOMPARE(conditionsOf(editor), (QStringList{"A", "B", "C", ""}));
}

void TestSinkConfiguration::loadSetsPriorityWithoutCheck()
{
    RecordingScreen screen;
    RuleEditor editor(screen);
    editor.lastAcceptedPriority = QStringLiteral("5");
    LoadSinkConfiguration(editor, "T" + Tab + Cr + "A" + Tab + Cr + "99999");
    QCOMPARE(editor.txtPriority.text(), QStringLiteral("99999"));
    QCOMPARE(editor.lastAcceptedPriority, QStringLiteral("99999"));
    QVERIFY(!editor.priorityGuard);
}

QTEST_GUILESS_MAIN(TestSinkConfiguration)
#include "tst_sinkconfiguration.moc"
