#!/bin/sh
# platform/lab: an OR in a directory query acts as AND; the recipient picker stays empty.
exec python3 "$MUTATE" src/platform/lab/directoryfilter.cpp <<'EDIT'
if (matchesFilter(child.get(), entry))
                return true;
        }
        return false;
==>
if (!matchesFilter(child.get(), entry))
                return false;
        }
        return true;
EDIT
