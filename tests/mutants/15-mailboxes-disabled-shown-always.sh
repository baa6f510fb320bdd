#!/bin/sh
# mailboxes: disabled accounts are listed although "Show disabled" is not ticked.
exec python3 "$MUTATE" src/mailboxes/mailboxenumeration.cpp <<'EDIT'
if (showDisabledCheck.value() != 0)
==>
if (showDisabledCheck.value() == 0)
EDIT
