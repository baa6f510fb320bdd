#include "condition/conditionmatcher.h"
#include "rule/sinkconfiguration.h"
#include "rule/spacetrim.h"
#include "shell/recordingscreen.h"

#include <QRandomGenerator>
#include <QtTest>

// Random and hostile texts for the matcher and the configuration reader, from a fixed
// seed: every call must return, and what each promises about its results must hold.
class TestHostileInput : public QObject
{
    Q_OBJECT
private slots:
    void randomTexts();
    void wellFormedRulesSurviveRoundTrip();
};

namespace {

const QString Alphabet = QStringLiteral("{}[]!-*?#<>,.:+eE0123456789 aZ@\\/'\"\t\r\n") + QChar(0) +
                         QChar(0xdf) + QChar(0xd800) + QChar(0xfffd);

// Mostly short texts; now and then (when allowed) one of the greatest length, built so
// that each call stays cheap.
QString randomText(QRandomGenerator &random, int maxLength, bool allowLong = true)
{
    QString text;
    for (int length = int(random.bounded(maxLength + 1)); length > 0; --length)
        text += Alphabet[int(random.bounded(Alphabet.size()))];
    const int kind = allowLong ? int(random.bounded(60)) : 3;
    if (kind == 0)
        return QString(32767, QLatin1Char('['));
    if (kind == 1)
        return QStringLiteral("{<") + QString(32764, QLatin1Char('9')) + QLatin1Char('}');
    return kind == 2 ? text.left(8).repeated(4096).left(32767) : text;
}

} // namespace

void TestHostileInput::randomTexts()
{
    QRandomGenerator random(20261205);
    for (int i = 0; i < 4000; ++i) {
        const QString value = randomText(random, 40);
        const QString condition = randomText(random, 40, value.size() <= 40);
        QString v = value;
        QString c = condition;
        const bool result = ConditionMatcher::matchCondition(v, c);
        QCOMPARE(v, trimSpaces(value));
        // A condition with neither an escape nor a brace never matches.
        QVERIFY2(!result || condition.contains(QLatin1Char('{')), qPrintable(condition));

        RecordingScreen screen;
        RuleEditor editor(screen);
        editor.editorReady = i % 4 < 2;
        const QString cr(QChar(13));
        loadSinkConfiguration(editor, i % 2 ? randomText(random, 80)
                                            : randomText(random, 40) + cr + randomText(random, 40) +
                                                  cr + randomText(random, 8));
        QVERIFY(!editor.priorityEdit.text().isEmpty());
        QCOMPARE(editor.lastAcceptedPriority, editor.priorityEdit.text());
        QVERIFY(!editor.priorityGuard);
        for (const RuleRow &row : editor.rows) {
            QVERIFY(row.actionList.topIndex() >= 0 && row.actionList.topIndex() <= 3);
            QCOMPARE(row.actionList.selectedCount(), 0);
        }
        QVERIFY(screen.messages.isEmpty());
    }
}

// Any rule the editor can hold is written, read back and written again unchanged.
void TestHostileInput::wellFormedRulesSurviveRoundTrip()
{
    QRandomGenerator random(77);
    for (int i = 0; i < 500; ++i) {
        RecordingScreen screen;
        RuleEditor editor(screen);
        editor.editorReady = true;
        bool used = false;
        for (int r = 0; r < RuleEditor::RowCount; ++r) {
            const bool empty = random.bounded(4) == 0;
            used = used || !empty;
            editor.rows[r].conditionEdit.setText(empty ? QString()
                                                       : QStringLiteral("X-H%1: v").arg(r));
            if (empty)
                continue;
            editor.rows[r].actionList.setTopIndex(int(random.bounded(4)));
            editor.onActionScrolled(r);
            const QString path = QStringLiteral("F") + QString::number(random.generate(), 36);
            const QString targets[] = {path + QStringLiteral("/a \\b.c/"), QString(),
                                       QStringLiteral("user%1@example.org").arg(i),
                                       QString::number(int(random.bounded(11)) - 1)};
            if (editor.action(r) != RuleEditor::Delete)
                editor.rows[r].targetEdit.setText(targets[editor.action(r)]);
        }
        const std::optional<QString> first = buildSinkConfiguration(editor, QStringLiteral("K"));
        QCOMPARE(first.has_value(), used);
        if (!first)
            continue;
        RuleEditor reader(screen);
        loadSinkConfiguration(reader, *first);
        QCOMPARE(buildSinkConfiguration(reader, QStringLiteral("K")), first);
    }
}

QTEST_GUILESS_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
