#include "condition/conditionmatcher.h"

#include "condition/numberreader.h"
#include "condition/wildcardpattern.h"
#include "rule/spacetrim.h"

namespace ConditionMatcher {

namespace {

bool equalIgnoringCase(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

// Upper case one character at a time, so that lengths and positions stay: "ß" stays "ß"
// here, where a whole-text upper-casing would make it "SS" and "{?}" would no longer fit.
QString upperCharacters(const QString &text)
{
    QString upper = text;
    for (qsizetype i = 0; i < upper.size(); ++i) {
        if (upper[i].isHighSurrogate() && i + 1 < upper.size() && upper[i + 1].isLowSurrogate()) {
            const char32_t up = QChar::toUpper(QChar::surrogateToUcs4(upper[i], upper[i + 1]));
            if (QChar::requiresSurrogates(up)) {
                upper[i] = QChar(QChar::highSurrogate(up));
                upper[i + 1] = QChar(QChar::lowSurrogate(up));
            }
            ++i;
        } else {
            upper[i] = upper[i].toUpper();
        }
    }
    return upper;
}

bool matchesAsPattern(const QString &value, const QString &condition)
{
    return matchesWildcard(upperCharacters(value), upperCharacters(condition));
}

bool isNumberCharacter(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') ||
           c == QLatin1Char('-');
}

// The comparison of a brace group that opens at open and closes at close; true when
// the value passes every check and its trailer agrees.
bool compareGroup(const QString &value, const QString &condition, qsizetype open, qsizetype close)
{
    const QString prefix = trimSpaces(QStringView(condition).left(open));
    if (!equalIgnoringCase(value.left(prefix.size()), prefix))
        return false;

    QString group = trimSpaces(QStringView(condition).mid(open + 1, close - open - 1));
    group.remove(QLatin1Char(' '));
    if (group == QLatin1String("*"))
        return false;

    QString remainder = trimSpaces(QStringView(value).mid(prefix.size()));
    qsizetype stop = 0;
    while (stop < remainder.size() && isNumberCharacter(remainder[stop]))
        ++stop;
    QString number;
    if (stop < remainder.size()) {
        number = remainder.left(stop);
        remainder = trimSpaces(QStringView(remainder).mid(stop));
    } else {
        number = remainder;
    }
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    if (remainder == number)
        remainder.clear();

    group.replace(QLatin1Char(','), QLatin1Char('.'));
    if (group.isEmpty() || (group[0] != QLatin1Char('<') && group[0] != QLatin1Char('>')))
        return false;
    const QChar op = group[0];
    QString threshold = trimSpaces(QStringView(group).mid(1));
    QChar secondOp;
    QString secondThreshold;
    for (qsizetype j = 0; j < threshold.size(); ++j) {
        if (threshold[j] == QLatin1Char('<') || threshold[j] == QLatin1Char('>')) {
            secondOp = threshold[j];
            secondThreshold = trimSpaces(QStringView(threshold).mid(j + 1));
            threshold = trimSpaces(QStringView(threshold).left(j));
            break;
        }
    }

    const double n = readNumber(number);
    const double t = readNumber(threshold);
    const double t2 = readNumber(secondThreshold);
    if (op == QLatin1Char('<')) {
        if (!(n < t) || (secondOp == QLatin1Char('>') && !(n > t2)))
            return false;
    } else {
        if (!(n > t) || (secondOp == QLatin1Char('<') && !(n < t2)))
            return false;
    }

    const QString trailer = trimSpaces(QStringView(condition).mid(close + 1));
    return equalIgnoringCase(trailer, remainder);
}

} // namespace

bool matchCondition(QString &value, QString &condition)
{
    value = trimSpaces(value);
    condition = trimSpaces(condition);

    bool patternMode = false;
    if (condition.contains(QLatin1String("{*}"))) {
        patternMode = true;
        condition.replace(QLatin1String("{*}"), QLatin1String("*"));
        condition.replace(QLatin1String("{?}"), QLatin1String("?"));
    } else if (condition.contains(QLatin1String("{?}"))) {
        patternMode = true;
        condition.replace(QLatin1String("{?}"), QLatin1String("?"));
    }

    const qsizetype open = condition.indexOf(QLatin1Char('{'));
    const qsizetype close = open < 0 ? -1 : condition.indexOf(QLatin1Char('}'), open);
    const bool comparisonMode = open >= 0 && close >= 0;

    if (comparisonMode) {
        if (!compareGroup(value, condition, open, close))
            return false;
        return !patternMode || matchesAsPattern(value, condition);
    }
    return patternMode && matchesAsPattern(value, condition);
}

} // namespace ConditionMatcher
