#!/bin/sh
# platform/serverconfig.cpp: a password file others may read is accepted; the directory password lies open on the server.
exec python3 "$MUTATE" src/platform/serverconfig.cpp <<'EDIT'
if (permissions & (QFileDevice::ReadGroup | QFileDevice::ReadOther))
==>
if (permissions & QFileDevice::ReadOther)
EDIT
