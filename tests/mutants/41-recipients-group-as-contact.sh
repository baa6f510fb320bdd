#!/bin/sh
# recipients: distribution groups show as contacts in the picker.
exec python3 "$MUTATE" src/recipients/recipiententry.cpp <<'EDIT'
if (accountTypeIs(type, "268435456") || accountTypeIs(type, "268435457"))
==>
if (accountTypeIs(type, "268435457"))
EDIT
