#!/bin/sh
# ui: scrolling a row's action list changes nothing in the rule; the action shown is not the one installed.
exec python3 "$MUTATE" src/ui/ruleareabinding.cpp <<'EDIT'
rule.rows[i].actionList.setTopIndex(top);
                rule.onActionScrolled(i);
==>
rule.rows[i].actionList.setTopIndex(top);
EDIT
