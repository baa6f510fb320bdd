#!/bin/sh
# platform/webdav: a mailbox name is sent as written; "#" or "%" in a name reaches another resource or none.
exec python3 "$MUTATE" src/platform/webdav/davurl.cpp <<'EDIT'
encoded += '/' + QUrl::toPercentEncoding(segment);
==>
encoded += '/' + segment.toUtf8();
EDIT
