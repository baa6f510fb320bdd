#include "binding/applyreport.h"

#include <algorithm>

namespace ApplyReport {

namespace {

// A JSON string: the text as UTF-8 with quotes, backslashes and control characters
// escaped. Most texts (URLs, names) are plain ASCII and are copied straight into the
// report's buffer; the others go through UTF-8, whose multi-byte characters are all bytes
// of 0x80 and above and pass as they are.
void appendText(QByteArray &out, const QString &text)
{
    out += '"';
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *to = out.data() + start;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80 || u == u'"' || u == u'\\' || u < 0x20) {
            out.truncate(start);
            for (const char byte : text.toUtf8()) {
                if (byte == '"' || byte == '\\') {
                    out += '\\';
                    out += byte;
                } else if (uchar(byte) < 0x20) {
                    out += "\\u00";
                    out += "0123456789abcdef"[uchar(byte) >> 4];
                    out += "0123456789abcdef"[uchar(byte) & 15];
                } else {
                    out += byte;
                }
            }
            break;
        }
        *to++ = char(u);
    }
    out += '"';
}

// A field whose value is one of the format's own words.
void appendWord(QByteArray &out, const char *name, const char *word)
{
    out += '"';
    out += name;
    out += "\": \"";
    out += word;
    out += '"';
}

void appendField(QByteArray &out, const char *name, const QString &value)
{
    out += '"';
    out += name;
    out += "\": ";
    appendText(out, value);
}

const char *outcomeName(const ApplyJournal::Attempt &attempt)
{
    switch (attempt.outcome) {
    case ApplyJournal::Outcome::Done:
        return attempt.create ? "created" : "deleted";
    case ApplyJournal::Outcome::Failed:
        return "failed";
    case ApplyJournal::Outcome::Skipped:
        break;
    }
    return "skipped";
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

bool write(const ApplyJournal &journal, const QString &program, QIODevice &device)
{
    // Handed on in pieces, so a report of 30,000 mailboxes never sits whole in memory.
    constexpr qsizetype Piece = 1 << 18;
    QByteArray out;
    out.reserve(Piece + 65536);
    bool written = true;
    const auto handOn = [&](qsizetype atLeast) {
        if (out.size() < atLeast)
            return;
        written = written && device.write(out) == out.size();
        out.truncate(0);
    };
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
        handOn(Piece);
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
            appendWord(out, "step", attempt.create ? "create" : "delete");
            out += ", ";
            appendField(out, "url", attempt.url);
            out += ", ";
            appendWord(out, "outcome", outcomeName(attempt));
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
    handOn(0);
    return written;
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
