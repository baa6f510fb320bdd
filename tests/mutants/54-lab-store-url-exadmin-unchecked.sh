#!/bin/sh
# platform/lab: an http URL without /exadmin/ is taken as a mailbox; the lab answers URLs a real store refuses.
exec python3 "$MUTATE" src/platform/lab/storeurl.cpp <<'EDIT'
if (url.mid(slash + 1, exadmin.size()).compare(exadmin, Qt::CaseInsensitive) != 0)
            notAStoreUrl(url, QStringLiteral("the path does not begin with /exadmin/"));
==>
EDIT
