#!/bin/sh
# hosting: the sink component is found in any letter case; the rule is written into an unrelated component.
exec python3 "$MUTATE" src/hosting/sinkhosting.cpp <<'EDIT'
if (component && component->name().left(prefix.size()) == prefix)
==>
if (component && component->name().left(prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0)
EDIT
