#pragma once

#include <QString>

// What the behaviour needs of the screen: message boxes, the wait cursor, letting
// pending events run, the repaint lock and text measuring. A Qt implementation
// serves the windows, RecordingScreen the tests and batch runs without a display.
class Screen
{
public:
    enum class Icon { None, Information, Exclamation, Critical };

    virtual ~Screen() = default;

    // A message box with an OK button; returns when it is dismissed.
    virtual void messageBox(const QString &text, Icon icon, const QString &title) = 0;
    virtual void setWaitCursor(bool on) = 0;
    // Lets the window repaint and handle pending input.
    virtual void doEvents() = 0;
    // Stops repainting the named window until unlockRepaint(). One window at a time: while
    // one is locked, another lock is refused (false) and the first stays locked.
    virtual bool lockRepaint(const QString &windowName) = 0;
    virtual void unlockRepaint() = 0;
    // Width in pixels of a text in the font of the named control.
    virtual int textWidth(const QString &controlName, const QString &text) = 0;
    // Width in pixels of a vertical scroll bar.
    virtual int verticalScrollBarWidth() = 0;
    // Moves the keyboard focus to the named control.
    virtual void setFocus(const QString &controlName) = 0;
};
