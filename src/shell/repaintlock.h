#pragma once

#include "shell/screen.h"

// Holds one window's repaint lock for as long as it lives, so a list fills unseen.
class RepaintLock
{
public:
    explicit RepaintLock(Screen &screen) : m_screen(screen) {}
    RepaintLock(Screen &screen, const QString &windowName);
    RepaintLock(const RepaintLock &) = delete;
    RepaintLock &operator=(const RepaintLock &) = delete;
    ~RepaintLock();

    // Locks the named window against repainting. The screen locks one window at a time:
    // while another is locked this lock holds nothing, and ending it unlocks nothing.
    void lock(const QString &windowName);

private:
    Screen &m_screen;
    bool m_locked = false;
};
