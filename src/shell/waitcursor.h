#pragma once

#include "shell/screen.h"

// Shows the wait cursor for its lifetime, restoring the normal pointer also when the
// work ends in a failure.
class WaitCursor
{
public:
    explicit WaitCursor(Screen &screen) : m_screen(screen) { m_screen.setWaitCursor(true); }
    ~WaitCursor() { m_screen.setWaitCursor(false); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    Screen &m_screen;
};
