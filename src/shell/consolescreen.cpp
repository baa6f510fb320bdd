#include "shell/consolescreen.h"

void ConsoleScreen::messageBox(const QString &text, Icon icon, const QString &title)
{
    RecordingScreen::messageBox(text, icon, title);
    writeMessage(m_stream, text, title);
}

void ConsoleScreen::writeMessage(std::FILE *stream, const QString &text, const QString &title)
{
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stream, "%s: %s\n", title.toLocal8Bit().constData(),
                 line.toLocal8Bit().constData());
    std::fflush(stream);
}
