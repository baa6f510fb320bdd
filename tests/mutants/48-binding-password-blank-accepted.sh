#!/bin/sh
# binding: an apply with a blank password installs the sink instead of asking for the password.
exec python3 "$MUTATE" src/binding/apply.cpp <<'EDIT'
if (trimSpaces(identityEdit.text()).isEmpty() ||
            trimSpaces(passwordEdit.text()).isEmpty()) {
==>
if (trimSpaces(identityEdit.text()).isEmpty()) {
EDIT
