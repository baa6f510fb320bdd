#!/bin/sh
# rule: a one-digit SCL is stored without its "+"; read back, the row turns into a move to folder "5".
exec python3 "$MUTATE" src/rule/sinkconfiguration.cpp <<'EDIT'
targets += QLatin1Char('+');
==>
targets += QString();
EDIT
