#!/bin/sh
# rule: after one refused priority every later edit is refused too; the box sticks at the old value.
exec python3 "$MUTATE" src/rule/ruleeditor.cpp <<'EDIT'
        lastAcceptedPriority = priorityEdit.text();
    priorityGuard = false;
==>
        lastAcceptedPriority = priorityEdit.text();
EDIT
