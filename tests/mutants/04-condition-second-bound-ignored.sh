#!/bin/sh
# condition: in "{<7>3}" the lower bound is dropped; a score of 2 matches a band meant for 4 to 6.
exec python3 "$MUTATE" src/condition/conditionmatcher.cpp <<'EDIT'
if (!(n < t) || (secondOp == QLatin1Char('>') && !(n > t2)))
==>
if (!(n < t))
EDIT
