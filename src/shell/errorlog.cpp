#include "shell/errorlog.h"

namespace {

// The locale's long time format without its time-zone field: every entry of a run has
// the same zone, and the date beside it names none either.
QString longTimeFormat(const QLocale &locale)
{
    QString format;
    bool quoted = false;
    for (const QChar c : locale.timeFormat(QLocale::LongFormat)) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t'))
            format += c;
    }
    return format.trimmed();
}

} // namespace

ErrorLog::ErrorLog(TextBoxModel &logEdit, ButtonModel *clearButton)
    : m_logEdit(logEdit), m_clearButton(clearButton)
{
}

QString ErrorLog::timestamp() const
{
    const QDateTime now = clock();
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(now.time(), longTimeFormat(locale));
}

QString ErrorLog::entryText(const QString &subject, qint32 number, const QString &description) const
{
    return QStringLiteral("[") + timestamp() + QStringLiteral("] ") + subject +
           QStringLiteral(" - ERROR: ") + QString::number(number) + QLatin1Char(' ') + description +
           QStringLiteral("\r\n\r\n");
}

void ErrorLog::add(const QString &subject, qint32 number, const QString &description)
{
    addText(entryText(subject, number, description));
}

void ErrorLog::addText(const QString &text)
{
    m_logEdit.setText(text + m_logEdit.text());
}

bool ErrorLog::isEmpty() const
{
    return m_logEdit.text().isEmpty();
}

void ErrorLog::clear()
{
    m_logEdit.setText(QString());
    showIfAny();
}

void ErrorLog::showIfAny()
{
    const bool any = !isEmpty();
    m_logEdit.setVisible(any);
    if (m_clearButton)
        m_clearButton->setVisible(any);
}
