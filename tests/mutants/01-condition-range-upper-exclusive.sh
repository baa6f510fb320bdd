#!/bin/sh
# condition: a list range misses its upper bound; "[A-Z]" no longer matches a header ending in Z.
exec python3 "$MUTATE" src/condition/wildcardpattern.cpp <<'EDIT'
if (c >= low && c <= high) {
==>
if (c >= low && c < high) {
EDIT
