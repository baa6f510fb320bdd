#pragma once

#include "shell/screen.h"

// Holds one window's repaint lock for as long as it lives, so a list fills unseen.
class Freeze
{
public:
    explicit Freeze(Screen &screen) : m_screen(screen) {}
    Freeze(Screen &screen, const QString &windowName);
    Freeze(const Freeze &) = delete;
    Freeze &operator=(const Freeze &) = delete;
    ~Freeze();

    // Locks the named window against repainting; the screen locks one window at a time.
    void Form(const QString &windowName);

private:
    Screen &m_screen;
    bool m_locked = false;
};
