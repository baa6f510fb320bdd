#!/bin/sh
# recipients: the same address in other letter case is listed twice in the picker.
exec python3 "$MUTATE" src/recipients/recipientviewmodel.cpp <<'EDIT'
const QString key = entry.address.toLower();
==>
const QString key = entry.address;
EDIT
