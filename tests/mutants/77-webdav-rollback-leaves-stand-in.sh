#!/bin/sh
# platform/webdav: a rolled-back write leaves its hidden stand-in file in the mailbox folder on the server.
exec python3 "$MUTATE" src/platform/webdav/davsession.cpp <<'EDIT'
for (const Pending &item : std::as_const(m_pending))
        removeQuietly(item.written);
==>
EDIT
