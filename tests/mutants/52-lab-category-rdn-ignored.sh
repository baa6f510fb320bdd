#!/bin/sh
# platform/lab: objectcategory='person' no longer finds objects whose category is a full distinguished name; no mailbox is listed.
exec python3 "$MUTATE" src/platform/lab/directoryfilter.cpp <<'EDIT'
return !rdn.isEmpty() && rdn.compare(QStringView(wanted), Qt::CaseInsensitive) == 0;
==>
return false;
EDIT
