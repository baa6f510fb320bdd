#!/bin/sh
# binding: an apply with a blank password installs the sink instead of asking for the password.
exec python3 "$MUTATE" src/binding/apply.cpp <<'EDIT'
if (trimSpaces(m_sink.identityEdit.text()).isEmpty() ||
            trimSpaces(m_sink.passwordEdit.text()).isEmpty()) {
==>
if (trimSpaces(m_sink.identityEdit.text()).isEmpty()) {
EDIT
