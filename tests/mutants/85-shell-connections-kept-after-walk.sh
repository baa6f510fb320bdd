#!/bin/sh
# shell: closing the window during a mailbox walk never releases the connections once the walk ends; the store and directory stay open until the process dies.
exec python3 "$MUTATE" src/shell/programenvironment.cpp <<'EDIT'
if (--m_environment.m_uses == 0 && m_environment.m_releaseAsked)
        m_environment.closeConnections();
==>
--m_environment.m_uses;
EDIT
