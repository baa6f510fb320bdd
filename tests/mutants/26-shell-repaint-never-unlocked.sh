#!/bin/sh
# shell: a window locked for repainting stays frozen after the work that locked it.
exec python3 "$MUTATE" src/shell/repaintlock.cpp <<'EDIT'
if (m_locked)
        m_screen.unlockRepaint();
==>
EDIT
