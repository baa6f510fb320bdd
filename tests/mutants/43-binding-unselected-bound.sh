#!/bin/sh
# binding: "register mailboxes" binds every unbound mailbox, not just the selected ones.
exec python3 "$MUTATE" src/binding/apply.cpp <<'EDIT'
if (!m_environment.batchMode && !registerList.selected(i))
            continue;
==>
EDIT
