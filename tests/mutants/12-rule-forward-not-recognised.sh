#!/bin/sh
# rule: a stored forward target loads as a move to folder; the window shows the wrong action for the installed rule.
exec python3 "$MUTATE" src/rule/sinkconfiguration.cpp <<'EDIT'
} else if (target.contains(QLatin1Char('@'))) {
                row.actionList.setTopIndex(RuleEditor::ForwardTo);
==>
} else if (target.contains(QLatin1Char('@'))) {
EDIT
