#pragma once

#include <cstdio>
#include <QElapsedTimer>
#include <QString>

// A batch run's progress as one line on a terminal, rewritten in place:
// "Binding: 1200 of 30000 mailboxes, 850 per second". Off, it writes nothing at all, so a
// scheduler's log holds only the program's own messages.
class ConsoleProgress
{
public:
    // enabled: whether stream is a terminal someone watches (see isTerminal).
    ConsoleProgress(std::FILE *stream, bool enabled);
    static bool isTerminal(std::FILE *stream);

    // Shown at most ten times a second, and always for the last entry.
    void update(int done, int total);
    // Ends the line, if one was shown, so that what follows starts on its own.
    void finish();

    static QString lineText(int done, int total, qint64 elapsedMs);

private:
    std::FILE *m_stream;
    bool m_enabled;
    bool m_shown = false;
    qint64 m_lastShownMs = 0;
    QElapsedTimer m_clock;
};
