#!/bin/sh
# mailboxes: the disabled flag is read from the wrong bit; disabled accounts show as ordinary mailboxes.
exec python3 "$MUTATE" src/mailboxes/mailboxentry.cpp <<'EDIT'
return (userAccountControl & 2) != 0;
==>
return (userAccountControl & 4) != 0;
EDIT
