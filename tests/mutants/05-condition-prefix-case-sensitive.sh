#!/bin/sh
# condition: the header name before a comparison must match in letter case; "imfscl:5" no longer matches "IMFSCL: {> 3}".
exec python3 "$MUTATE" src/condition/conditionmatcher.cpp <<'EDIT'
if (!equalIgnoringCase(value.left(prefix.size()), prefix))
==>
if (value.left(prefix.size()) != prefix)
EDIT
