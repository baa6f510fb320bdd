#!/bin/sh
# platform/webdav: the store password is sent in clear over http:// although plain http was not allowed.
exec python3 "$MUTATE" src/platform/webdav/davclient.cpp <<'EDIT'
if (url.scheme() != QLatin1String("https") && !m_settings.allowPlainHttp)
==>
if (false)
EDIT
