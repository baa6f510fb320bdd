#!/bin/sh
# condition: "[!...]" acts as "[...]"; a rule meant to skip some headers catches exactly those.
exec python3 "$MUTATE" src/condition/wildcardpattern.cpp <<'EDIT'
return inList != negated;
==>
return inList;
EDIT
