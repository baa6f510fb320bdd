#!/bin/sh
# mailboxes: "unregister mailboxes" is enabled by the unbound list; it can be ticked with nothing to unbind.
exec python3 "$MUTATE" src/mailboxes/mailboxenumeration.cpp <<'EDIT'
{&unregisterMailboxesCheck, &boundMailboxList},
==>
{&unregisterMailboxesCheck, &unboundMailboxList},
EDIT
