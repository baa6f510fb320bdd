#!/bin/sh
# hosting: the identity proposal prefers the directory's domain over the workstation's domain; the proposed account is wrong.
exec python3 "$MUTATE" src/hosting/identityproposal.cpp <<'EDIT'
if (!lanGroup.isEmpty())
        identity = lanGroup + QLatin1Char('\\') + user;
==>
if (!lanGroup.isEmpty() && identity.isEmpty())
        identity = lanGroup + QLatin1Char('\\') + user;
EDIT
