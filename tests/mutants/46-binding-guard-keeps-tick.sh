#!/bin/sh
# binding: the selection guard no longer unticks the box; an apply with nothing selected goes ahead silently.
exec python3 "$MUTATE" src/binding/apply.cpp <<'EDIT'
m_screen.messageBox(message, Screen::Icon::Information, m_environment.caption);
    check.setValue(0);
==>
m_screen.messageBox(message, Screen::Icon::Information, m_environment.caption);
EDIT
