#!/bin/sh
# binding: binding a mailbox goes on through every URL after one worked; failures are logged for a mailbox that was bound.
exec python3 "$MUTATE" src/binding/apply.cpp <<'EDIT'
rule.priorityEdit.text(), attempt.logFailure);
            done = !failure;
==>
rule.priorityEdit.text(), attempt.logFailure);
EDIT
