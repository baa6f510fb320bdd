#pragma once

#include "shell/controls.h"

#include <functional>
#include <QDateTime>
#include <QLocale>

// The main window's error log: entries prepended to the text of logEdit, newest first.
// The box and its Clear button show only while the log holds text.
class ErrorLog
{
public:
    explicit ErrorLog(TextBoxModel &logEdit, ButtonModel *clearButton = nullptr);

    // "[date time] subject - ERROR: number description" and two CR LF.
    QString entryText(const QString &subject, qint32 number, const QString &description) const;
    void add(const QString &subject, qint32 number, const QString &description);
    // Prepends a text of its own wording (it brings its own line ends).
    void addText(const QString &text);
    // The current date and time as entries write it: the locale's short date and long
    // time, so that entries of one minute stay apart.
    QString timestamp() const;
    bool isEmpty() const;
    // Empties the log and hides the box and its button.
    void clear();
    // Shows the box and its button exactly when the log holds text.
    void showIfAny();

    // Replaceable for tests.
    std::function<QDateTime()> clock = [] {
        return QDateTime::currentDateTime();
    };
    QLocale locale = QLocale::system();

private:
    TextBoxModel &m_logEdit;
    ButtonModel *m_clearButton;
};
