#!/bin/sh
# binding: an address with two "@" is split at the first; the mailbox is looked up under a wrong name.
exec python3 "$MUTATE" src/binding/bindingattempts.cpp <<'EDIT'
const qsizetype at = parts.address.lastIndexOf(QLatin1Char('@'));
==>
const qsizetype at = parts.address.indexOf(QLatin1Char('@'));
EDIT
