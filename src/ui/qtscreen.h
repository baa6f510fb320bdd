#pragma once

#include "shell/screen.h"

#include <functional>
#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

// The screen of a Qt session: real message boxes, cursor and event loop.
class QtScreen : public Screen
{
public:
    // The window whose controls are found by name, and which parents message boxes.
    void setWindow(QWidget *window) { m_window = window; }
    // Runs before pending events are let through, so the window shows the latest state.
    std::function<void()> beforeEvents;
    // Asked when doEvents() comes sooner than its bounded rate: true when something must
    // show at once (a walk's progress text moved on).
    std::function<bool()> mustShowNow;
    // Set in batch mode, where nobody may be there to answer: message boxes become one
    // line "title: text" on standard error, answered with OK.
    bool unattended = false;

    void messageBox(const QString &text, Icon icon, const QString &title) override;
    void setWaitCursor(bool on) override;
    void doEvents() override;
    bool lockRepaint(const QString &windowName) override;
    void unlockRepaint() override;
    int textWidth(const QString &controlName, const QString &text) override;
    int verticalScrollBarWidth() override;
    void setFocus(const QString &controlName) override;

private:
    QWidget *control(const QString &name) const;

    // A walk lets events through after each of up to 30,000 rows; the window needs them
    // only as often as the eye can tell.
    static constexpr qint64 EventIntervalMs = 16;
    QElapsedTimer m_sinceEvents;

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_locked;
    bool m_waitCursor = false;
};
