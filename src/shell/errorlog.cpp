#include "shell/errorlog.h"

#include <QLocale>

ErrorLog::ErrorLog(TextBoxModel &txtErr) : m_txtErr(txtErr) {}

QString ErrorLog::timestamp() const
{
    return QLocale::system().toString(clock(), QLocale::ShortFormat);
}

QString ErrorLog::ErrorLogEntry(const QString &subject, qint32 number,
                                const QString &description) const
{
    return QStringLiteral("[") + timestamp() + QStringLiteral("] ") + subject +
           QStringLiteral(" - ERROR: ") + QString::number(number) + QLatin1Char(' ') + description +
           QStringLiteral("\r\n\r\n");
}

void ErrorLog::add(const QString &subject, qint32 number, const QString &description)
{
    addText(ErrorLogEntry(subject, number, description));
}

void ErrorLog::addText(const QString &text)
{
    m_txtErr.setText(text + m_txtErr.text());
}

bool ErrorLog::isEmpty() const
{
    return m_txtErr.text().isEmpty();
}

void ErrorLog::clear()
{
    m_txtErr.setText(QString());
}
