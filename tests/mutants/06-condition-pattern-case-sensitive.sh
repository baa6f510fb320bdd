#!/bin/sh
# condition: patterns compare letter case; "{*}spam{*}" misses "THIS IS SPAM".
exec python3 "$MUTATE" src/condition/conditionmatcher.cpp <<'EDIT'
return matchesWildcard(upperCharacters(value), upperCharacters(condition));
==>
return matchesWildcard(value, condition);
EDIT
