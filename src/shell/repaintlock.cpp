#include "shell/repaintlock.h"

RepaintLock::RepaintLock(Screen &screen, const QString &windowName) : m_screen(screen)
{
    lock(windowName);
}

RepaintLock::~RepaintLock()
{
    if (m_locked)
        m_screen.unlockRepaint();
}

void RepaintLock::lock(const QString &windowName)
{
    m_locked = m_screen.lockRepaint(windowName) || m_locked;
}
