// Times matchCondition on the texts that make a backtracking matcher blow up: one line
// per measurement, the best of several runs.
#include "condition/conditionmatcher.h"

#include <cstdio>
#include <limits>
#include <QElapsedTimer>

namespace {

constexpr int Runs = 5;
constexpr int MaxLength = 32767;

void measure(const char *what, const QString &condition, const QString &value)
{
    double best = std::numeric_limits<double>::max();
    bool result = false;
    for (int run = 0; run < Runs; ++run) {
        QString c = condition;
        QString v = value;
        QElapsedTimer timer;
        timer.start();
        result = ConditionMatcher::matchCondition(v, c);
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("%-58s %9.3f ms  (%s)\n", what, best, result ? "match" : "no match");
}

} // namespace

int main()
{
    const QString hundredRuns = QStringLiteral("{*}x").repeated(100);
    measure("100 x {*}x vs 32767 a", hundredRuns, QString(MaxLength, QLatin1Char('a')));
    measure("100 x {*}x vs 32766 x + y", hundredRuns,
            QString(MaxLength - 1, QLatin1Char('x')) + QLatin1Char('y'));
    measure("100 x {*}x vs 32766 a + x (tail agrees)", hundredRuns,
            QString(MaxLength - 1, QLatin1Char('a')) + QLatin1Char('x'));
    measure("100 x {*}x vs (ax) repeated, ending in a", hundredRuns,
            QStringLiteral("ax").repeated(MaxLength / 2) + QLatin1Char('a'));
    measure("{*}a x 100 + b vs 32767 a", QStringLiteral("{*}a").repeated(100) + QLatin1Char('b'),
            QString(MaxLength, QLatin1Char('a')));
    measure("{*}[a-z] x 100 + # vs 32767 a",
            QStringLiteral("{*}[a-z]").repeated(100) + QLatin1Char('#'),
            QString(MaxLength, QLatin1Char('a')));
    measure("{*} + 16383 a + b vs 32767 a",
            QStringLiteral("{*}") + QString(16383, QLatin1Char('a')) + QLatin1Char('b'),
            QString(MaxLength, QLatin1Char('a')));
    measure("{*} + 16383 a + b{*} vs 32767 a (worst case)",
            QStringLiteral("{*}") + QString(16383, QLatin1Char('a')) + QStringLiteral("b{*}"),
            QString(MaxLength, QLatin1Char('a')));
    measure("{> 3} vs 32767 digits", QStringLiteral("{> 3}"), QString(MaxLength, QLatin1Char('7')));
    measure("{< 1e...} with 32000-digit exponent vs 5",
            QStringLiteral("{< 1e") + QString(32000, QLatin1Char('9')) + QLatin1Char('}'),
            QStringLiteral("5"));
    return 0;
}
