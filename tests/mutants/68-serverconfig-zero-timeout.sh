#!/bin/sh
# platform/serverconfig.cpp: timeout=0 is accepted; every directory request waits forever.
exec python3 "$MUTATE" src/platform/serverconfig.cpp <<'EDIT'
if (!ok || value <= 0)
==>
if (!ok || value < 0)
EDIT
