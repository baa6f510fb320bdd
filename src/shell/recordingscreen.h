#pragma once

#include "shell/screen.h"

#include <functional>
#include <QList>
#include <QStringList>

// A screen without a display: remembers what was asked of it. Used by tests and
// by batch runs started where there is no display.
class RecordingScreen : public Screen
{
public:
    struct Message
    {
        QString text;
        Icon icon;
        QString title;
    };

    void messageBox(const QString &text, Icon icon, const QString &title) override;
    void setWaitCursor(bool on) override;
    void doEvents() override;
    bool lockRepaint(const QString &windowName) override;
    void unlockRepaint() override;
    // Every character counts charWidth pixels.
    int textWidth(const QString &controlName, const QString &text) override;
    int verticalScrollBarWidth() override { return scrollBarWidth; }
    void setFocus(const QString &controlName) override;

    QList<Message> messages;
    bool waitCursor = false;
    int waitCursorChanges = 0;
    int eventsLetThrough = 0;
    // Runs at every doEvents(), as the user's clicks would between two rows of a walk.
    std::function<void()> onEvents;
    QString lockedWindow;
    QStringList focusRequests;
    int charWidth = 7;
    int scrollBarWidth = 17;
};
