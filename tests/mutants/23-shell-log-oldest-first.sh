#!/bin/sh
# shell: the error log adds new entries at the bottom; the newest failure is no longer the first thing shown.
exec python3 "$MUTATE" src/shell/errorlog.cpp <<'EDIT'
m_logEdit.setText(text + m_logEdit.text());
==>
m_logEdit.setText(m_logEdit.text() + text);
EDIT
