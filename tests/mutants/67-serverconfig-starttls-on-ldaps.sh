#!/bin/sh
# platform/serverconfig.cpp: StartTLS on an ldaps:// address is accepted; the connection fails later with an obscure error.
exec python3 "$MUTATE" src/platform/serverconfig.cpp <<'EDIT'
if (settings.startTls && scheme == QLatin1String("ldaps"))
==>
if (false)
EDIT
