#include "shell/errorlog.h"

#include <QLocale>

ErrorLog::ErrorLog(TextBoxModel &logEdit) : m_logEdit(logEdit) {}

QString ErrorLog::timestamp() const
{
    return QLocale::system().toString(clock(), QLocale::ShortFormat);
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
}
