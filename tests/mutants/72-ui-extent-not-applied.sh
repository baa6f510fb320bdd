#!/bin/sh
# ui: a list with a wide entry gets no horizontal scroll bar; the end of long names cannot be seen.
exec python3 "$MUTATE" src/ui/listmirror.cpp <<'EDIT'
m_delegate->setExtent(m_model.horizontalExtent());
==>
m_delegate->setExtent(0);
EDIT
