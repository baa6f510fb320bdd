#include "shell/freeze.h"

Freeze::Freeze(Screen &screen, const QString &windowName) : m_screen(screen)
{
    Form(windowName);
}

Freeze::~Freeze()
{
    if (m_locked)
        m_screen.unlockRepaint();
}

void Freeze::Form(const QString &windowName)
{
    m_screen.lockRepaint(windowName);
    m_locked = true;
}
