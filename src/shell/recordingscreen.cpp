#include "shell/recordingscreen.h"

void RecordingScreen::messageBox(const QString &text, Icon icon, const QString &title)
{
    messages.append({text, icon, title});
}

void RecordingScreen::setWaitCursor(bool on)
{
    waitCursor = on;
    ++waitCursorChanges;
}

void RecordingScreen::doEvents()
{
    ++eventsLetThrough;
    if (onEvents)
        onEvents();
}

bool RecordingScreen::lockRepaint(const QString &windowName)
{
    if (!lockedWindow.isEmpty())
        return false;
    lockedWindow = windowName;
    return true;
}

void RecordingScreen::unlockRepaint()
{
    lockedWindow.clear();
}

int RecordingScreen::textWidth(const QString &, const QString &text)
{
    return int(text.size()) * charWidth;
}

void RecordingScreen::setFocus(const QString &controlName)
{
    focusRequests.append(controlName);
}
