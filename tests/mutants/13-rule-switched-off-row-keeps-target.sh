#!/bin/sh
# rule: emptying a row's condition leaves its old target in the box.
exec python3 "$MUTATE" src/rule/ruleeditor.cpp <<'EDIT'
row.actionList.setEnabled(false);
    row.targetEdit.setText(QString());
==>
row.actionList.setEnabled(false);
EDIT
