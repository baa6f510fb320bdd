#!/bin/sh
# rule: a row without a condition still adds its target; targets and conditions pair up wrongly in the installed rule.
exec python3 "$MUTATE" src/rule/sinkconfiguration.cpp <<'EDIT'
if (condition.isEmpty())
            continue;
==>
EDIT
