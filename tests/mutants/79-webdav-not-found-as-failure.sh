#!/bin/sh
# platform/webdav: a 404 is taken as a server failure; a mailbox without a binding logs an error instead of showing as unbound.
exec python3 "$MUTATE" src/platform/webdav/davclient.cpp <<'EDIT'
reply.status == 404 || reply.status == 409
==>
reply.status == 409
EDIT
