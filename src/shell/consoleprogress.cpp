#include "shell/consoleprogress.h"

#include <unistd.h>

ConsoleProgress::ConsoleProgress(std::FILE *stream, bool enabled)
    : m_stream(stream), m_enabled(enabled)
{
    m_clock.start();
}

bool ConsoleProgress::isTerminal(std::FILE *stream)
{
    return isatty(fileno(stream)) == 1;
}

QString ConsoleProgress::lineText(int done, int total, qint64 elapsedMs)
{
    const qint64 rate = elapsedMs > 0 ? qint64(done) * 1000 / elapsedMs : 0;
    return QStringLiteral("Binding: %1 of %2 mailboxes, %3 per second")
        .arg(done)
        .arg(total)
        .arg(rate);
}

void ConsoleProgress::update(int done, int total)
{
    if (!m_enabled)
        return;
    const qint64 now = m_clock.elapsed();
    if (m_shown && done < total && now - m_lastShownMs < 100)
        return;
    m_shown = true;
    m_lastShownMs = now;
    // Back to the line's start, the new text, and the rest of an older, longer text erased.
    std::fprintf(m_stream, "\r%s\033[K", qPrintable(lineText(done, total, now)));
    std::fflush(m_stream);
}

void ConsoleProgress::finish()
{
    if (!m_shown)
        return;
    std::fputc('\n', m_stream);
    std::fflush(m_stream);
    m_shown = false;
}
