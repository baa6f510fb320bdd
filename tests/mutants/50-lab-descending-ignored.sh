#!/bin/sh
# platform/lab: ORDER BY ... DESC sorts ascending; the lab's lists come in the wrong order.
exec python3 "$MUTATE" src/platform/lab/labdirectory.cpp <<'EDIT'
return query.descending ? directoryKeyLess(b.first, a.first)
                                    : directoryKeyLess(a.first, b.first);
==>
return directoryKeyLess(a.first, b.first);
EDIT
