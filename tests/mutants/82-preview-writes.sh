#!/bin/sh
# binding: the preview makes the changes it should only list; the server is changed before the administrator decided.
exec python3 "$MUTATE" src/binding/apply.cpp <<'EDIT'
PlanBindingWriter writer(m_platform);
==>
ServerBindingWriter writer(m_platform, errorLog, sinkClass());
EDIT
