#!/bin/sh
# ui: mailboxes clicked in the window are not selected in the model; CHANGE binds nothing.
exec python3 "$MUTATE" src/ui/listmirror.cpp <<'EDIT'
m_model.setSelected(row, selected.at(row));
==>
m_model.setSelected(row, false);
EDIT
