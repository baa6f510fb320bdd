#!/bin/sh
# ui: letters can be typed into the priority box.
exec python3 "$MUTATE" src/ui/ruleareabinding.cpp <<'EDIT'
return typed && !RuleEditor::isPriorityKeyAllowed(*typed);
==>
return false;
EDIT
