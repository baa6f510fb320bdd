#!/bin/sh
# ui: a refilled list shows its old rows with the new ones after them.
exec python3 "$MUTATE" src/ui/listmirror.cpp <<'EDIT'
m_widget->clear();
        m_widget->addItems(m_model.entries());
==>
m_widget->addItems(m_model.entries());
EDIT
