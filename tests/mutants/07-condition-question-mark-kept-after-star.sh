#!/bin/sh
# condition: with "{*}" present, "{?}" is left as written; "{*}S{?}AM" never matches.
exec python3 "$MUTATE" src/condition/conditionmatcher.cpp <<'EDIT'
condition.replace(QLatin1String("{*}"), QLatin1String("*"));
        condition.replace(QLatin1String("{?}"), QLatin1String("?"));
==>
condition.replace(QLatin1String("{*}"), QLatin1String("*"));
EDIT
