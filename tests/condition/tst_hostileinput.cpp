#include "condition/basparser.h"
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
    void matcherAcceptsAnyText_data();
    void matcherAcceptsAnyText();
    void matcherRandomTexts();
    void loaderRandomTexts();
    void wellFormedRulesSurviveRoundTrip();
};

namespace {

const QString Alphabet = QStringLiteral("{}[]!-*?#<>,.:+eE0123456789 aZ@\\/'\"\t\r\n") + QChar(0) +
                         QChar(0x7f) + QChar(0xdf) + QChar(0xd800) + QChar(0xfffd);

QString randomText(QRandomGenerator &random, int maxLength)
{
    const int length = int(random.bounded(maxLength + 1));
    QString text;
    text.reserve(length);
    for (int i = 0; i < length; ++i)
        text += Alphabet[int(random.bounded(Alphabet.size()))];
    return text;
}

// A long text for one side, so each call stays cheap while the lengths reach the limit.
QString longText(QRandomGenerator &random)
{
    switch (random.bounded(4)) {
    case 0:
        return QString(32767, QLatin1Char('['));
    case 1:
        return QStringLiteral("IMFSCL: ") + QString(32759, QLatin1Char('9'));
    case 2:
        return QString(32767, QChar(u'a' + char16_t(random.bounded(26))));
    default: {
        QString text = randomText(random, 64);
        while (text.size() < 32767)
            text += text.isEmpty() ? QStringLiteral("{") : text;
        return text.left(32767);
    }
    }
}

void checkEditorInvariants(const RuleEditor &editor)
{
    QVERIFY(!editor.txtPriority.text().isEmpty());
    QCOMPARE(editor.lastAcceptedPriority, editor.txtPriority.text());
    QVERIFY(!editor.priorityGuard);
    for (const RuleRow &row : editor.rows) {
        QVERIFY(row.List1.topIndex() >= 0 && row.List1.topIndex() <= 3);
        QCOMPARE(row.List1.selectedCount(), 0);
    }
}

} // namespace

void TestHostileInput::matcherAcceptsAnyText_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("value");

    const QString wall(32767, QLatin1Char('['));
    QTest::newRow("unclosed brackets") << QStringLiteral("{*}") + wall << wall;
    QTest::newRow("unclosed braces") << QString(32767, QLatin1Char('{')) << QStringLiteral("5");
    QTest::newRow("closing braces") << QString(32767, QLatin1Char('}')) << QStringLiteral("5");
    QTest::newRow("long remainder") << QStringLiteral("{> 3}") << QString(32767, QLatin1Char('7'));
    QTest::newRow("long threshold")
        << QStringLiteral("{>") + QString(32760, QLatin1Char('9')) + QLatin1Char('}')
        << QStringLiteral("5");
    QTest::newRow("huge exponent")
        << QStringLiteral("{< 1e") + QString(32000, QLatin1Char('9')) + QLatin1Char('}')
        << QStringLiteral("1e999999999");
    QTest::newRow("tiny exponent") << QStringLiteral("{> 1e-99999}") << QStringLiteral("0");
    QTest::newRow("control characters")
        << QStringLiteral("{*}\x01\x02{?}") << QStringLiteral("\x01\x02\x03");
    QTest::newRow("lone surrogates")
        << QStringLiteral("{*}") + QChar(0xd800) << QString(QChar(0xdc00)) + QChar(0xd800);
    QTest::newRow("many runs") << QStringLiteral("{*}x").repeated(100)
                               << QString(32767, QLatin1Char('a'));
}

void TestHostileInput::matcherAcceptsAnyText()
{
    QFETCH(QString, condition);
    QFETCH(QString, value);
    QString v = value;
    QString c = condition;
    const bool first = basParser::MatchCondition(v, c);
    QCOMPARE(v, trimSpaces(value));
    QString v2 = value;
    QString c2 = condition;
    QCOMPARE(basParser::MatchCondition(v2, c2), first);
}

void TestHostileInput::matcherRandomTexts()
{
    QRandomGenerator random(20261205);
    for (int i = 0; i < 4000; ++i) {
        const bool longValue = i % 97 == 0;
        const bool longCondition = i % 89 == 0;
        const QString value = longValue ? longText(random) : randomText(random, 40);
        const QString condition = longCondition ? longText(random) : randomText(random, 40);
        QString v = value;
        QString c = condition;
        const bool result = basParser::MatchCondition(v, c);
        QCOMPARE(v, trimSpaces(value));
        QCOMPARE(c, trimSpaces(c));
        // A condition with neither an escape nor a brace never matches.
        if (!condition.contains(QLatin1Char('{')))
            QVERIFY2(!result, qPrintable(condition));
    }
}

void TestHostileInput::loaderRandomTexts()
{
    QRandomGenerator random(4242);
    for (int i = 0; i < 3000; ++i) {
        RecordingScreen screen;
        RuleEditor editor(screen);
        editor.editorReady = random.bounded(2) == 0;
        QString stored = randomText(random, 80);
        if (i % 101 == 0)
            stored = longText(random) + QChar(13) + longText(random) + QChar(13) +
                     QString(32767, QLatin1Char('9'));
        LoadSinkConfiguration(editor, stored);
        checkEditorInvariants(editor);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("stored text %1").arg(i)));
        QVERIFY(screen.messages.isEmpty());
    }
}

void TestHostileInput::wellFormedRulesSurviveRoundTrip()
{
    QRandomGenerator random(77);
    const QString pathCharacters = QStringLiteral("abcXYZ019 /\\._");
    for (int i = 0; i < 500; ++i) {
        RecordingScreen screen;
        RuleEditor editor(screen);
        editor.editorReady = true;
        int used = 0;
        for (int r = 0; r < RuleEditor::RowCount; ++r) {
            RuleRow &row = editor.rows[r];
            if (random.bounded(4) == 0) {
                row.txtSpamTag.setText(QString());
                continue;
            }
            ++used;
            row.txtSpamTag.setText(QStringLiteral("X-Header-%1: v%2").arg(r).arg(i));
            const int action = int(random.bounded(4));
            row.List1.setTopIndex(action);
            editor.List1_Scroll(r);
            switch (action) {
            case RuleEditor::MoveToFolder: {
                QString path = QStringLiteral("F");
                for (int k = int(random.bounded(12)); k > 0; --k)
                    path += pathCharacters[int(random.bounded(pathCharacters.size()))];
                row.txtSpamFolder.setText(path + QStringLiteral("x"));
                break;
            }
            case RuleEditor::ForwardTo:
                row.txtSpamFolder.setText(QStringLiteral("user%1@example.org").arg(i));
                break;
            case RuleEditor::SetScl:
                row.txtSpamFolder.setText(QString::number(int(random.bounded(11)) - 1));
                break;
            default:
                break;
            }
        }
        const std::optional<QString> first = BuildSinkConfiguration(editor, QStringLiteral("K"));
        QCOMPARE(first.has_value(), used > 0);
        if (!first)
            continue;
        RecordingScreen readerScreen;
        RuleEditor reader(readerScreen);
        LoadSinkConfiguration(reader, *first);
        reader.editorReady = true;
        const std::optional<QString> second = BuildSinkConfiguration(reader, QStringLiteral("K"));
        QVERIFY(second.has_value());
        QCOMPARE(*second, *first);
    }
}

QTEST_GUILESS_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
