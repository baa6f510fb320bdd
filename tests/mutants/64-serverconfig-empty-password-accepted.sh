#!/bin/sh
# platform/serverconfig.cpp: an empty password file is accepted; the bind silently becomes anonymous.
exec python3 "$MUTATE" src/platform/serverconfig.cpp <<'EDIT'
if (content.isEmpty())
            fail(key, QStringLiteral("the password file %1 is empty").arg(file));
==>
EDIT
