#include "binding/applyreport.h"

#include <algorithm>

namespace ApplyReport {

namespace {

// How JSON writes a quote, a backslash or a control character.
QString escapeOf(char16_t u)
{
    if (u == u'"' || u == u'\\')
        return QLatin1Char('\\') + QChar(u);
    return QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
}

// A JSON string, UTF-8, with quotes, backslashes and control characters escaped. Most
// texts are ASCII and go byte by byte; others are escaped whole, so surrogate pairs stay
// together.
void appendText(QByteArray &out, const QString &text)
{
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    QString escaped;
    out += '"';
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool special = u == u'"' || u == u'\\' || u < 0x20;
        if (ascii && !special) {
            out += char(u);
        } else if (ascii) {
            out += escapeOf(u).toLatin1();
        } else if (special) {
            escaped += escapeOf(u);
        } else {
            escaped += c;
        }
    }
    out += escaped.toUtf8();
    out += '"';
}

void appendField(QByteArray &out, const char *name, const QString &value)
{
    out += '"';
    out += name;
    out += "\": ";
    appendText(out, value);
}

QString outcomeName(const ApplyJournal::Attempt &attempt)
{
    switch (attempt.outcome) {
    case ApplyJournal::Outcome::Done:
        return attempt.create ? QStringLiteral("created") : QStringLiteral("deleted");
    case ApplyJournal::Outcome::Failed:
        return QStringLiteral("failed");
    case ApplyJournal::Outcome::Skipped:
        break;
    }
    return QStringLiteral("skipped");
}

void appendError(QByteArray &out, qint32 number, const QString &description)
{
    out += ", \"error\": {\"number\": " + QByteArray::number(number) + ", ";
    appendField(out, "description", description);
    out += '}';
}

QString timeText(const QDateTime &time)
{
    return time.isValid() ? time.toUTC().toString(Qt::ISODate) : QString();
}

} // namespace

QByteArray json(const ApplyJournal &journal, const QString &program)
{
    QByteArray out;
    out.reserve(256 + journal.entries.size() * 900);
    out += "{\n  \"format\": \"kestrelon-setup report\",\n  \"formatVersion\": " +
           QByteArray::number(FormatVersion) + ",\n  ";
    appendField(out, "program", program);
    out += QByteArray(",\n  \"preview\": ") + (journal.preview ? "true" : "false") + ",\n  ";
    appendField(out, "server", journal.server);
    out += ",\n  ";
    appendField(out, "environment", journal.environment);
    out += ",\n  ";
    appendField(out, "started", timeText(journal.started));
    out += ",\n  ";
    appendField(out, "ended", timeText(journal.ended));
    out += ",\n  \"rule\": [";
    for (qsizetype i = 0; i < journal.rule.size(); ++i) {
        out += i ? ", " : "";
        appendText(out, journal.rule[i]);
    }
    out += "],\n  ";
    appendField(out, "priority", journal.priority);
    out += ",\n  ";
    appendField(out, "stoppedBy", journal.stoppedBy);
    out += ",\n  \"sink\": [";
    for (qsizetype i = 0; i < journal.sinkSteps.size(); ++i) {
        const ApplyJournal::SinkStep &step = journal.sinkSteps[i];
        out += i ? ",\n    {" : "\n    {";
        appendField(out, "action",
                    step.install ? QStringLiteral("install") : QStringLiteral("uninstall"));
        out += ", ";
        appendField(out, "identity", step.identity);
        out += ", ";
        appendField(out, "outcome",
                    step.failure ? QStringLiteral("failed") : QStringLiteral("done"));
        if (step.failure)
            appendError(out, step.failure->number, step.failure->description);
        out += '}';
    }
    out += journal.sinkSteps.isEmpty() ? "],\n  \"mailboxes\": [" : "\n  ],\n  \"mailboxes\": [";
    for (qsizetype i = 0; i < journal.entries.size(); ++i) {
        const ApplyJournal::Entry &entry = journal.entries[i];
        out += i ? ",\n    {" : "\n    {";
        appendField(out, "name", entry.name());
        out += ", ";
        appendField(out, "list", entry.list);
        out += ", ";
        appendField(out, "action", ApplyJournal::actionName(entry.action));
        out += ", ";
        appendField(out, "result", ApplyJournal::resultName(entry));
        if (const ApplyJournal::Attempt *failure = entry.failure())
            appendError(out, failure->number, failure->description);
        out += ",\n      ";
        appendField(out, "entry", entry.text);
        out += ",\n      \"attempts\": [";
        for (qsizetype a = 0; a < entry.attempts.size(); ++a) {
            const ApplyJournal::Attempt &attempt = entry.attempts[a];
            out += a ? ",\n        {" : "\n        {";
            appendField(out, "step",
                        attempt.create ? QStringLiteral("create") : QStringLiteral("delete"));
            out += ", ";
            appendField(out, "url", attempt.url);
            out += ", ";
            appendField(out, "outcome", outcomeName(attempt));
            if (attempt.outcome == ApplyJournal::Outcome::Failed)
                appendError(out, attempt.number, attempt.description);
            out += '}';
        }
        out += entry.attempts.isEmpty() ? "]}" : "\n      ]}";
    }
    const ApplyJournal::Totals totals = journal.totals();
    out += journal.entries.isEmpty() ? "],\n" : "\n  ],\n";
    out += "  \"totals\": {\"mailboxes\": " + QByteArray::number(journal.entries.size()) +
           ", \"registered\": " + QByteArray::number(totals.registered) +
           ", \"unregistered\": " + QByteArray::number(totals.unregistered) +
           ", \"rewritten\": " + QByteArray::number(totals.rewritten) +
           ", \"failed\": " + QByteArray::number(totals.failed) + "}\n}\n";
    return out;
}

QString planText(const ApplyJournal &journal)
{
    QString out;
    const auto line = [&out](const QString &action, const QString &rest) {
        out += action.leftJustified(11) + rest + QLatin1Char('\n');
    };
    if (!journal.stoppedBy.isEmpty())
        line(QStringLiteral("stop"), journal.stoppedBy + QStringLiteral(": nothing would change"));
    for (const ApplyJournal::SinkStep &step : journal.sinkSteps) {
        if (step.install)
            line(QStringLiteral("install"), QStringLiteral("Kestrelon as ") + step.identity +
                                                QStringLiteral(", rule: ") +
                                                journal.rule.join(QStringLiteral("; ")) +
                                                QStringLiteral(", priority ") + journal.priority);
        else
            line(QStringLiteral("uninstall"), QStringLiteral("Kestrelon"));
    }
    qsizetype width = 0;
    for (const ApplyJournal::Entry &entry : journal.entries)
        width = std::max(width, std::min<qsizetype>(entry.name().size(), 32));
    for (const ApplyJournal::Entry &entry : journal.entries) {
        const QString name = entry.name().leftJustified(width) + QStringLiteral("  ");
        const QString action = ApplyJournal::actionName(entry.action);
        if (entry.succeeded()) {
            line(action, name + entry.url());
            continue;
        }
        const ApplyJournal::Attempt *failure = entry.failure();
        line(QStringLiteral("fails"), name + action + QStringLiteral(": ") +
                                          (failure ? QString::number(failure->number) +
                                                         QLatin1Char(' ') + failure->description
                                                   : QStringLiteral("no URL form to try")));
    }
    const ApplyJournal::Totals totals = journal.totals();
    QStringList sink;
    for (const ApplyJournal::SinkStep &step : journal.sinkSteps)
        sink << (step.install ? QStringLiteral("install") : QStringLiteral("uninstall"));
    out += QStringLiteral("Planned: %1 register, %2 unregister, %3 rewrite, %4 would fail; "
                          "sink: %5\n")
               .arg(totals.registered)
               .arg(totals.unregistered)
               .arg(totals.rewritten)
               .arg(totals.failed)
               .arg(sink.isEmpty() ? QStringLiteral("unchanged")
                                   : sink.join(QStringLiteral(", then ")));
    return out;
}

} // namespace ApplyReport
