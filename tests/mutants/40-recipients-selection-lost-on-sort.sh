#!/bin/sh
# recipients: sorting moves the selection to another recipient's row.
exec python3 "$MUTATE" src/recipients/recipientviewmodel.cpp <<'EDIT'
if (from == m_selected)
            selected = int(rows.size());
==>
if (from == m_selected)
            selected = from;
EDIT
