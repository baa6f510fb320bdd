#!/bin/sh
# platform/serverconfig.cpp: a misspelt key is ignored instead of refused; the administrator's setting silently has no effect.
exec python3 "$MUTATE" src/platform/serverconfig.cpp <<'EDIT'
if (!known.contains(name))
==>
if (false)
EDIT
