#!/bin/sh
# shell: a home server ending in one character after CN= is cut to that character; the cluster's mailboxes are looked up under a wrong name.
exec python3 "$MUTATE" src/shell/programenvironment.cpp <<'EDIT'
if (found >= 0 && found + 4 < homeServer.size())
==>
if (found >= 0 && found + 3 < homeServer.size())
EDIT
