#!/bin/sh
# binding: the preview makes the changes it should only list; the server is changed before the administrator decided.
exec python3 "$MUTATE" src/binding/apply.cpp <<'EDIT'
PlanBindingWriter writer(m_environment.platform());
==>
ServerBindingWriter writer(m_environment.platform(), m_errorLog, SinkInstallation::sinkClass());
EDIT
