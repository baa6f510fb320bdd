#!/bin/sh
# condition: "{> 3}" also matches a score of exactly 3; mail at the threshold goes to the junk folder.
exec python3 "$MUTATE" src/condition/conditionmatcher.cpp <<'EDIT'
if (!(n > t) || (secondOp == QLatin1Char('<') && !(n < t2)))
==>
if (!(n >= t) || (secondOp == QLatin1Char('<') && !(n < t2)))
EDIT
