#!/bin/sh
# shell: an apply or "Clear Error Log" empties the log but leaves the empty box and its button on the window.
exec python3 "$MUTATE" src/shell/errorlog.cpp <<'EDIT'
m_logEdit.setText(QString());
    showIfAny();
==>
m_logEdit.setText(QString());
EDIT
