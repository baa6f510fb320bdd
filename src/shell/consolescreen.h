#pragma once

#include "shell/recordingscreen.h"

#include <cstdio>

// The screen of a batch run, where nobody may be there to answer: a message box becomes
// one line "title: text" on the stream and is answered with OK at once. Nothing else
// shows anywhere.
class ConsoleScreen : public RecordingScreen
{
public:
    explicit ConsoleScreen(std::FILE *stream = stderr) : m_stream(stream) {}

    void messageBox(const QString &text, Icon icon, const QString &title) override;

    // The line a message box becomes.
    static void writeMessage(std::FILE *stream, const QString &text, const QString &title);

private:
    std::FILE *m_stream;
};
