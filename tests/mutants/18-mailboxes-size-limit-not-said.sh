#!/bin/sh
# mailboxes: a server past the directory's size limit shows cut lists without a word in the log.
exec python3 "$MUTATE" src/mailboxes/mailboxenumeration.cpp <<'EDIT'
if (rows->rowCount() >= SizeLimit)
==>
if (rows->rowCount() > SizeLimit)
EDIT
